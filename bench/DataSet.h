#pragma once

// The benchmark's data: one table of 8 columns whose every value follows from its row number,
// so the same rows come out of every run, into a SQLite file and into MariaDB.
//
//   id      integer primary key   1 .. rows
//   num     int                   -999,999,999 .. 999,999,999
//   ratio   double                a multiple of 1/64 (exact in binary, short in decimal)
//   code    varchar(16)           6 .. 16 letters and digits
//   note    varchar(100)          words, 30 .. 66 characters
//   stamp   datetime              2020-01-01 .. 2024-12-31
//   remark  varchar(32)           null in 30 % of the rows, else words
//   amount  decimal(10,2)         0.00 .. 99999.99
//
// About 124 bytes of text per row as the engines print it.

#include <cstdint>
#include <optional>
#include <string>

namespace bench {

class OdbcConnection;

inline constexpr int columnCount = 8;
inline constexpr char tableName[] = "bench_rows";
// Raised whenever the generated values change, so stale data is made again.
inline constexpr int dataVersion = 1;

struct Record
{
    std::int64_t id = 0;
    std::int32_t num = 0;
    double ratio = 0;
    std::string code;
    std::string note;
    std::string stamp;
    std::optional<std::string> remark;
    std::int64_t cents = 0; // amount * 100
};

Record record(std::int64_t id);

// The statement every path runs.
std::string selectQuery();

// Writes a fresh SQLite file with `rows` records unless the file already holds them.
// Returns true when it wrote the file.
bool ensureSqlite(const std::string& path, std::int64_t rows);

// Loads `rows` records into the connection's current database unless it already holds them,
// with multi-row INSERTs in one transaction. Returns true when it loaded them.
bool ensureMariaDb(OdbcConnection& connection, std::int64_t rows);

} // namespace bench
