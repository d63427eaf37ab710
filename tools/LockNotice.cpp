#include "tools/LockNotice.h"

#include "query/db/Connection.h"
#include "query/db/Error.h"

#include <QSet>

namespace tools {
namespace {

// An id goes into the query only as the number it is.
std::optional<qint64> number(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

QString field(const db::Recordset& set, int index)
{
    const QVariant value = set.Fields().Item(index).Value();
    return value.isNull() ? QString() : value.toString().trimmed();
}

QString orId(const QString& name, const QString& id)
{
    return name.isEmpty() ? id.trimmed() : name;
}

} // namespace

LockNames lockNames(db::Connection& connection, const QList<WaitingLock>& locks)
{
    QStringList columns;
    QList<std::pair<bool, QString>> keys; // (database?, key)
    QSet<QString> asked;
    for (const WaitingLock& lock : locks.mid(0, listedLocks)) {
        const auto dbid = number(lock.dbid);
        const auto objectId = number(lock.objectId);
        if (!dbid)
            continue;
        const QString dbKey = QString::number(*dbid);
        if (!asked.contains(dbKey)) {
            asked.insert(dbKey);
            columns << QStringLiteral("db_name(%1)").arg(*dbid);
            keys.push_back({true, dbKey});
        }
        const QString objectKey = dbKey + QLatin1Char(':') + QString::number(objectId.value_or(0));
        if (objectId && *objectId != 0 && !asked.contains(objectKey)) {
            asked.insert(objectKey);
            columns << QStringLiteral("object_name(%1, %2)").arg(*objectId).arg(*dbid);
            keys.push_back({false, objectKey});
        }
    }
    LockNames names;
    if (columns.isEmpty())
        return names;
    try {
        db::Recordset set =
            connection.Execute(QStringLiteral("select ") + columns.join(QStringLiteral(", ")));
        if (set.State() != db::adStateOpen || set.Eof())
            return names;
        for (int i = 0; i < keys.size(); ++i) {
            const QString name = field(set, i);
            if (!name.isEmpty())
                (keys[i].first ? names.databases : names.objects).insert(keys[i].second, name);
        }
    } catch (const db::Error&) {
        // A server that cannot name them: the ids are shown.
    }
    return names;
}

QList<BlockedRequest> blockingChain(db::Connection& connection)
{
    QList<BlockedRequest> chain;
    try {
        db::Recordset set = connection.Execute(QStringLiteral(
            "select r.session_id, r.blocking_session_id, r.wait_type, r.wait_time, s.login_name, s.host_name "
            "from sys.dm_exec_requests r left join sys.dm_exec_sessions s on s.session_id = "
            "r.blocking_session_id "
            "where r.blocking_session_id <> 0 order by r.blocking_session_id, r.session_id"));
        if (set.State() != db::adStateOpen)
            return chain;
        for (; !set.Eof() && chain.size() < listedLocks; set.MoveNext())
            chain.push_back(
                {field(set, 0), field(set, 1), field(set, 2), field(set, 3), field(set, 4), field(set, 5)});
    } catch (const db::Error&) {
        // A server without these views, or a login that may not read them: no chain.
        chain.clear();
    }
    return chain;
}

QString locksNoticeBody(const QString& notice, const QList<WaitingLock>& locks, const LockNames& names,
                        const QList<BlockedRequest>& chain)
{
    QStringList lines{notice, QString(),
                      QStringLiteral("Waiting locks (spid, database, object, mode, status):")};
    for (const WaitingLock& lock : locks.mid(0, listedLocks)) {
        const QString dbKey = number(lock.dbid) ? QString::number(*number(lock.dbid)) : lock.dbid;
        const QString objectKey =
            dbKey + QLatin1Char(':') + QString::number(number(lock.objectId).value_or(0));
        lines << QStringList{lock.spid.trimmed(), orId(names.databases.value(dbKey), lock.dbid),
                             orId(names.objects.value(objectKey), lock.objectId), lock.mode.trimmed(),
                             lock.status.trimmed()}
                     .join(QStringLiteral(", "));
    }
    if (locks.size() > listedLocks)
        lines << QStringLiteral("and %1 more").arg(locks.size() - listedLocks);

    // The head of a chain holds what others wait for and waits for no one itself.
    QSet<QString> waiting;
    for (const BlockedRequest& request : chain)
        waiting.insert(request.session);
    QSet<QString> heads;
    for (const BlockedRequest& request : chain) {
        if (waiting.contains(request.blocker) || heads.contains(request.blocker))
            continue;
        heads.insert(request.blocker);
        QString head = QStringLiteral("Head of the blocking chain: session ") + request.blocker;
        if (!request.blockerLogin.isEmpty())
            head += QStringLiteral(", login ") + request.blockerLogin;
        if (!request.blockerHost.isEmpty())
            head += QStringLiteral(", host ") + request.blockerHost;
        lines << head;
    }
    for (const BlockedRequest& request : chain)
        lines << QStringLiteral("Session %1 waits for session %2: %3, %4 ms")
                     .arg(request.session, request.blocker, request.waitType, request.waitTime);
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace tools
