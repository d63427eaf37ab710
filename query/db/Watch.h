#pragma once

#include "query/db/Error.h"

#include <QString>
#include <memory>

namespace db {

class BackendConnection;
class BackendResult;

// The caller's side of a long piece of engine work: a statement executing on its worker thread,
// or a client-side set loading its rows. proceed() is called on the caller's thread often (at
// least every few milliseconds while an execute runs, before every row of a load), so it lets
// the caller's window events run and answers whether to go on; false stops the work.
class Watch
{
public:
    virtual ~Watch() = default;
    virtual bool proceed(qint64 rowsRead) = 0;
};

// The execute ended because the watch asked to stop: whatever the engine had done is dropped,
// and the statements of the batch not yet run are not run.
struct Cancelled : Error
{
    Cancelled()
        : Error(ErrorNumber::Unreachable, QStringLiteral("The statement was cancelled."),
                QStringLiteral("HY008"))
    {
    }
};

// Runs connection->execute(sql) on a worker thread of its own while the calling thread asks the
// watch to proceed. When the watch says stop, the engine is asked to cancel (an attention on
// SQL Server, a killed query on MySQL, an interrupt on SQLite) and Cancelled is thrown once the
// engine has let go. Errors of the execute are thrown here, on the calling thread.
std::unique_ptr<BackendResult> executeWatched(const std::shared_ptr<BackendConnection>& connection,
                                              const QString& sql, Watch& watch);

} // namespace db
