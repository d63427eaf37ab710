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
    } else if (type == QLatin1String("POSTGRESQL")) {
        s.recognised = true;
        const db::ServerAddress server = db::splitServer(f.location);
        s.connectionString = QStringLiteral("Driver={PostgreSQL Unicode};Server=") + v(server.host) +
                             QStringLiteral(";Port=") +
                             (server.port.isEmpty() ? QStringLiteral("5432") : server.port) +
                             QStringLiteral(";Database=") + v(f.databaseName) + QStringLiteral(";UID=") +
                             v(f.user) + QStringLiteral(";PWD=") + v(f.password);
    } else if (type == QLatin1String("ODBC")) {
        s.recognised = true;
        s.connectionString = odbcTypeString(f);
    }
    return s;
}

QString odbcTypeString(const ConnectionFields& f)
{
    // A location with "=" is a whole connection string; anything else names a data source.
    const QString location = f.location.trimmed();
    QString text = location.contains(QLatin1Char('='))
                       ? location
                       : QStringLiteral("DSN=") + db::connectionStringValue(location);
    const db::ConnectionStringParts parts = db::parseConnectionString(text);
    const auto add = [&](const char* key, const QString& value, std::initializer_list<QString> names) {
        if (value.isEmpty())
            return;
        for (const QString& name : names)
            if (parts.contains(name))
                return;
        if (!text.endsWith(QLatin1Char(';')))
            text += QLatin1Char(';');
        text += QLatin1String(key) + QLatin1Char('=') + db::connectionStringValue(value);
    };
    add("UID", f.user, {QStringLiteral("UID"), QStringLiteral("User ID"), QStringLiteral("User")});
    add("PWD", f.password, {QStringLiteral("PWD"), QStringLiteral("Password")});
    add("Database", f.databaseName, {QStringLiteral("Database"), QStringLiteral("DB")});
    return text;
}

} // namespace query
