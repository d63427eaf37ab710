#pragma once

#include <QString>
#include <functional>

class QWidget;

// Query files: the query box kept in a plain text file (File Open, File Save, File Save As
// (Specify)), and Import of a statement log into the previous-queries list. Every command
// chooses its file through the file chooser, which sets the current query file
// (query::currentQueryFile()); the statement log then appends to that file.
namespace results {

// The file text for the query box: spaces (only spaces) removed from both ends, its line
// breaks as CR LF, and one CR LF after it.
QString queryFileText(const QString& queryBox);

// Replaces the file at `path` by the query file text of `queryBox`, atomically: the text is
// written to a new file beside it, which is then renamed over the old one. An existing file
// keeps its encoding and byte-order mark (ui::decodeTextAndEncoding). Throws ui::FileError
// on failure; the old file is then left whole.
void saveQueryFile(const QString& path, const QString& queryBox);

// The whole file, unchanged (its final CR LF included). Throws ui::FileError.
QString loadQueryFile(const QString& path);

using SetText = std::function<void(const QString&)>;

// Each is a whole command: it shows its own messages through ui::dialogs() with `owner`
// owning the chooser, and never throws.
//
// FileOpen: clears the current query file and shows the chooser; "Invalid File" when no file
// was chosen; otherwise the file's text goes to `setQueryBox`, or the error report (number,
// CR LF, description) is shown and the box keeps its text.
void fileOpen(QWidget* owner, const SetText& setQueryBox);
// Opens `path` as File Open does once a file is chosen: it becomes the current query file and
// its text goes to `setQueryBox`, or the error report is shown.
void openQueryFile(const QString& path, const SetText& setQueryBox);
// FileSave: shows the chooser only when no query file is chosen, then saves to the current
// query file if there is one. A failed save shows the error report and leaves the old file
// as it was. Saving over an existing file that was not the query file (one just chosen, or a
// statement log that Import made current) asks first; No writes nothing, and a file just
// chosen is then not kept as the query file.
void fileSave(QWidget* owner, const QString& queryBox);
// FileSaveAsSpecify: clears the current query file, always shows the chooser, saves to the
// chosen file if one was chosen, asking first as File Save does unless it is the query file
// that was current before.
void fileSaveAs(QWidget* owner, const QString& queryBox);

// Import (Command19): clears the current query file and shows the chooser; "Invalid File"
// when no file was chosen; otherwise each statement of the file (query::importedStatements)
// is handed to `addItem` in order, letting window events run between them. A file that
// cannot be read shows the error report and adds nothing. The chosen file stays the current
// query file.
void importStatements(QWidget* owner, const SetText& addItem);

} // namespace results
