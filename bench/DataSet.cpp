#include "bench/DataSet.h"

#include "bench/Odbc.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>

namespace bench {
namespace {

// splitmix64: a well-mixed 64-bit value from any starting value.
std::uint64_t mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Draws from one row's own stream of values.
class Draw
{
public:
    explicit Draw(std::int64_t id) : state_(mix(std::uint64_t(id) * 0x100000001B3ull)) {}
    std::uint64_t next() { return state_ = mix(state_); }
    std::uint64_t below(std::uint64_t n) { return next() % n; }

private:
    std::uint64_t state_;
};

constexpr std::array<const char*, 32> words = {
    "alpha",  "bravo",  "cedar",  "delta",  "ember",  "fjord",  "gamma",  "harbor",
    "indigo", "jade",   "kelvin", "lumen",  "maple",  "nectar", "onyx",   "pepper",
    "quartz", "raven",  "sierra", "tundra", "umber",  "velvet", "willow", "xenon",
    "yarrow", "zephyr", "amber",  "basalt", "copper", "dune",   "ferric", "granite"};

std::string wordsOfLength(Draw& draw, std::size_t minLength, std::size_t maxLength)
{
    const std::size_t target = minLength + draw.below(maxLength - minLength + 1);
    std::string text;
    while (text.size() < target) {
        if (!text.empty())
            text += ' ';
        text += words[draw.below(words.size())];
    }
    text.resize(target);
    if (text.back() == ' ')
        text.back() = 'x';
    return text;
}

std::string stampOf(std::uint64_t secondsSince2020)
{
    using namespace std::chrono;
    const sys_days day = sys_days(year{2020} / January / 1) + days(secondsSince2020 / 86400);
    const year_month_day ymd(day);
    const std::uint64_t s = secondsSince2020 % 86400;
    char text[32];
    std::snprintf(text, sizeof(text), "%04d-%02u-%02u %02u:%02u:%02u", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()), unsigned(s / 3600), unsigned(s / 60 % 60), unsigned(s % 60));
    return text;
}

std::string amountText(std::int64_t cents)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%lld.%02lld", static_cast<long long>(cents / 100),
                  static_cast<long long>(cents % 100));
    return text;
}

std::string ratioText(double ratio)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.6f", ratio); // multiples of 1/64 have 6 decimals at most
    return text;
}

std::string quoted(const std::string& text)
{
    return '\'' + text + '\''; // the generated words hold no quotes or backslashes
}

// --- SQLite ---

void sqliteExec(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error(std::string("SQLite: ") + why + " in: " + sql);
    }
}

bool sqliteHolds(const std::string& path, std::int64_t rows)
{
    if (!std::filesystem::exists(path))
        return false;
    sqlite3* db = nullptr;
    bool holds = false;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT rows_, version FROM bench_meta", -1, &stmt, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            holds = sqlite3_column_int64(stmt, 0) == rows && sqlite3_column_int(stmt, 1) == dataVersion;
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db);
    return holds;
}

const char* createTable = "CREATE TABLE bench_rows (id INTEGER PRIMARY KEY, num INT, ratio DOUBLE, "
                          "code VARCHAR(16), note VARCHAR(100), stamp DATETIME, remark VARCHAR(32) NULL, "
                          "amount DECIMAL(10,2))";

} // namespace

