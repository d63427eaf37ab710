#include "query/db/ProviderMap.h"

#include "query/db/Error.h"
#include "query/db/odbc/OdbcConnectionString.h"

namespace db {

ProviderChoice chooseProvider(const QString& connectionString, const QString& provider,
                              const QMap<QString, QString>& properties, int commandTimeout,
                              bool multipleStatements)
{
    const ConnectionStringParts parts = parseConnectionString(connectionString);
    QString named = parts.value(QStringLiteral("Provider"));
    if (named.isNull())
        named = provider;

    if (named.trimmed().compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) == 0) {
        const QString path = parts.value(QStringLiteral("Data Source"));
        if (path.isEmpty())
            throw Error(
                ErrorNumber::Unreachable,
                QStringLiteral("The SQLite connection string names no database file (Data Source=)."));
        return {BackendKind::Sqlite, path, 0};
    }
    if (connectionString.trimmed().isEmpty())
        throw Error(
            ErrorNumber::Unreachable,
            QStringLiteral(
                "The connection string is empty: choose a database type and fill the connection fields."));

    // Everything else goes to an installed ODBC driver, the string translated for it.
    odbc::OdbcRequest request;
    request.keys = parts.parts;
    request.provider = provider;
    request.commandTimeout = commandTimeout;
    request.multipleStatements = multipleStatements;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        if (it.key().compare(QStringLiteral("Jet OLEDB:Database Password"), Qt::CaseInsensitive) == 0)
            request.databasePassword = it.value();
    }
    const odbc::OdbcTarget target = odbc::translate(request, odbc::installedDrivers());
    return {BackendKind::Odbc, target.connectionString, target.loginTimeout};
}

} // namespace db
