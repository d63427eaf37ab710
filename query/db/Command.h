#pragma once

#include <QString>

namespace db {

class Connection;

// A command text bound to an open connection, used as a Recordset's source.
class Command
{
public:
    Connection* ActiveConnection = nullptr;
    QString CommandText;
};

} // namespace db
