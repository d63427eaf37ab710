#include "results/GridDeletes.h"

#include "results/Clipboard.h"
#include "results/GridText.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"
#include "ui/MSFlexGrid.h"

#include <algorithm>

namespace results {

void deleteSelectedRows(ui::MSFlexGrid& grid)
{
    ui::guarded([&] {
        const GridRange range = selectedRange(grid);
        if (range.right != grid.Cols() - 1) {
            ui::msgBox(completeRowsMessage);
            return;
        }
        const int first = std::max(range.top, 1);
        const int last = std::min(range.bottom, grid.Rows() - 1);
        if (first <= last)
            grid.removeRows(first, last - first + 1);
    });
}

void deleteSelectedColumns(ui::MSFlexGrid& grid)
{
    ui::guarded([&] {
        const GridRange range = selectedRange(grid);
        if (range.bottom != grid.Rows() - 1) {
            ui::msgBox(completeColumnsMessage);
            return;
        }
        ui::EventPump pump;
        const quint64 shape = grid.shapeChanges();
        // Window events run meanwhile; once they move or replace the cells (a delete, a new
        // run), the cells left are no longer the ones selected.
        for (int r = range.top; r <= range.bottom && r < grid.Rows(); ++r) {
            for (int c = range.left; c <= range.right && c < grid.Cols() && r < grid.Rows(); ++c) {
                grid.setTextMatrixUtf8(r, c, {});
                if (pump.tick() && grid.shapeChanges() != shape)
                    throw GridChanged("The result grid changed while its columns were being emptied (a new "
                                      "run or a delete), so the rest were left as they are.");
            }
        }
    });
}

} // namespace results
