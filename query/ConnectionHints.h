#pragma once

#include <QString>

// What the connection fields expect for each database type, shown as placeholder hints in the
// empty boxes so that nobody has to guess, and the check that a file-based database's file is
// there before a run tries to open it.
namespace query {

struct ConnectionHints
{
    QString location;     // Text8
    QString user;         // Text4
    QString databaseName; // Text9
    // For a type whose location is a database file: the file chooser's name filter; "" for a
    // server type.
    QString fileFilter;
};

// The hints for the type box's text, in any letter case; all empty for a text that is no type.
ConnectionHints connectionHints(const QString& type);

// For a type whose location is a database file (SQLite, Access): throws db::Error naming the
// Location box and the path when the box is empty, the file is missing or is a folder. Other
// types pass.
void checkDatabaseFile(const QString& type, const QString& location);

} // namespace query
