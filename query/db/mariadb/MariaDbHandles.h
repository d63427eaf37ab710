// Connector/C handles as RAII types, the login a connection is made with, and the server's
// errors as db::Error values.
#pragma once

#include "query/db/Backend.h"
#include "query/db/ProviderMap.h"

#include <QByteArray>
#include <memory>
#include <mysql.h>

namespace db::mariadb {

struct MysqlClose
{
    void operator()(MYSQL* my) const noexcept { mysql_close(my); }
};
using MysqlHandle = std::unique_ptr<MYSQL, MysqlClose>;

// Freeing a streamed result reads its remaining rows off the connection.
struct MysqlFreeResult
{
    void operator()(MYSQL_RES* res) const noexcept { mysql_free_result(res); }
};
using MysqlResult = std::unique_ptr<MYSQL_RES, MysqlFreeResult>;

// What a connection is made with, kept so that a second connection (Cancel) can be made.
struct ServerLogin
{
    QByteArray host, user, password, database;
    unsigned port = 0;
    unsigned connectTimeout = 0; // seconds, 0 = the library's default
    unsigned readTimeout = 0;    // seconds, 0 = none
};

// From the translated MySQL string (Server=, Port=, UID=, PWD=, Database=, CONN_TIMEOUT=,
// READ_TIMEOUT=) and the login time-out of the choice.
ServerLogin loginFrom(const ProviderChoice& choice);

// A connection in utf8mb4 that allows batches and never sends local files to the server.
MysqlHandle connectTo(const ServerLogin& login);

// The error the connection reports, numbered as the ODBC path numbers it.
db::Error serverError(MYSQL* my, const char* call);

// A statement whose "?" markers and values differ in number.
db::Error markerCountError(qsizetype markers, qsizetype values);

// One prepared statement with its parameters bound as text, bytes or null.
class PreparedStatement
{
public:
    explicit PreparedStatement(MYSQL* my);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    void prepare(const QByteArray& sql);
    void bind(const QList<Param>& params);
    void execute();
    qint64 affectedRows() const;

private:
    db::Error error(const char* call) const;

    MYSQL_STMT* m_stmt;
    QList<QByteArray> m_values;
};

} // namespace db::mariadb
