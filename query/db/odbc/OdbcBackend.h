#pragma once

#include "query/db/Backend.h"
#include "query/db/ProviderMap.h"

namespace db::odbc {

// Connects through the ODBC driver manager with the translated string of choice.
// Throws db::Error with the driver's diagnostics when the connection cannot be made.
std::unique_ptr<BackendConnection> open(const ProviderChoice& choice);

} // namespace db::odbc
