#pragma once

#include <QString>
#include <functional>

namespace db {
class Recordset;
}
namespace ui {
class MSFlexGrid;
class PlainTextView;
} // namespace ui

// Reading a run's result into its output, record by record. Each loop asks `keepReading`
// before every record (the main window answers whether Cancel is still enabled), lets window
// events run through a ui::EventPump while it reads, and returns the number of records read.
// A closed result (a statement without rows) is zero records in every output. Errors of the
// access layer (db::Error) leave the output as far as it was filled.
namespace query {

using KeepReading = std::function<bool()>;

// The result grid: the field names in row 0 from column 2, record i in row i + 1, field j in
// column j + 2; a null is an empty cell. Columns 0 and 1 stay empty; column 0 is made 200
// twips wide, and column 2 1500 twips when the run appended the row-count query. A result
// without records leaves the grid's size and its (already cleared) cells alone. Rows reach the
// view in batches, once per event-pump tick.
qint64 fillGrid(db::Recordset& result, ui::MSFlexGrid& grid, bool rowCountAppended,
                const KeepReading& keepReading);

// The plain text, into the view as it is read: a line of field names, then one line per
// record; every name or value is followed by a tab, every line ends with CR LF; a null is the
// empty text. No records, no text (not even the names). Whole lines reach the view, which
// learns of them at every event-pump tick, so the first lines show at once and a stopped read
// shows every record read so far. The view is expected empty.
qint64 fillPlainText(db::Recordset& result, ui::PlainTextView& view, const KeepReading& keepReading);

// The widths the grid is given, in twips.
inline constexpr int firstColumnWidth = 200;
inline constexpr int affectedRowsColumnWidth = 1500;

} // namespace query
