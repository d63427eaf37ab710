#pragma once

namespace ui {
class MSFlexGrid;
}

// Deleting in the result grid: it acts on the grid's copy of the result only and never
// reaches the database. Each is a whole command: the selection messages go through
// ui::dialogs() and nothing throws.
namespace results {

// DeleteRow: the selection must reach the last column (else "A complete row(s) must be
// selected to use this feature" and nothing changes); the selected data rows are removed and
// the rows below move up. The field-name row is never removed, so deleting every data row
// leaves an empty grid with its header row.
void deleteSelectedRows(ui::MSFlexGrid& grid);

// DeleteColumn: the selection must reach the last row (else "A complete column(s) must be
// selected to use this feature" and nothing changes); the selected cells are emptied and the
// columns stay, so Cols is unchanged. The field names stay unless the selection includes
// row 0. Window events run while the cells are emptied; when they move or replace the grid's
// cells (a delete, a new run), the rest stay as they are and the user is told.
void deleteSelectedColumns(ui::MSFlexGrid& grid);

} // namespace results
