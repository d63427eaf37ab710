#pragma once

#include <QString>
#include <optional>

namespace db {
class Connection;
}

namespace query {

// The workstation name sent after ";WSID=" in every connection string of the program: one
// fixed word, never the user's or the machine's name.
inline constexpr char WorkstationName[] = "QUORVANE";

// The connection fields of the profile panel.
struct ConnectionFields
{
    QString type;         // Combo1: "SQL", "Access", "Oracle", "MySql", "SQLite", "PostgreSQL", "ODBC"
    QString user;         // Text4
    QString password;     // Text5
    QString location;     // Text8: server; the database file (Access, SQLite); a DSN or ODBC string
    QString databaseName; // Text9: database, or Oracle's data source
    QString dbPassword;   // Text10: an Access file's database password
};

// What a database type sets on a connection before it is opened. Unset members are left at
// the connection's defaults.
struct ConnectionSettings
{
    bool recognised = false; // false: the type is none of ours and nothing is set
    std::optional<int> commandTimeout;
    std::optional<QString> provider;
    QString connectionString;
    std::optional<QString> databasePassword; // the "Jet OLEDB:Database Password" property

    // Sets, in this order, the command time-out, the provider, the connection string and the
    // database password property: the order the Jet provider needs. Sets nothing when the
    // type was not recognised, so opening then fails on the empty string.
    void applyTo(db::Connection& connection) const;
};

// The settings for the type in fields.type, compared in upper case with "SQL", "ACCESS",
// "MYSQL", "ORACLE", "SQLITE", "POSTGRESQL" and "ODBC". Field values go into the strings as
// typed; only a value that would break the string (";", "{", "}", or blanks at either end) is
// wrapped in braces, with "}" doubled, which the provider map reads back. PostgreSQL's location
// is "host", "host:port" or "host,port" (port 5432 when none is written).
ConnectionSettings connectionSettings(const ConnectionFields& fields);

// The ODBC type's string: the location box as written when it is a connection string (it holds
// "="), else "DSN=" and the data source's name; then the user, password and database name boxes
// as UID, PWD and Database, each only when it is filled and the string names no such key.
QString odbcTypeString(const ConnectionFields& fields);

} // namespace query
