#include "query/db/ProviderMap.h"

#include "query/db/Error.h"
#include "query/db/odbc/OdbcConnectionString.h"

#include <atomic>

namespace db {

namespace {

std::atomic<bool> g_nativeMySql{true};

bool isMySqlString(const ConnectionStringParts& parts, const QString& provider)
{
    const QString p = provider.trimmed();
    return (p.isEmpty() || p.startsWith(QLatin1String("MSDASQL"), Qt::CaseInsensitive)) &&
           parts.value(QStringLiteral("Driver"))
                   .trimmed()
                   .compare(QLatin1String("MySql"), Qt::CaseInsensitive) == 0;
}

bool registered(const QList<odbc::InstalledDriver>& installed, const QString& name)
{
    for (const odbc::InstalledDriver& d : installed)
        if (d.name == name)
            return true;
    return false;
}

} // namespace

void setNativeMySql(bool on)
{
    g_nativeMySql = on;
}

bool nativeMySql()
{
    return g_nativeMySql;
}

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
    const QList<odbc::InstalledDriver> installed = odbc::installedDrivers();
    if (g_nativeMySql && isMySqlString(parts, named) && !registered(installed, QStringLiteral("MySql"))) {
        // Translated as for a driver of that name: the native backend reads the same keys.
        const odbc::OdbcTarget target = odbc::translate(request, {{QStringLiteral("MySql"), {}}});
        return {BackendKind::MariaDb, target.connectionString, target.loginTimeout};
    }
    const odbc::OdbcTarget target = odbc::translate(request, installed);
    return {BackendKind::Odbc, target.connectionString, target.loginTimeout};
}

} // namespace db