Record record(std::int64_t id)
{
    Draw draw(id);
    Record r;
    r.id = id;
    r.num = std::int32_t(std::int64_t(draw.below(1999999999)) - 999999999);
    r.ratio = double(draw.below(1ull << 26)) / 64.0;
    static const char alnum[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::size_t codeLength = 6 + draw.below(11);
    for (std::size_t i = 0; i < codeLength; ++i)
        r.code += alnum[draw.below(36)];
    r.note = wordsOfLength(draw, 30, 66);
    r.stamp = stampOf(draw.below(std::uint64_t(1827) * 86400)); // 2020 .. 2024
    if (draw.below(10) >= 3)
        r.remark = wordsOfLength(draw, 8, 24);
    r.cents = std::int64_t(draw.below(10000000));
    return r;
}

std::string selectQuery()
{
    return "SELECT id, num, ratio, code, note, stamp, remark, amount FROM bench_rows ORDER BY id";
}

bool ensureSqlite(const std::string& path, std::int64_t rows)
{
    if (sqliteHolds(path, rows))
        return false;
    std::filesystem::remove(path);
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close_v2(raw);
        throw std::runtime_error("cannot create " + path);
    }
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close_v2);
    sqliteExec(raw, "PRAGMA journal_mode=OFF");
    sqliteExec(raw, "PRAGMA synchronous=OFF");
    sqliteExec(raw, createTable);
    sqliteExec(raw, "CREATE TABLE bench_meta (rows_ INTEGER, version INTEGER)");
    sqliteExec(raw, "BEGIN");
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(raw, "INSERT INTO bench_rows VALUES (?,?,?,?,?,?,?,?)", -1, &stmt, nullptr) !=
        SQLITE_OK)
        throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(raw));
    for (std::int64_t id = 1; id <= rows; ++id) {
        const Record r = record(id);
        sqlite3_bind_int64(stmt, 1, r.id);
        sqlite3_bind_int(stmt, 2, r.num);
        sqlite3_bind_double(stmt, 3, r.ratio);
        sqlite3_bind_text(stmt, 4, r.code.data(), int(r.code.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 5, r.note.data(), int(r.note.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 6, r.stamp.data(), int(r.stamp.size()), SQLITE_TRANSIENT);
        if (r.remark)
            sqlite3_bind_text(stmt, 7, r.remark->data(), int(r.remark->size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(stmt, 7);
        // Bound as text so the column's numeric affinity keeps it as SQLite would store "123.45".
        const std::string amount = amountText(r.cents);
        sqlite3_bind_text(stmt, 8, amount.data(), int(amount.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(raw));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    const std::string meta =
        "INSERT INTO bench_meta VALUES (" + std::to_string(rows) + ", " + std::to_string(dataVersion) + ")";
    sqliteExec(raw, meta.c_str());
    sqliteExec(raw, "COMMIT");
    return true;
}

bool ensureMariaDb(OdbcConnection& connection, std::int64_t rows)
{
    try {
        OdbcStatement stmt(connection.get());
        stmt.execute("SELECT rows_, version FROM bench_meta");
        SQLBIGINT heldRows = -1, version = -1;
        SQLLEN ind = 0;
        if (SQLFetch(stmt.get()) == SQL_SUCCESS &&
            SQL_SUCCEEDED(SQLGetData(stmt.get(), 1, SQL_C_SBIGINT, &heldRows, 0, &ind)) &&
            SQL_SUCCEEDED(SQLGetData(stmt.get(), 2, SQL_C_SBIGINT, &version, 0, &ind)) && heldRows == rows &&
            version == dataVersion)
            return false;
    } catch (const OdbcError&) {
        // no meta table yet
    }
    connection.run("DROP TABLE IF EXISTS bench_rows");
    connection.run("DROP TABLE IF EXISTS bench_meta");
    connection.run(std::string(createTable) + " ENGINE=InnoDB");
    connection.run("CREATE TABLE bench_meta (rows_ BIGINT, version INT)");
    connection.setAutocommit(false);
    constexpr std::int64_t rowsPerInsert = 2000;
    std::string sql;
    for (std::int64_t first = 1; first <= rows; first += rowsPerInsert) {
        sql = "INSERT INTO bench_rows VALUES ";
        const std::int64_t last = std::min(rows, first + rowsPerInsert - 1);
        for (std::int64_t id = first; id <= last; ++id) {
            const Record r = record(id);
            if (id != first)
                sql += ',';
            sql += '(' + std::to_string(r.id) + ',' + std::to_string(r.num) + ',' + ratioText(r.ratio) + ',' +
                   quoted(r.code) + ',' + quoted(r.note) + ',' + quoted(r.stamp) + ',' +
                   (r.remark ? quoted(*r.remark) : std::string("NULL")) + ',' + amountText(r.cents) + ')';
        }
        connection.run(sql);
    }
    connection.run("INSERT INTO bench_meta VALUES (" + std::to_string(rows) + ", " +
                   std::to_string(dataVersion) + ")");
    connection.commit();
    connection.setAutocommit(true);
    return true;
}

} // namespace bench
