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
    QString type;         // Combo1, "SQL", "Access", "Oracle", "MySql", "SQLite" in any letter case
    QString user;         // Text4
    QString password;     // Text5
    QString location;     // Text8: server, or the database file for Access and SQLite
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
// "MYSQL", "ORACLE" and "SQLITE". Field values go into the strings as typed; only a value that
// would break the string (";", "{", "}", or blanks at either end) is wrapped in braces, with
// "}" doubled, which the provider map reads back.
ConnectionSettings connectionSettings(const ConnectionFields& fields);

} // namespace query
