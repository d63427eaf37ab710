#pragma once

// Quorvane's own reading paths, exactly as the program takes them, over an open Recordset.

#include "bench/Sinks.h"
#include "query/db/Recordset.h"

#include <cstdint>

namespace ui {
class MSFlexGrid;
}

namespace bench {

// The layer's forward read: Eof / cellUtf8 / MoveNext, every cell handed to the sink.
template <class Sink> std::int64_t layerRead(db::Recordset& result, Sink& sink)
{
    const int columns = result.Fields().Count();
    std::int64_t rows = 0;
    while (!result.Eof()) {
        for (int c = 0; c < columns; ++c)
            sink.field(result.cellUtf8(c), c == columns - 1);
        ++rows;
        result.MoveNext();
    }
    return rows;
}

// The grid fill as a run does it: field names in row 0, each record appended as UTF-8, the
// view told of new rows once per event-pump tick, spare memory released at the end.
std::int64_t gridFill(db::Recordset& result, ui::MSFlexGrid& grid);

// Hands the grid's records (rows 1.., fields from column 2) to a digest, line by line.
void digestGrid(const ui::MSFlexGrid& grid, LineDigest& digest);

} // namespace bench
