#pragma once

// The raw limits: the shortest loops the engines' own APIs allow, with nothing of Quorvane in
// them. Each returns the number of records read and hands every cell to the sink as UTF-8
// (a null is empty).

#include "bench/Odbc.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mysql.h>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

// sqlite3_step + sqlite3_column_text over an open database.
template <class Sink> std::int64_t sqliteRawLoop(sqlite3* db, const std::string& sql, Sink& sink)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db));
    const int columns = sqlite3_column_count(stmt);
    std::int64_t rows = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            const auto bytes = std::size_t(sqlite3_column_bytes(stmt, c));
            sink.field(text ? std::string_view(text, bytes) : std::string_view(), c == columns - 1);
        }
        ++rows;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db));
    return rows;
}

// Every column bound as SQL_C_CHAR (UTF-8), column-wise, 1000 rows per SQLFetch.
template <class Sink> std::int64_t odbcRawLoop(OdbcConnection& connection, const std::string& sql, Sink& sink)
{
    constexpr SQLULEN arrayRows = 1000;
    OdbcStatement stmt(connection.get());
    SQLULEN fetched = 0;
    stmt.check(SQLSetStmtAttr(stmt.get(), SQL_ATTR_ROW_BIND_TYPE,
                              reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0),
               "SQL_ATTR_ROW_BIND_TYPE");
    stmt.check(
        SQLSetStmtAttr(stmt.get(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(arrayRows), 0),
        "SQL_ATTR_ROW_ARRAY_SIZE");
    stmt.check(SQLSetStmtAttr(stmt.get(), SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0),
               "SQL_ATTR_ROWS_FETCHED_PTR");
    stmt.execute(sql);

    SQLSMALLINT columns = 0;
    stmt.check(SQLNumResultCols(stmt.get(), &columns), "SQLNumResultCols");
    struct Column
    {
        SQLLEN width = 0;
        std::vector<char> text;
        std::vector<SQLLEN> lengths;
    };
    std::vector<Column> bound(static_cast<std::size_t>(columns));
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c) {
        SQLCHAR name[256];
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        stmt.check(
            SQLDescribeCol(stmt.get(), c, name, sizeof(name), &nameLength, &type, &size, &digits, &nullable),
            "SQLDescribeCol");
        Column& col = bound[c - 1];
        // Room for UTF-8 text of the declared size; numbers and dates fit in 64 bytes.
        const bool text =
            type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_WCHAR || type == SQL_WVARCHAR;
        col.width = std::max<SQLLEN>(text ? SQLLEN(size) * 4 + 1 : 64, 32);
        col.text.resize(std::size_t(col.width) * arrayRows);
        col.lengths.resize(arrayRows);
        stmt.check(SQLBindCol(stmt.get(), c, SQL_C_CHAR, col.text.data(), col.width, col.lengths.data()),
                   "SQLBindCol");
    }

    std::int64_t rows = 0;
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt.get());
        if (rc == SQL_NO_DATA)
            break;
        stmt.check(rc, "SQLFetch");
        for (SQLULEN r = 0; r < fetched; ++r) {
            for (SQLSMALLINT c = 0; c < columns; ++c) {
                const Column& col = bound[std::size_t(c)];
                const SQLLEN length = col.lengths[r];
                const bool null = length == SQL_NULL_DATA;
                sink.field(null ? std::string_view()
                                : std::string_view(col.text.data() + r * std::size_t(col.width),
                                                   std::size_t(std::min(length, col.width - 1))),
                           c == columns - 1);
            }
        }
        rows += std::int64_t(fetched);
    }
    return rows;
}

// MariaDB Connector/C, the mariadb client's own way: mysql_use_result + mysql_fetch_row, the
// rows streamed off the socket.
template <class Sink> std::int64_t mysqlRawLoop(MYSQL* my, const std::string& sql, Sink& sink)
{
    if (mysql_real_query(my, sql.data(), static_cast<unsigned long>(sql.size())) != 0)
        throw std::runtime_error(std::string("MariaDB: ") + mysql_error(my));
    std::unique_ptr<MYSQL_RES, void (*)(MYSQL_RES*)> result(mysql_use_result(my), mysql_free_result);
    if (!result)
        throw std::runtime_error(std::string("MariaDB: ") + mysql_error(my));
    const unsigned columns = mysql_num_fields(result.get());
    std::int64_t rows = 0;
    while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
        const unsigned long* lengths = mysql_fetch_lengths(result.get());
        for (unsigned c = 0; c < columns; ++c)
            sink.field(row[c] ? std::string_view(row[c], lengths[c]) : std::string_view(), c == columns - 1);
        ++rows;
    }
    if (mysql_errno(my) != 0)
        throw std::runtime_error(std::string("MariaDB: ") + mysql_error(my));
    return rows;
}

} // namespace bench
