#pragma once

#include <QString>

// The one connection string of the tools window: each tool reads its own four boxes.
namespace tools {

struct ToolsLogin
{
    QString server;
    QString user;
    QString password;
    QString database;
};

// Every tool ends its string with ";DSN=;"; the lock watch with " ;DSN=;".
enum class LastPiece { Tools, LockWatch };

// "Driver={SQL Server};Server=", ";UID=", ";PWD=", ";WSID=" and the workstation name,
// ";Language=us_english;Database=" and the last piece, with the boxes' trimmed texts between
// them. A value that would break the string (";", "{", "}") goes in braces, as in the main
// window's strings.
QString toolsConnectionString(const ToolsLogin& login, LastPiece last = LastPiece::Tools);

} // namespace tools
