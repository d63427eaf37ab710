#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>
#include <vector>

class QTableView;
class QWidget;

namespace ui {
class MSFlexGrid;
}

// Result text that other programs read: CSV by RFC 4180 for "Export as CSV…" and "Copy as
// CSV", and the tab-separated copy of the selected cells (Ctrl+C) that spreadsheets paste.
//
// A line of column names comes first, then one line per row; fields are separated by the
// delimiter, every line ends with CR LF, the text is UTF-8. A field is quoted when it holds the
// delimiter, a quote, CR or LF, and its quotes are doubled. In CSV a null is an empty unquoted
// field and an empty text is "", so the two stay apart; the tab-separated copy writes both as
// an empty field.
namespace results {

class CsvWriter
{
public:
    // `emptyQuoted`: an empty (not null) text is written as "".
    CsvWriter(QByteArray delimiter, bool emptyQuoted);

    // One field; `null` writes the empty unquoted field.
    void field(std::string_view utf8, bool null = false);
    void field(const QString& text);
    void endLine();
    QByteArray take();

private:
    QByteArray delimiter_;
    bool emptyQuoted_;
    bool lineStarted_ = false;
    QByteArray text_;
};

// The CSV delimiter for the export delimiter (the file chooser's box, a tab when emptied): a
// comma, unless it is one character other than the box's start value "|" that CSV can carry
// (not a quote, CR or LF).
QByteArray csvDelimiter(const QString& delimiterBox);

// The result grid's rows `fromRow`..`toRow` (record rows, from 1) and field columns
// `fromCol`..`toCol` (from 2), after a line of those columns' names. Lets window events run
// while it walks the rows and stops with GridChanged when the grid changes meanwhile.
QByteArray gridCsv(const ui::MSFlexGrid& grid, int fromRow, int toRow, int fromCol, int toCol,
                   const QByteArray& delimiter, bool emptyQuoted);
// The whole result, or the selected cells (their field columns and record rows).
QByteArray wholeGridCsv(const ui::MSFlexGrid& grid, const QByteArray& delimiter);
QByteArray selectedCellsCsv(const ui::MSFlexGrid& grid, const QByteArray& delimiter, bool emptyQuoted);

// The data grid's selected cells (the rows and columns that hold a selected cell), after a line
// of the column names, tab-separated.
QString selectedViewCellsText(const QTableView& view);

// Each is a whole command: it shows its own messages through ui::dialogs() and never throws.
//
// "Export as CSV…": shows the chooser; the chosen file is replaced by the whole result as CSV
// (after asking when it exists), written whole or not at all. The export target of Data Output
// to File is kept.
void exportCsv(const ui::MSFlexGrid& grid, QWidget* owner);
// "Copy as CSV": the selected cells as CSV on the clipboard.
void copyAsCsv(const ui::MSFlexGrid& grid);
// Ctrl+C in the result grid or the data grid: the selected cells, tab-separated.
void copyCells(const ui::MSFlexGrid& grid);
void copyCells(const QTableView& view);

} // namespace results
