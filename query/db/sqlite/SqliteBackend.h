#pragma once

#include "query/db/Backend.h"
#include "query/db/ProviderMap.h"

namespace db::sqlite {

// Opens the database file choice.connectionString for reading and writing. The file must
// exist: a query tool that silently created an empty database for a mistyped path would
// only confuse with "no such table" later. Throws db::Error naming the path otherwise.
std::unique_ptr<BackendConnection> open(const ProviderChoice& choice);

} // namespace db::sqlite
