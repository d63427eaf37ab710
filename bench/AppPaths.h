#pragma once

// Quorvane's whole paths: a run through the main window (Form1::Command1_Click, event pump
// included) into the grid or the plain-text box, Cancel during a run, the result actions
// (Data Output to File, ExportData, the whole-grid clipboard text) and the program's start.

#include "bench/Measure.h"
#include "query/ConnectionSettings.h"

#include <QString>
#include <string>

namespace bench {

// One database, as the main window's connection fields name it; the layer opens it the way a
// run does (query::connectionSettings).
using Target = query::ConnectionFields;

// What the window paths need: a settings store of their own in `folder` and dialogs that never
// block (their messages are kept for takeMessages()).
void prepareWindows(const std::string& folder);
// The messages shown since the last call, one a line.
QString takeMessages();

// A whole run into the grid or into the plain-text box: a fresh window, Run pressed, timed
// until the handler returns. In check mode the output is digested.
Outcome runIntoGrid(const Target& target, const std::string& sql, bool check);
Outcome runIntoText(const Target& target, const std::string& sql, bool check);
// A whole run in Data Output to File mode, the chooser having named `file`.
Outcome runIntoFile(const Target& target, const std::string& sql, const std::string& file, bool check);
// Where a run is when the clock of Cancel starts: its first records in the grid or in the
// plain-text box, its first bytes in the file of Data Output to File, or the statement
// executing (the clock starts with the run).
enum class CancelPoint { GridRows, TextLines, FileBytes, Execute };
// Cancel pressed (posted as a click from another thread, as a user's click arrives) `afterMs`
// after the point: the value is milliseconds from the click until Run returns, NaN when the
// run ended before the click; count is the records shown. FileBytes writes to `file`.
Outcome cancelDuringRun(const Target& target, const std::string& sql, int afterMs, CancelPoint point,
                        const std::string& file = {});

// The child's side of the plain-text memory path: one run into the plain-text box of a fresh
// window; prints the peak resident memory the run added and the size of the text shown.
void textMemoryProbe(const Target& target, const std::string& sql);

// The result actions. Each reads or fills untimed what it needs first, then times itself.
// Building the plain text of a run (query::fillPlainText) from the layer.
Outcome buildPlainText(const Target& target, const std::string& sql, bool check);

// ExportData from a filled grid: the export text written to `file`, as after the chooser's OK.
Outcome exportData(const Target& target, const std::string& sql, const std::string& file, bool check);
// The whole-grid clipboard text (File menu, Export Data to Clipboard) of a filled grid.
Outcome clipboardText(const Target& target, const std::string& sql, bool check);

// Typing `keys` characters at the end of a query box of about `boxBytes` characters, each
// key pressed and released as a user's, with the window's events handled after each. With
// `kept`, "Automatically Save Current SQL Statements." is ticked for a named profile, and
// the time includes handing what was typed to the thread that stores it, whose write runs
// meanwhile (its end is waited for untimed); without it nothing is kept. The value is the
// wall time; count is the keys that reached the box.
Outcome typeIntoQueryBox(bool kept, int keys, int boxBytes);

// Program start to main window shown, in milliseconds: `program --startup-probe` started as a
// child process with its own settings store in `folder`.
Outcome startup(const QString& program, const std::string& folder);
// The child's side: the program's own start-up, then the time the window was first exposed.
int startupProbe();

} // namespace bench
