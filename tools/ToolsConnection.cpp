#include "tools/ToolsConnection.h"

#include "query/ConnectionSettings.h"
#include "query/db/ConnectionString.h"

namespace tools {

QString toolsConnectionString(const ToolsLogin& login, LastPiece last)
{
    const auto v = [](const QString& box) { return db::connectionStringValue(box.trimmed()); };
    return QStringLiteral("Driver={SQL Server};Server=") + v(login.server) + QStringLiteral(";UID=") +
           v(login.user) + QStringLiteral(";PWD=") + v(login.password) + QStringLiteral(";WSID=") +
           QLatin1String(query::WorkstationName) + QStringLiteral(";Language=us_english;Database=") +
           v(login.database) +
           (last == LastPiece::Tools ? QStringLiteral(";DSN=;") : QStringLiteral(" ;DSN=;"));
}

} // namespace tools
