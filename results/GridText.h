#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <stdexcept>

namespace ui {
class MSFlexGrid;
}

// The grid text format of the result actions: each cell's text followed by the delimiter (the
// last cell of a line too), each grid row one line ending in CR LF (the last one too). Cell
// texts are taken as they stand: no quoting, no escaping.
//
// The builders read the grid's bounds again at every step and let window events run through a
// ui::EventPump while they walk the cells, so a large grid keeps the window responsive; a grid
// whose cells move or go meanwhile (a new run, a delete: ui::MSFlexGrid::shapeChanges()) stops
// the walk with GridChanged, so that no text mixes two states of the grid.
namespace results {

inline const QString crlf = QStringLiteral("\r\n");

// The grid changed under a command that walks its cells; what() is the message for the user
// (UTF-8).
struct GridChanged : std::runtime_error
{
    using std::runtime_error::runtime_error;
};
inline constexpr char gridChangedWhileRead[] =
    "The result grid changed while it was being read (a new run or a delete), so nothing was copied or "
    "written.";

// Removes space characters (U+0020 only) from both ends; tabs and line breaks stay.
QString trimSpaces(const QString& text);
QByteArrayView trimSpacesUtf8(QByteArrayView utf8);
// Trims `utf8` in place.
void keepTrimmed(QByteArray& utf8);

// The selection's rows and columns, top to bottom and left to right, whichever corner the
// user started from.
struct GridRange
{
    int top = 0, left = 0, bottom = -1, right = -1;
};
GridRange selectedRange(const ui::MSFlexGrid& grid);

// Rows `fromRow` to `toRow` (inclusive, clipped to the grid) and, within each, columns
// `fromCol` to `toCol` (inclusive, clipped), in the grid text format.
QString gridText(const ui::MSFlexGrid& grid, int fromRow, int toRow, int fromCol, int toCol,
                 const QString& delimiter);
// The same in UTF-8, as the cells are kept.
QByteArray gridTextUtf8(const ui::MSFlexGrid& grid, int fromRow, int toRow, int fromCol, int toCol,
                        QByteArrayView delimiter);

// The whole grid for the clipboard: every row, the field names included, columns 2 onward;
// spaces trimmed from both ends of the whole text.
QString wholeGridText(const ui::MSFlexGrid& grid, const QString& delimiter);

// The selected complete rows: rows Row..RowSel, columns 2 onward whatever columns were
// selected.
QString selectedRowsText(const ui::MSFlexGrid& grid, const QString& delimiter);

// The selected complete columns: rows Row..RowSel, columns Col..ColSel.
QString selectedColumnsText(const ui::MSFlexGrid& grid, const QString& delimiter);

// An export to a file: every row from the field-name row (or from the first record when
// `columnHeaders` is false) to the last, every column from 0 (so each line begins with two
// delimiters); spaces trimmed from both ends of the whole text, then one CR LF, so the file
// ends with an empty line.
QString exportFileText(const ui::MSFlexGrid& grid, const QString& delimiter, bool columnHeaders);
QByteArray exportFileUtf8(const ui::MSFlexGrid& grid, const QString& delimiter, bool columnHeaders);

} // namespace results
