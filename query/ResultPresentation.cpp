#include "query/ResultPresentation.h"

#include "query/db/Recordset.h"
#include "text/DataText.h"
#include "ui/Events.h"
#include "ui/MSFlexGrid.h"
#include "ui/PlainTextView.h"

#include <QByteArray>
#include <QStringList>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace query {
namespace {

bool isOpen(const db::Recordset& result)
{
    return result.State() == db::adStateOpen;
}

QStringList fieldNames(const db::Recordset& result)
{
    QStringList names;
    const db::Fields fields = result.Fields();
    for (int j = 0; j < fields.Count(); ++j)
        names << fields.Item(j).Name();
    return names;
}

} // namespace

qint64 fillGrid(db::Recordset& result, ui::MSFlexGrid& grid, bool rowCountAppended,
                const KeepReading& keepReading)
{
    if (!isOpen(result))
        return 0;
    qint64 records = 0;
    ui::EventPump pump;
    std::vector<std::string_view> values;
    while (!result.Eof() && keepReading()) {
        if (records == 0) {
            const QStringList names = fieldNames(result);
            grid.beginFill(names);
            grid.setColWidth(0, firstColumnWidth);
            if (rowCountAppended && grid.Cols() > ui::MSFlexGrid::firstFieldCol)
                grid.setColWidth(ui::MSFlexGrid::firstFieldCol, affectedRowsColumnWidth);
            values.resize(std::size_t(names.size()));
        }
        // The fast path: the engine's UTF-8 straight into the grid's store. A null shows
        // empty and is marked as null, so that a CSV export can tell it from ''.
        for (std::size_t j = 0; j < values.size(); ++j)
            values[j] = result.cellUtf8(int(j));
        grid.appendRowUtf8(std::span<const std::string_view>(values));
        for (std::size_t j = 0; j < values.size(); ++j) {
            if (values[j].empty() && result.isNull(int(j)))
                grid.setNull(grid.Rows() - 1, ui::MSFlexGrid::firstFieldCol + int(j));
        }
        ++records;
        result.MoveNext();
        if (pump.tick())
            grid.flushRows();
    }
    grid.endFill();
    return records;
}

qint64 fillPlainText(db::Recordset& result, ui::PlainTextView& view, const KeepReading& keepReading)
{
    if (!isOpen(result))
        return 0;
    // Each line is built here and reaches the view in one append.
    std::string line;
    ui::EventPump pump;
    // The view learns of new lines at most every 100 ms, not at every turn of events: each time
    // it repaints its lines in sight and both scroll bars.
    constexpr auto flushEvery = std::chrono::milliseconds(100);
    auto flushDue = std::chrono::steady_clock::time_point();
    int fieldCount = 0;
    qint64 records = 0;
    while (!result.Eof() && keepReading()) {
        if (records == 0) {
            const QStringList names = fieldNames(result);
            fieldCount = int(names.size());
            for (const QString& name : names) {
                line += name.toStdString();
                line += '\t';
            }
            line += "\r\n";
        }
        for (int j = 0; j < fieldCount; ++j) {
            line += result.cellUtf8(j);
            line += '\t';
        }
        line += "\r\n";
        view.appendUtf8(line);
        line.clear();
        ++records;
        result.MoveNext();
        if (pump.tick() && std::chrono::steady_clock::now() >= flushDue) {
            view.flushLines();
            flushDue = std::chrono::steady_clock::now() + flushEvery;
        }
    }
    view.flushLines();
    return records;
}

} // namespace query
