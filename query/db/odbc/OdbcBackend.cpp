#include "query/db/odbc/OdbcBackend.h"

namespace db::odbc {

std::unique_ptr<BackendConnection> open(const ProviderChoice&)
{
    throw Error(QStringLiteral("no ODBC backend yet"));
}

} // namespace db::odbc
