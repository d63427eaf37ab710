#pragma once

#include "query/ConnectionSettings.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace db {
class Connection;
class Recordset;
} // namespace db
namespace ui {
class MSFlexGrid;
class PlainTextView;
} // namespace ui

// The run of the main window's Run button: connect for the chosen database type, run the
// query box (or its selection) as one command, present the first result, and report rows and
// seconds in the status bar. The window is reached only through RunWindow, so the run is
// the same whoever drives it.
namespace query {

// Where the records of a run go: the result grid, the plain-text box, or the export target
// file (Data Output to File).
enum class Output { Grid, PlainText, File };

// What the window's controls hold when Run is pressed.
struct RunRequest
{
    QString profileName;         // Combo2
    bool keepQueryText = false;  // Check1: keep the query box with the profile at each run
    bool logStatement = false;   // Check4: hand the query box to the statement log
    ConnectionFields connection; // Combo1 and the connection fields
    QString queryBox;            // Text1, whole
    QString selection;           // Text1's selected text, "" when nothing is selected
    bool runOnlySelectedText = true;
    bool directEdit = false;
    Output output = Output::Grid;
};

// The window side of a run.
class RunWindow
{
public:
    virtual ~RunWindow() = default;

    // Status-bar panel 1 (rows) or 2 (seconds); a width in twips, or none to keep the width.
    virtual void setStatusPanel(int panel, const QString& text, std::optional<int> widthTwips) = 0;
    // Running: Run disabled and Cancel enabled, a busy pointer over the window (not over
    // Cancel); idle: the reverse.
    virtual void setRunning(bool running) = 0;
    // The status bar's line beside the panels: the progress of a run, a cancelled result, or
    // nothing.
    virtual void showRunNote(const QString& text) = 0;
    // True while Cancel is still enabled; the reading loops stop as soon as it is not.
    virtual bool cancelEnabled() const = 0;
    // The Tools button, disabled for a MySql run (nothing in a run enables it again).
    virtual void disableTools() = 0;
    // Keeps the query box with the profile (settings "text1").
    virtual void keepQueryText(const QString& profileName, const QString& text) = 0;
    // The statement log of the query box.
    virtual void logStatement() = 0;
    // Gives the focus back to the query box after a run of its selection.
    virtual void focusQueryBox() = 0;
    // Empties the plain-text box and the grid's cells (the grid keeps its size).
    virtual void clearOutputs() = 0;
    // Shows the data-grid frame with both edit permissions withdrawn, or hides it.
    virtual void showDataGridFrame(bool shown) = 0;
    virtual ui::MSFlexGrid& grid() = 0;
    // The plain-text box, which the plain-text output fills while it reads.
    virtual ui::PlainTextView& plainText() = 0;
    // The file output: reads the result into the export target as it reads, asking
    // `keepReading` before every record, tells the user when it read to the end, and returns
    // the number of records; a stopped read keeps the whole lines read. Throws db::Error while
    // reading and ui::FileError when the file cannot be written (no target chosen, a file that
    // cannot be created), the file cut back to its length before the run; the run reports either.
    virtual qint64 outputToFile(db::Recordset& result, const std::function<bool()>& keepReading) = 0;
    // Throws ui::FileError unless the file output's target can be written: the run checks
    // this before anything is sent, so a statement never runs into a file it cannot write.
    virtual void checkOutputFile() = 0;
    // Makes the open client-side set, positioned on its first record, the data grid's source.
    // The set keeps its connection's engine open for as long as the data grid holds it.
    virtual void bindDataGrid(db::Recordset result) = 0;
};

// The text that goes to the database, and whether the row-count query was appended to it.
struct CommandText
{
    QString text;
    bool rowCountAppended = false;
    bool fromSelection = false;
    // Whether the text may hold more than one statement: a ";" followed by anything but
    // blanks and ";", wherever it stands (in a quote or a comment too; such a text only
    // costs a connection that allows batches).
    bool mayBeBatch = false;
};

// The selection when asked for and not empty, else the whole box; spaces (only spaces) removed
// from both ends. For the "SQL" type a text beginning with "inser" or "updat" (any case) gets
// CR LF and the row-count query appended, so that a trailing "--" comment cannot swallow it.
CommandText commandText(const RunRequest& request);

// The row-count query, as appended after CR LF.
inline constexpr char rowCountQuery[] = " select @@RowCount as 'Affected Rows' ";

// Removes space characters (U+0020 only) from both ends.
QString trimSpaces(const QString& text);

// "Rows: n" and "Seconds: n" with their panel widths: 200 twips per character of "Rows:n"
// ("Seconds:n").
struct PanelText
{
    QString text;
    int widthTwips = 0;
};
PanelText rowsPanel(qint64 rows);
PanelText secondsPanel(qint64 seconds);

// The status note while a run works ("Running… 3 s", then with the rows read so far) and after
// a cancelled one.
QString runningNote(qint64 seconds, qint64 rows);
QString cancelledNote(qint64 rows);

// Runs once, from start to idle again; never throws. Messages and the error report (of a
// db::Error or a ui::FileError: its own number and description) go to ui::msgBox.
//
// The statement executes on a worker thread of the run while this thread keeps window events
// running and tests Cancel every few milliseconds; Cancel then stops the statement at the
// driver and the run ends with the cancelled note and no rows. Rows are read here, as are
// client-side sets, between window events. The progress note is updated a few times a second.
// "Seconds" counts the run without the time a message box stood open.
void runQuery(const RunRequest& request, RunWindow& window);

} // namespace query
