#pragma once

#include "tools/ObjectName.h"

#include <functional>

namespace db {
class Recordset;
}

namespace tools {

// Walks an "sp_help" object listing from its current row to its end and hands on each object
// whose "OBJECT_TYPE", upper-cased, equals `type` ("USER TABLE", "STORED PROCEDURE"), owner
// and name as the server gave them. Lets window events run after every row.
void walkObjectList(db::Recordset& listing, const QString& type,
                    const std::function<void(const ObjectName&)>& onObject);

} // namespace tools
