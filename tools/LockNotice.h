#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace db {
class Connection;
}

// What a "Sql Locks" notice tells beyond its first line: the waiting lock rows and the head
// of the blocking chain, as far as the server answers.
namespace tools {

// A waiting row of "sp_lock", as the server gave it.
struct WaitingLock
{
    QString spid;
    QString dbid;
    QString objectId;
    QString mode;
    QString status;
};

// A request that waits for another session, with that session's login and host ("" when the
// server does not know them).
struct BlockedRequest
{
    QString session;
    QString blocker;
    QString waitType;
    QString waitTime; // milliseconds
    QString blockerLogin;
    QString blockerHost;
};

// Database names by id and object names by "dbid:objectid"; an id the server cannot name is
// missing.
struct LockNames
{
    QHash<QString, QString> databases;
    QHash<QString, QString> objects;
};

// At most this many rows are listed; a line says how many more there were.
inline constexpr int listedLocks = 50;

// The names of the ids in `locks`; empty where the server does not answer.
LockNames lockNames(db::Connection& connection, const QList<WaitingLock>& locks);
// The server's waiting requests (sys.dm_exec_requests with the blockers' sessions); empty
// where the server does not answer.
QList<BlockedRequest> blockingChain(db::Connection& connection);

// `notice`, an empty line, the waiting rows and the blocking chain.
QString locksNoticeBody(const QString& notice, const QList<WaitingLock>& locks, const LockNames& names,
                        const QList<BlockedRequest>& chain);

} // namespace tools
