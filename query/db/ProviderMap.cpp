#include "query/db/ProviderMap.h"

#include "query/db/Error.h"

namespace db {

ProviderChoice chooseProvider(const QString& connectionString, const QString& provider,
                              const QMap<QString, QString>& properties)
{
    Q_UNUSED(properties);
    const ConnectionStringParts parts = parseConnectionString(connectionString);
    QString named = parts.value(QStringLiteral("Provider"));
    if (named.isNull())
        named = provider;

    if (named.trimmed().compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) == 0) {
        const QString path = parts.value(QStringLiteral("Data Source"));
        if (path.isEmpty())
            throw Error(ErrorNumber::Unreachable,
                        QStringLiteral("The SQLite connection string names no database file (Data Source=)."));
        return {BackendKind::Sqlite, path, 0};
    }
    if (connectionString.trimmed().isEmpty())
        throw Error(ErrorNumber::Unreachable,
                    QStringLiteral("The connection string is empty: choose a database type and fill the connection fields."));
    return {BackendKind::Odbc, connectionString, 15};
}

} // namespace db
