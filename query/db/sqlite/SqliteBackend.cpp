#include "query/db/sqlite/SqliteBackend.h"

namespace db::sqlite {

std::unique_ptr<BackendConnection> open(const ProviderChoice&)
{
    throw Error(QStringLiteral("SQLite backend not built yet"));
}

} // namespace db::sqlite
