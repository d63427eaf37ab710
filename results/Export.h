#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QWidget;

namespace db {
class Recordset;
}
namespace ui {
class MSFlexGrid;
}

// Writing results to delimited text files: the File menu's "Export Data to File" and the
// file output of a run in "Data Output to File" mode. Files are appended to, in the system
// code page; the delimiter and the column-header option come from the file chooser.
namespace results {

// Appends `text` to the file at `path` (created when missing). Throws ui::FileError, also
// for an empty path (no file was chosen).
void appendToFile(const QString& path, const QString& text);
// The same for text in UTF-8, written as it is when the system code page is UTF-8.
void appendUtf8ToFile(const QString& path, const QByteArray& utf8);

// Throws ui::FileError unless the file at `path` can be opened for appending (an empty path
// is no file). A file that did not exist is not left behind.
void checkCanAppend(const QString& path);

// ExportData: clears the export target and shows the chooser; when the grid has a row and a
// file was chosen, appends the export text and shows "Export Complete". A failure to create
// or write the file shows the error report (number, CR LF, description). Never throws.
void exportData(const ui::MSFlexGrid& grid, QWidget* owner);

// The file output text of a run, built once: with `fieldNames`, a line of the field names
// before the first record; then one line per record; every name and value followed by
// `delimiter`, every line ended by CR LF; a null is the empty text. A closed result (a
// statement without rows) is zero records: the empty text. Reads to the end (Cancel is not
// consulted) and lets window events run while it reads. Throws db::Error.
struct FileOutput
{
    QString text;
    qint64 records = 0;
};
FileOutput fileOutput(db::Recordset& result, const QString& delimiter, bool fieldNames);

// The file output of a run: reads `result` as above with the chooser's delimiter and
// column-header option and appends the text, spaces trimmed from both ends, and one CR LF to
// `path` as it reads, about 1 MB at a time, then shows "Export Complete". Returns the number of
// records. Throws db::Error while reading and ui::FileError when the file cannot be written,
// for the run's error report; the file is then cut back to its length before the run, so
// nothing half-written is left. `keepReading`, when given, is asked before every record; once
// it says stop, the file keeps the whole lines of the records read so far (no closing CR LF,
// no "Export Complete") and the count of those records is returned.
qint64 outputToFile(db::Recordset& result, const QString& path,
                    const std::function<bool()>& keepReading = {});

} // namespace results
