#include "bench/Odbc.h"

namespace bench {

std::string odbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    std::string text;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLCHAR message[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(
                SQLGetDiagRec(handleType, handle, i, state, &native, message, sizeof(message), &length)))
            break;
        if (!text.empty())
            text += '\n';
        text += reinterpret_cast<const char*>(state);
        text += ": ";
        text += reinterpret_cast<const char*>(message);
    }
    return text.empty() ? std::string("no diagnostic record") : text;
}

OdbcStatement::OdbcStatement(SQLHDBC dbc)
{
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt_)))
        throw OdbcError("SQLAllocHandle(STMT): " + odbcDiagnostics(SQL_HANDLE_DBC, dbc));
}

OdbcStatement::~OdbcStatement()
{
    SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
}

void OdbcStatement::check(SQLRETURN rc, const char* what) const
{
    if (!SQL_SUCCEEDED(rc))
        throw OdbcError(std::string(what) + ": " + odbcDiagnostics(SQL_HANDLE_STMT, stmt_));
}

SQLRETURN OdbcStatement::execute(const std::string& sql)
{
    const SQLRETURN rc = SQLExecDirect(stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())),
                                       SQLINTEGER(sql.size()));
    if (rc != SQL_NO_DATA)
        check(rc, "SQLExecDirect");
    return rc;
}

OdbcConnection::OdbcConnection(const std::string& connectionString)
{
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    const SQLRETURN rc = SQLDriverConnect(
        dbc_, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.data())),
        SQLSMALLINT(connectionString.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        const std::string why = odbcDiagnostics(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
        throw OdbcError("SQLDriverConnect: " + why);
    }
}

OdbcConnection::~OdbcConnection()
{
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

void OdbcConnection::run(const std::string& sql)
{
    OdbcStatement stmt(dbc_);
    stmt.execute(sql);
}

void OdbcConnection::setAutocommit(bool on)
{
    const auto value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    if (!SQL_SUCCEEDED(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                                         reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(value)), 0)))
        throw OdbcError("SQL_ATTR_AUTOCOMMIT: " + odbcDiagnostics(SQL_HANDLE_DBC, dbc_));
}

void OdbcConnection::commit()
{
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT)))
        throw OdbcError("SQLEndTran: " + odbcDiagnostics(SQL_HANDLE_DBC, dbc_));
}

} // namespace bench
