#pragma once

#include "query/db/Backend.h"
#include "query/db/ProviderMap.h"

namespace db::mariadb {

// Connects to a MySQL or MariaDB server with MariaDB Connector/C, the library of the mariadb
// client itself. choice.connectionString is the MySQL string as translated for ODBC (Server=,
// Port=, UID=, PWD=, Database=, CONN_TIMEOUT=, READ_TIMEOUT=); choice.loginTimeout applies
// when it names no CONN_TIMEOUT. Throws db::Error with the server's number and text.
std::unique_ptr<BackendConnection> open(const ProviderChoice& choice);

} // namespace db::mariadb
