#include "tools/ObjectCompare.h"

#include "query/db/Recordset.h"
#include "tools/ObjectName.h"
#include "ui/Events.h"

#include <optional>
#include <string_view>

namespace tools {
namespace {

const QString crlf = QStringLiteral("\r\n");
constexpr qsizetype shownLength = 100;

QString shown(const db::Recordset& set, int col)
{
    if (set.isNull(col))
        return QStringLiteral("Null");
    const std::string_view v = set.cellUtf8(col);
    return QLatin1Char('\'') + QString::fromUtf8(v.data(), qsizetype(v.size())).left(shownLength) +
           QLatin1Char('\'');
}

QString shownLine(const db::Recordset& set)
{
    if (set.isNull(0))
        return QStringLiteral("Null");
    const std::string_view v = set.cellUtf8(0);
    QString line = QString::fromUtf8(v.data(), qsizetype(v.size()));
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return QLatin1Char('\'') + line.left(shownLength) + QLatin1Char('\'');
}

// The rest of a set, counted without reading its fields; nothing when stopped.
std::optional<qint64> countRest(db::Recordset& set, CompareWatcher& watcher, ui::EventPump& pump)
{
    qint64 rows = 0;
    while (!set.Eof()) {
        if (watcher.stopRequested())
            return std::nullopt;
        set.MoveNext();
        ++rows;
        pump.tick();
    }
    return rows;
}

// Pairs the rows of both sets by position until side 1 ends or a row differs.
ObjectResult compareRows(db::Recordset& set1, db::Recordset& set2, ObjectKind kind, const QString& name1,
                         CompareWatcher& watcher)
{
    ObjectResult result;
    ui::EventPump pump;
    qint64 line = 0;
    qint64 lineShown = 0;
    const auto showLine = [&] {
        if (kind == ObjectKind::Tables && line != lineShown) {
            watcher.status(QStringLiteral("Comparing Line: ") + name1 + QStringLiteral("  ") +
                           QString::number(line));
            lineShown = line;
        }
    };
    const auto differ = [&](const QString& where) {
        result.differ = true;
        result.where = QStringLiteral("    ") + where;
    };
    const auto rowCounts = [&](qint64 rows1, qint64 rows2) {
        differ(QStringLiteral("row counts differ: %1 against %2").arg(rows1).arg(rows2));
    };

    int fields = -1;
    while (!set1.Eof()) {
        if (watcher.stopRequested()) {
            result.stopped = true;
            break;
        }
        const QString where = kind == ObjectKind::Tables ? QStringLiteral("row %1").arg(line + 1)
                                                         : QStringLiteral("line %1").arg(line + 1);
        if (set2.Eof()) {
            const auto rest = countRest(set1, watcher, pump);
            if (!rest) {
                result.stopped = true;
                break;
            }
            rowCounts(line + *rest, line);
            break;
        }
        if (fields < 0) {
            fields = set1.Fields().Count();
            const int fields2 = set2.Fields().Count();
            if (fields != fields2) {
                differ(where + QStringLiteral(": %1 columns against %2").arg(fields).arg(fields2));
                break;
            }
        }
        for (int c = 0; c < fields; ++c) {
            const bool null1 = set1.isNull(c);
            if (null1 != set2.isNull(c) || (!null1 && set1.cellUtf8(c) != set2.cellUtf8(c))) {
                if (kind == ObjectKind::Tables)
                    differ(where + QStringLiteral(", column ") + set1.Fields().Item(c).Name() +
                           QStringLiteral(": ") + shown(set1, c) + QStringLiteral(" against ") +
                           shown(set2, c));
                else
                    differ(where + QStringLiteral(": ") + shownLine(set1) + QStringLiteral(" against ") +
                           shownLine(set2));
                break;
            }
        }
        if (result.differ)
            break;
        ++line;
        set1.MoveNext();
        set2.MoveNext();
        if (pump.tick())
            showLine();
    }
    showLine();
    if (!result.differ && !result.stopped && !set2.Eof()) {
        if (const auto rest = countRest(set2, watcher, pump))
            rowCounts(line, line + *rest);
        else
            result.stopped = true;
    }
    return result;
}

} // namespace

ObjectResult compareObject(ObjectKind kind, const QString& connection1, const QString& name1,
                           const QString& connection2, const QString& name2, CompareWatcher& watcher)
{
    db::Recordset set1;
    db::Recordset set2;
    if (kind == ObjectKind::Tables) {
        set1.Open(selectAllFrom(name1), connection1);
        set2.Open(selectAllFrom(name2), connection2);
    } else {
        set1.Open(helpTextOf(name1), connection1);
        watcher.status(QStringLiteral("Comparing: ") + name1);
        set2.Open(helpTextOf(name2), connection2);
    }
    ObjectResult result = compareRows(set1, set2, kind, name1, watcher);
    set1.Close();
    set2.Close();
    return result;
}

CompareOutcome runCompare(const CompareRequest& request, CompareWatcher& watcher)
{
    CompareOutcome outcome;
    QString missing;
    const auto compare = [&](const QString& name1, const QString& name2) {
        ui::doEvents();
        if (watcher.stopRequested()) {
            outcome.stopped = true;
            return;
        }
        const ObjectResult r =
            compareObject(request.kind, request.connection1, name1, request.connection2, name2, watcher);
        if (r.stopped) {
            outcome.stopped = true;
            return;
        }
        outcome.different = outcome.different || r.differ;
        outcome.logText += name1 + (r.differ ? QStringLiteral(" <> ") : QStringLiteral(" = ")) + name2 + crlf;
        if (r.differ)
            outcome.logText += r.where + crlf;
    };
    const auto notFound = [&](const QString& name, const QString& database) {
        outcome.different = true;
        missing += name + QStringLiteral(" is not found in ") + database + crlf;
    };

    if (!request.allObjects) {
        compare(request.name1, request.name2);
    } else {
        for (const QString& name : request.names1) {
            if (outcome.stopped)
                break;
            if (request.names2.contains(name))
                compare(name, name);
            else
                notFound(name, request.database2);
        }
        for (const QString& name : request.names2) {
            if (outcome.stopped)
                break;
            if (!request.names1.contains(name))
                notFound(name, request.database1);
            ui::doEvents();
        }
    }
    outcome.logText += crlf + missing;
    return outcome;
}

} // namespace tools
