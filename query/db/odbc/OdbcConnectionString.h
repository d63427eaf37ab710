// From the connection strings the program builds (OLE DB style for SQL Server, Access and
// Oracle, ODBC style for MySQL and the tools) to the ODBC connection string of an installed
// driver. The translation is pure: the installed drivers are passed in, so every rule can be
// tested without them; installedDrivers() asks the driver manager.
#pragma once

#include "query/db/ConnectionString.h"
#include "query/db/odbc/OdbcErrors.h"

#include <QList>
#include <QString>
#include <optional>

namespace db::odbc {

// A driver registered with the driver manager: its name and its library (the Driver= entry
// of odbcinst.ini; empty when unknown).
struct InstalledDriver
{
    QString name;
    QString library;
};

// What a connection asks for: its parsed connection string and the provider settings made
// beside it (Access's provider and database password are connection properties).
struct OdbcRequest
{
    QList<ConnectionStringPart> keys;        // parseConnectionString(...).parts
    QString provider;                        // the Provider property; the string's own wins
    std::optional<QString> databasePassword; // the "Jet OLEDB:Database Password" property
    int commandTimeout = 0;                  // seconds a command may wait; 0 = no limit
    bool multipleStatements = true;          // whether a command may be a batch
};

// The connection an ODBC backend makes.
struct OdbcTarget
{
    QString connectionString; // for SQLDriverConnectW
    QString driver;           // the driver chosen; empty for a DSN= string
    DriverFamily family = DriverFamily::Other;
    QString accessFile;                  // Access: the database file, checked before connecting
    int loginTimeout = 0;                // seconds, 0 = the driver's default
    bool stripTrailingSemicolon = false; // mdbtools rejects a statement ending in ";"
};

// The login time-out given to network drivers unless the connection string names one
// ("Connect Timeout=n"). Tests shorten it; 15 s by default.
int defaultLoginTimeout();
void setDefaultLoginTimeout(int seconds);

// Throws db::Error (-2147467259) when no suitable driver is installed, naming the drivers
// tried and the Debian package that provides one; and for an Access file that is missing or
// unreadable, naming the path.
OdbcTarget translate(const OdbcRequest& request, const QList<InstalledDriver>& installed);

// Checks that the Access database file can be opened for reading; throws db::Error naming the
// path when it cannot (mdbtools itself fails without any diagnostic).
void checkAccessFile(const QString& path);

// The drivers the driver manager knows (SQLDriversW), with their libraries.
QList<InstalledDriver> installedDrivers();

// The driver a data source of odbc.ini names (SQLDataSourcesW); empty when there is no such
// data source.
QString dataSourceDriver(const QString& dsn);

// The family of a named driver, from its name and library.
DriverFamily familyOf(const QString& driverName, const QString& library);

} // namespace db::odbc
