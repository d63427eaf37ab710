#include "query/db/Connection.h"

#include "query/db/ConnectionString.h"
#include "query/db/ProviderMap.h"
#include "query/db/mariadb/MariaDbBackend.h"
#include "query/db/odbc/OdbcBackend.h"
#include "query/db/sqlite/SqliteBackend.h"

namespace db {
namespace {
int g_commandTimeout = 30;
} // namespace

int Connection::defaultCommandTimeout()
{
    return g_commandTimeout;
}

void Connection::setDefaultCommandTimeout(int seconds)
{
    g_commandTimeout = seconds;
}

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::Open(const QString& connectionString, const QString& userId, const QString& password)
{
    if (backend_)
        throw objectOpenError();
    if (!connectionString.isEmpty())
        ConnectionString = connectionString;

    QString full = ConnectionString;
    auto add = [&full](const char* key, const QString& value) {
        if (value.isEmpty())
            return;
        if (!full.isEmpty() && !full.endsWith(QLatin1Char(';')))
            full += QLatin1Char(';');
        full += QLatin1String(key) + QLatin1Char('=') + connectionStringValue(value);
    };
    add("User ID", userId);
    add("Password", password);

    const ProviderChoice choice =
        chooseProvider(full, Provider, Properties, CommandTimeout, MultipleStatements);
    std::unique_ptr<BackendConnection> opened = choice.kind == BackendKind::Sqlite    ? sqlite::open(choice)
                                                : choice.kind == BackendKind::MariaDb ? mariadb::open(choice)
                                                                                      : odbc::open(choice);
    opened->setCommandTimeout(CommandTimeout);
    backend_ = std::move(opened);
}

Recordset Connection::Execute(const QString& commandText)
{
    if (!backend_)
        throw objectClosedError();
    Recordset set;
    set.Open(commandText, *this);
    return set;
}

int Connection::State() const
{
    return backend_ ? adStateOpen : adStateClosed;
}

void Connection::Close()
{
    backend_.reset();
}

} // namespace db
