#include "query/ConnectionHints.h"

#include "query/db/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace query {
namespace {

const QString userName = QStringLiteral("user name");
const QString notUsed = QStringLiteral("not used");

// Keyed by the type in upper case, as the run recognises it.
const QHash<QString, ConnectionHints>& hintTable()
{
    static const QHash<QString, ConnectionHints> table{
        {QStringLiteral("SQL"),
         {QStringLiteral("server or server,port"), userName, QStringLiteral("database name"), {}}},
        {QStringLiteral("ACCESS"),
         {QStringLiteral("database file (.mdb, .accdb)"), notUsed, notUsed,
          QStringLiteral("Access databases (*.mdb *.accdb);;All files (*)")}},
        {QStringLiteral("SQLITE"),
         {QStringLiteral("database file"), notUsed, notUsed,
          QStringLiteral("SQLite databases (*.sqlite *.sqlite3 *.db);;All files (*)")}},
        {QStringLiteral("MYSQL"),
         {QStringLiteral("server or server:port"), userName, QStringLiteral("database name"), {}}},
        {QStringLiteral("ORACLE"),
         {QStringLiteral("server"), userName, QStringLiteral("TNS name or service"), {}}},
        {QStringLiteral("POSTGRESQL"),
         {QStringLiteral("server or server:port"), userName, QStringLiteral("database name"), {}}},
        {QStringLiteral("ODBC"),
         {QStringLiteral("DSN name or ODBC connection string"),
          userName,
          QStringLiteral("database name"),
          {}}},
    };
    return table;
}

db::Error locationError(const QString& what)
{
    return db::Error(db::ErrorNumber::Unreachable, what, QStringLiteral("08001"));
}

} // namespace

ConnectionHints connectionHints(const QString& type)
{
    return hintTable().value(type.trimmed().toUpper());
}

void checkDatabaseFile(const QString& type, const QString& location)
{
    // SQLite's in-memory database is no file.
    if (connectionHints(type).fileFilter.isEmpty() || location == QLatin1String(":memory:"))
        return;
    if (location.isEmpty())
        throw locationError(QStringLiteral("Location is empty: give the path of the database file."));
    const QFileInfo file(location);
    const QString path = QDir::toNativeSeparators(location);
    if (!file.exists())
        throw locationError(QStringLiteral("The database file in Location does not exist: %1").arg(path));
    if (file.isDir())
        throw locationError(QStringLiteral("Location names a folder, not a database file: %1").arg(path));
}

} // namespace query
