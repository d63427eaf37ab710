#include "tools/ValueFinder.h"

#include "query/db/Error.h"
#include "query/db/Recordset.h"
#include "tools/ObjectName.h"
#include "ui/Events.h"

#include <string>
#include <string_view>

namespace tools {
namespace {

const QString crlf = QStringLiteral("\r\n");

bool admitted(const QString& type, bool checkSystems)
{
    if (type == QLatin1String("user table"))
        return true;
    return checkSystems && (type == QLatin1String("system table") || type == QLatin1String("view"));
}

} // namespace

bool searchTable(const FindRequest& request, const QString& table, FindWatcher& watcher)
{
    const std::string needle = request.searchText.toStdString();
    watcher.status(QStringLiteral("Checking Table ") + table);
    db::Recordset rows;
    rows.Open(QStringLiteral("select * from ") + table, request.connection);
    const int fields = rows.State() == db::adStateOpen && !rows.Eof() ? rows.Fields().Count() : 0;
    ui::EventPump pump;
    std::string rowText;
    bool goOn = true;
    while (!rows.Eof()) {
        if (watcher.stopRequested()) {
            goOn = false;
            break;
        }
        pump.tick();
        rowText.clear();
        for (int c = 0; c < fields; ++c) {
            rowText += '|';
            if (!rows.isNull(c))
                rowText += rows.cellUtf8(c);
        }
        if (std::string_view(rowText).find(needle) != std::string_view::npos) {
            watcher.append(hitText(table, QString::fromStdString(rowText)));
            watcher.status(QStringLiteral("Found Data in ") + table);
            if (!request.findAll) {
                goOn = false;
                break;
            }
        }
        rows.MoveNext();
    }
    rows.Close();
    return goOn;
}

QString hitText(const QString& table, const QString& rowText)
{
    return QStringLiteral("Found Data in Table:") + table + crlf + rowText + crlf + crlf;
}

void findValue(const FindRequest& request, FindWatcher& watcher)
{
    db::Recordset objects;
    objects.Open(QStringLiteral("execute sp_help"), request.connection);
    watcher.clear();
    while (!objects.Eof() && !watcher.stopRequested()) {
        if (admitted(objects.Fields().Item(QStringLiteral("Object_type")).text(), request.checkSystems)) {
            const QString table = ObjectName{objects.Fields().Item(QStringLiteral("Owner")).text().trimmed(),
                                             objects.Fields().Item(QStringLiteral("Name")).text().trimmed()}
                                      .bracketed();
            bool goOn = true;
            try {
                goOn = searchTable(request, table, watcher);
            } catch (const db::Error& e) {
                if (!request.checkSystems)
                    throw;
                watcher.append(QStringLiteral("Skipped Table:") + table + QStringLiteral(" Error ") +
                               QString::number(e.number) + crlf + crlf);
            }
            if (!goOn)
                break;
        }
        objects.MoveNext();
        ui::doEvents();
    }
    objects.Close();
}

} // namespace tools
