#include "bench/QuorvanePaths.h"

#include "ui/Events.h"
#include "ui/MSFlexGrid.h"

#include <QStringList>
#include <string_view>
#include <vector>

namespace bench {

std::int64_t gridFill(db::Recordset& result, ui::MSFlexGrid& grid)
{
    const db::Fields fields = result.Fields();
    QStringList names;
    for (int c = 0; c < fields.Count(); ++c)
        names << fields.Item(c).Name();
    grid.beginFill(names);
    std::vector<std::string_view> values(std::size_t(names.size()));
    ui::EventPump pump;
    std::int64_t rows = 0;
    while (!result.Eof()) {
        for (std::size_t c = 0; c < values.size(); ++c)
            values[c] = result.cellUtf8(int(c));
        grid.appendRowUtf8(std::span<const std::string_view>(values));
        ++rows;
        result.MoveNext();
        if (pump.tick())
            grid.flushRows();
    }
    grid.endFill();
    return rows;
}

void digestGrid(const ui::MSFlexGrid& grid, LineDigest& digest)
{
    const ui::GridCellStore& store = grid.cellStore();
    const int first = ui::MSFlexGrid::firstFieldCol;
    for (int r = 1; r < store.rows(); ++r)
        for (int c = first; c < store.cols(); ++c)
            digest.field(store.cellUtf8(r, c), c == store.cols() - 1);
}

} // namespace bench
