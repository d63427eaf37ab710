#pragma once

// The SQL Server tools on the data set, through the tools window as a user runs them: Compare
// of the table between two databases, and Find of a text that no row holds (so every row of
// every table is read). Each is timed from the click until its handler returns.

#include "bench/Measure.h"

#include <QString>

namespace bench {

// Two databases holding the same data set, on one SQL Server.
struct ToolsSides
{
    QString server; // "127.0.0.1,PORT"
    QString user;
    QString password;
    QString database1;
    QString database2;
};

// The table's name as Connect lists it and the compare reads it.
inline constexpr char toolsTable[] = "[dbo].[bench_rows]";

// Connect (untimed), both lists' entries of the table picked, then Compare; throws unless the
// verdict is "identicle".
Outcome compareTables(const ToolsSides& sides);
// Find with Find All of a text no row holds, on database 1; throws unless it ends "Complete"
// with no hit.
Outcome findNothing(const ToolsSides& sides);

} // namespace bench
