#pragma once

// Which backend serves a connection string, and what that backend is given to connect.
// The connection strings the program builds are an external interface and stay exactly as
// built; this is the one place that translates them for the drivers installed here.

#include "query/db/ConnectionString.h"

#include <QMap>
#include <QString>

namespace db {

enum class BackendKind { Sqlite, Odbc, MariaDb };

struct ProviderChoice
{
    BackendKind kind = BackendKind::Odbc;
    // Sqlite: the database file's path. Odbc: the string for SQLDriverConnect. MariaDb: the
    // MySQL string as translated for ODBC, read by the native backend.
    QString connectionString;
    // Seconds the login may take; 0 means the driver's own default.
    int loginTimeout = 0;
};

// The MySql type's string ("Driver={MySql}") is served by the native MariaDB backend unless a
// driver is registered under the exact name "MySql". Off, it goes to the ODBC drivers as any
// other string: for the tests and the benchmark, which run both paths.
void setNativeMySql(bool on);
bool nativeMySql();

// connectionString and provider as set on the Connection (the string's own "Provider=" wins
// over the property, as in the classic library); properties are the Connection's Properties,
// e.g. "Jet OLEDB:Database Password". commandTimeout (seconds, 0 = none) and whether a command
// may be a batch shape the string for drivers that take them there (MySQL's).
// Throws db::Error when the string names nothing usable.
ProviderChoice chooseProvider(const QString& connectionString, const QString& provider,
                              const QMap<QString, QString>& properties, int commandTimeout = 0,
                              bool multipleStatements = true);

} // namespace db
