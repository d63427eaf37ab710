#include "query/ConnectionSettings.h"

#include "query/db/Connection.h"
#include "query/db/ConnectionString.h"

namespace query {

void ConnectionSettings::applyTo(db::Connection& connection) const
{
    if (!recognised)
        return;
    if (commandTimeout)
        connection.CommandTimeout = *commandTimeout;
    if (provider)
        connection.Provider = *provider;
    connection.ConnectionString = connectionString;
    if (databasePassword)
        connection.Properties.insert(QStringLiteral("Jet OLEDB:Database Password"), *databasePassword);
}

ConnectionSettings connectionSettings(const ConnectionFields& f)
{
    const auto v = [](const QString& value) { return db::connectionStringValue(value); };
    const QString type = f.type.toUpper();
    ConnectionSettings s;

    if (type == QLatin1String("SQL")) {
        s.recognised = true;
        s.connectionString = QStringLiteral("Provider=SQLOLEDB.1;User ID=") + v(f.user) +
                             QStringLiteral(";pwd=") + v(f.password) + QStringLiteral(";Initial Catalog=") +
                             v(f.databaseName) + QStringLiteral(";Data Source=") + v(f.location);
    } else if (type == QLatin1String("ACCESS")) {
        s.recognised = true;
        s.commandTimeout = 0;
        s.provider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
        s.connectionString = QStringLiteral("Data Source=") + v(f.location);
        // A property, not part of the string: it goes to the provider as typed, empty included.
        s.databasePassword = f.dbPassword;
    } else if (type == QLatin1String("MYSQL")) {
        s.recognised = true;
        s.connectionString = QStringLiteral("Driver={MySql};Server=") + v(f.location) +
                             QStringLiteral(";UID=") + v(f.user) + QStringLiteral(";PWD=") + v(f.password) +
                             QStringLiteral(";WSID=") + QLatin1String(WorkstationName) +
                             QStringLiteral(";Language=us_english;Database=") + v(f.databaseName) +
                             QStringLiteral(";DSN=;");
    } else if (type == QLatin1String("ORACLE")) {
        s.recognised = true;
        s.connectionString = QStringLiteral("Provider=MSDAORA;Data Source=") + v(f.databaseName) +
                             QStringLiteral(";User ID=") + v(f.user) + QStringLiteral("; Password=") +
                             v(f.password) + QStringLiteral(";Server=") + v(f.location) + QStringLiteral(";");
    } else if (type == QLatin1String("SQLITE")) {
        s.recognised = true;
        s.connectionString = QStringLiteral("Provider=SQLite;Data Source=") + v(f.location);
    }
    return s;
}

} // namespace query
