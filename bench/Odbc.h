#pragma once

// A few RAII handles over the plain ODBC API, for the raw baseline and for loading the data
// set into MariaDB. Narrow calls only: the connection asks the driver for UTF-8.

#include <sql.h>
#include <sqlext.h>
#include <stdexcept>
#include <string>

namespace bench {

class OdbcError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Every diagnostic record of the handle, one per line.
std::string odbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

class OdbcStatement
{
public:
    explicit OdbcStatement(SQLHDBC dbc);
    ~OdbcStatement();
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    SQLHSTMT get() const { return stmt_; }
    // Throws OdbcError with the driver's words unless rc succeeded.
    void check(SQLRETURN rc, const char* what) const;
    SQLRETURN execute(const std::string& sql);

private:
    SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

class OdbcConnection
{
public:
    explicit OdbcConnection(const std::string& connectionString);
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    SQLHDBC get() const { return dbc_; }
    // Runs a statement without rows.
    void run(const std::string& sql);
    void setAutocommit(bool on);
    void commit();

private:
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
};

} // namespace bench
