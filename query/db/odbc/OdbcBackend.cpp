#include "query/db/odbc/OdbcBackend.h"

#include "query/db/Hex.h"
#include "query/db/odbc/OdbcConnectionString.h"
#include "query/db/odbc/OdbcHandles.h"
#include "text/DataText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace db::odbc {

namespace {

// Rows fetched per SQLFetch when every column has a known, moderate width.
constexpr SQLULEN kRowArraySize = 1000;
// Bound buffers stay within this many bytes; wide rows get fewer rows per fetch.
constexpr size_t kRowArrayBytes = 8u << 20;
// Drivers under-report display sizes: no bound buffer is smaller.
constexpr size_t kMinCellBytes = 32;
// A column wider than this (or of unknown width) is read in chunks with SQLGetData.
constexpr size_t kMaxBoundCellBytes = 8192;
constexpr size_t kChunkBytes = 64 * 1024;

bool isLongType(SQLSMALLINT type)
{
    return type == SQL_LONGVARCHAR || type == SQL_WLONGVARCHAR || type == SQL_LONGVARBINARY;
}

bool isBinaryType(SQLSMALLINT type)
{
    return type == SQL_BINARY || type == SQL_VARBINARY || type == SQL_LONGVARBINARY;
}

// Bytes a cell of this column needs as text, terminator included; 0 when unknown.
size_t cellBytes(SQLSMALLINT type, SQLULEN size, SQLLEN octets, bool wide)
{
    size_t bytes = 0;
    switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        if (size == 0 || size > (1u << 30))
            return 0;
        // UTF-8 takes up to 4 bytes a character; UTF-16 two units for one beyond the BMP.
        bytes = wide ? (size * 2 + 1) * sizeof(SQLWCHAR) : size * 4 + 1;
        bytes = std::max(bytes, static_cast<size_t>(std::max<SQLLEN>(octets, 0)) + 1);
        break;
    case SQL_BINARY:
    case SQL_VARBINARY:
        // Read as bytes (SQL_C_BINARY) and shown in hexadecimal by the result.
        if (size == 0 || size > (1u << 30))
            return 0;
        return size;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_LONGVARBINARY:
        return 0;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_GUID:
        bytes = 64 * (wide ? sizeof(SQLWCHAR) : 1);
        break;
    default:
        // Numbers and anything else: the digits plus sign, point and exponent.
        bytes = (std::min<SQLULEN>(size, 4096) + 8) * (wide ? sizeof(SQLWCHAR) : 1);
        break;
    }
    return std::max(bytes, kMinCellBytes);
}

// Appends UTF-16 as UTF-8 (unpaired surrogates become U+FFFD).
void appendUtf8(std::string& out, const char16_t* text, size_t units)
{
    for (size_t i = 0; i < units; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
}

// What the connection knows that its results need too.
struct Traits
{
    DriverFamily family = DriverFamily::Other;
    bool wide = true; // read text as SQL_C_WCHAR (else UTF-8 SQL_C_CHAR)
    bool stripTrailingSemicolon = false;
    // mdbtools writes length indicators as 32-bit integers into the 64-bit SQLLEN: clear
    // them before each fetch and read the low half, sign included.
    bool int32Indicators = false;
    // mdbtools only reads: it parses no UPDATE or DELETE and has no transactions.
    bool readOnlyDriver = false;
};

// The first word of a statement in lower case, after blanks, "--" and "/* */" comments.
QString firstWord(const QString& sql)
{
    qsizetype i = 0;
    const qsizetype n = sql.size();
    while (i < n) {
        if (sql[i].isSpace()) {
            ++i;
        } else if (sql.mid(i, 2) == QLatin1String("--")) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? n : end + 1;
        } else if (sql.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else {
            break;
        }
    }
    qsizetype end = i;
    while (end < n && sql[end].isLetter())
        ++end;
    return sql.mid(i, end - i).toLower();
}

// A write sent to a driver that only reads would come back as a parse error that names no
// cause; the user is told what is wrong instead, and nothing is sent.
void refuseWriteToReadOnlyDriver(const QString& sql)
{
    const QString word = firstWord(sql);
    if (word != QLatin1String("insert") && word != QLatin1String("update") && word != QLatin1String("delete"))
        return;
    throw Error(
        ErrorNumber::Unreachable,
        QStringLiteral("The driver installed for Access files (MDBTools) can only read them: it cannot "
                       "run an insert, update or delete. Changing an Access file needs the Microsoft "
                       "Access Driver (*.mdb, *.accdb), the Access driver on Windows."),
        QStringLiteral("HY000"));
}

// The statement of a connection that Cancel would stop: the one executing, or the one whose
// result is still open. Shared by the connection and that result; the mutex keeps the handle
// alive while SQLCancel uses it from another thread.
struct CancelSlot
{
    std::mutex mutex;
    SQLHSTMT active = nullptr;
    bool cancelled = false;
    // Stops the server's work another way than SQLCancel (MySQL), when set.
    std::function<void()> stopServer;

    void cancel()
    {
        const std::lock_guard lock(mutex);
        cancelled = true;
        if (!active)
            return;
        if (stopServer)
            stopServer();
        else
            SQLCancel(active);
    }
    bool isCancelled()
    {
        const std::lock_guard lock(mutex);
        return cancelled;
    }
    void release(SQLHSTMT stmt)
    {
        const std::lock_guard lock(mutex);
        if (active == stmt)
            active = nullptr;
    }
};

SQLLEN normalized(SQLLEN ind, const Traits& traits)
{
    return traits.int32Indicators ? static_cast<SQLLEN>(static_cast<std::int32_t>(ind & 0xFFFFFFFF)) : ind;
}

QString readColumnText(const StatementHandle& stmt, SQLUSMALLINT col, SQLUSMALLINT field)
{
    SQLWCHAR buffer[512] = {};
    SQLSMALLINT bytes = 0;
    const SQLRETURN rc = SQLColAttributeW(stmt.get(), col, field, buffer, sizeof(buffer), &bytes, nullptr);
    if (!SQL_SUCCEEDED(rc))
        return {};
    const qsizetype units = std::clamp<qsizetype>(bytes / static_cast<qsizetype>(sizeof(SQLWCHAR)), 0, 511);
    return nameText(buffer, units);
}

class OdbcResult final : public BackendResult
{
public:
    OdbcResult(StatementHandle stmt, Traits traits, SQLRETURN executed, std::shared_ptr<CancelSlot> slot = {})
        : m_stmt(std::move(stmt)), m_traits(traits), m_slot(std::move(slot))
    {
        try {
            describe(executed == SQL_NO_DATA);
        } catch (...) {
            if (m_slot)
                m_slot->release(m_stmt.get());
            throw;
        }
    }

    ~OdbcResult() override
    {
        // The statements of the batch that nobody read still run to their end, unless the
        // batch was cancelled.
        try {
            SQLFreeStmt(m_stmt.get(), SQL_UNBIND);
            for (int i = 0; i < 100000 && !(m_slot && m_slot->isCancelled()); ++i) {
                const SQLRETURN rc = SQLMoreResults(m_stmt.get());
                if (rc == SQL_NO_DATA || rc == SQL_INVALID_HANDLE)
                    break;
                if (rc == SQL_ERROR && m_traits.family != DriverFamily::SqlServer)
                    break;
            }
            SQLFreeStmt(m_stmt.get(), SQL_CLOSE);
        } catch (...) {
        }
        if (m_slot)
            m_slot->release(m_stmt.get());
    }

    bool hasRows() const override { return !m_columns.isEmpty(); }
    qint64 rowsAffected() const override { return m_rowsAffected; }
    int columnCount() const override { return static_cast<int>(m_columns.size()); }
    const ColumnInfo& column(int i) const override { return m_columns.at(i); }

    bool fetch() override
    {
        if (m_columns.isEmpty() || m_done)
            return false;
        if (++m_row < static_cast<SQLULEN>(m_fetched))
            return true;
        m_fetched = 0;
        if (m_brokenOff)
            throw *std::exchange(m_brokenOff, std::nullopt);
        if (m_traits.int32Indicators)
            for (Cell& c : m_cells)
                std::fill(c.indicators.begin(), c.indicators.end(), 0);
        const SQLRETURN rc = SQLFetch(m_stmt.get());
        if (rc == SQL_NO_DATA) {
            m_done = true;
            return false;
        }
        m_stmt.check(rc, "SQLFetch");
        if (rc == SQL_SUCCESS_WITH_INFO)
            keepBreakOff();
        if (m_fetched == 0) // a driver that ignores SQL_ATTR_ROWS_FETCHED_PTR fetched one row
            m_fetched = 1;
        m_row = 0;
        if (m_traits.int32Indicators)
            for (Cell& c : m_cells)
                for (SQLLEN& ind : c.indicators)
                    ind = normalized(ind, m_traits);
        if (rc == SQL_SUCCESS_WITH_INFO)
            checkTruncation();
        readLongColumns();
        return true;
    }

    bool isNull(int col) override { return indicator(col) == SQL_NULL_DATA; }

    bool isBinary(int col) override
    {
        const Cell& c = m_cells[static_cast<size_t>(col)];
        return c.binary && !c.bits;
    }

    std::string_view utf8(int col) override
    {
        const Cell& c = m_cells[static_cast<size_t>(col)];
        const SQLLEN ind = indicator(col);
        if (ind == SQL_NULL_DATA)
            return {};
        if (!c.bound)
            return c.longText;
        const char* data = c.buffer.data() + m_row * c.width;
        if (c.binary) {
            c.converted.clear();
            if (c.bits)
                appendBits(c.converted, data, static_cast<size_t>(ind));
            else
                appendHex(c.converted, data, static_cast<size_t>(ind));
            return c.converted;
        }
        if (!m_traits.wide)
            return std::string_view(data, static_cast<size_t>(ind));
        c.converted.clear();
        appendUtf8(c.converted, reinterpret_cast<const char16_t*>(data),
                   static_cast<size_t>(ind) / sizeof(SQLWCHAR));
        return c.converted;
    }

    QString text(int col) override
    {
        const Cell& c = m_cells[static_cast<size_t>(col)];
        const SQLLEN ind = indicator(col);
        if (ind == SQL_NULL_DATA)
            return QString();
        if (c.bound && m_traits.wide && !c.binary)
            return text::fromUtf16Data(reinterpret_cast<const char16_t*>(c.buffer.data() + m_row * c.width),
                                       static_cast<qsizetype>(ind) /
                                           static_cast<qsizetype>(sizeof(SQLWCHAR)));
        const std::string_view v = utf8(col);
        QString s = text::fromUtf8Data(v);
        if (s.isNull())
            s = QStringLiteral(""); // an empty value is not a null one
        return s;
    }

    bool nextResult() override
    {
        SQLFreeStmt(m_stmt.get(), SQL_UNBIND);
        clear();
        const SQLRETURN rc = SQLMoreResults(m_stmt.get());
        if (rc == SQL_NO_DATA)
            return false;
        if (!SQL_SUCCEEDED(rc)) {
            const QList<DiagRecord> records = m_stmt.records();
            // mdbtools has no SQLMoreResults: the driver manager says IM001; no more results.
            if (!records.isEmpty() && records.front().sqlState == QLatin1String("IM001"))
                return false;
            throw makeError(records, m_traits.family, "SQLMoreResults");
        }
        describe(false);
        return true;
    }

private:
    struct Cell
    {
        bool bound = false;
        bool binary = false; // bytes, shown in hexadecimal
        bool bits = false;   // a bit field's bytes (binary too), shown as its number
        SQLSMALLINT cType = SQL_C_CHAR;
        size_t width = 0;         // bytes per row in buffer
        std::vector<char> buffer; // width * rows
        std::vector<SQLLEN> indicators;
        std::string longText; // unbound columns: the current row's value
        SQLLEN longIndicator = 0;
        mutable std::string converted; // wide text of the current cell as UTF-8
    };

    SQLLEN indicator(int col) const
    {
        const Cell& c = m_cells[static_cast<size_t>(col)];
        return c.bound ? c.indicators[m_row] : c.longIndicator;
    }

    void clear()
    {
        m_columns.clear();
        m_cells.clear();
        m_rowsAffected = -1;
        m_fetched = 0;
        m_row = 0;
        m_done = false;
        m_brokenOff.reset();
        m_firstLong = -1;
    }

    void describe(bool noData)
    {
        clear();
        SQLSMALLINT count = 0;
        if (!noData)
            m_stmt.check(SQLNumResultCols(m_stmt.get(), &count), "SQLNumResultCols");
        if (count <= 0) {
            SQLLEN rows = -1;
            if (!noData && SQL_SUCCEEDED(SQLRowCount(m_stmt.get(), &rows)))
                m_rowsAffected = rows;
            else
                m_rowsAffected = noData ? 0 : -1;
            return;
        }

        std::vector<size_t> widths(static_cast<size_t>(count));
        enum class Bits { None, Flag, Bytes };
        std::vector<Bits> bitFields;
        size_t rowBytes = 0;
        for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i) {
            SQLWCHAR name[512] = {};
            SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            m_stmt.check(
                SQLDescribeColW(m_stmt.get(), i, name, 512, &nameLength, &type, &size, &digits, &nullable),
                "SQLDescribeColW");
            ColumnInfo info;
            info.name = nameText(name, std::clamp<qsizetype>(nameLength, 0, 511));
            info.sqlType = type;
            // MySQL's BIT(n) comes as SQL_BIT or binary, and as text or SQL_C_BIT wrongly: it is
            // read as its bytes. Other SQL_BIT columns (booleans) are read as SQL_C_BIT.
            bitFields.push_back(type == SQL_BIT || isBinaryType(type)
                                    ? readColumnText(m_stmt, i, SQL_DESC_TYPE_NAME)
                                                  .compare(QLatin1String("bit"), Qt::CaseInsensitive) == 0
                                          ? Bits::Bytes
                                          : (type == SQL_BIT ? Bits::Flag : Bits::None)
                                    : Bits::None);
            if (m_traits.family != DriverFamily::Access) { // mdbtools has no base-table metadata
                info.baseTable = readColumnText(m_stmt, i, SQL_DESC_BASE_TABLE_NAME);
                info.baseColumn = readColumnText(m_stmt, i, SQL_DESC_BASE_COLUMN_NAME);
                info.baseSchema = readColumnText(m_stmt, i, SQL_DESC_SCHEMA_NAME);
                info.baseCatalog = readColumnText(m_stmt, i, SQL_DESC_CATALOG_NAME);
            }
            SQLLEN octets = 0;
            if (!SQL_SUCCEEDED(
                    SQLColAttributeW(m_stmt.get(), i, SQL_DESC_OCTET_LENGTH, nullptr, 0, nullptr, &octets)))
                octets = 0;
            m_columns.append(info);
            size_t bytes =
                isLongType(type) ? 0 : cellBytes(type, size, isBinaryType(type) ? 0 : octets, m_traits.wide);
            if (bytes == 0 || bytes > kMaxBoundCellBytes) {
                bytes = 0;
                if (m_firstLong < 0)
                    m_firstLong = i - 1;
            }
            widths[i - 1] = bytes;
            rowBytes += bytes + sizeof(SQLLEN);
        }

        // With a long column, rows come one at a time: SQLGetData after a row array needs
        // driver extensions (SQL_GD_BLOCK) few drivers have. Columns after the first long
        // one are read with SQLGetData too, which must go left to right past bound ones.
        SQLULEN rows = m_firstLong >= 0 ? 1
                                        : std::clamp<SQLULEN>(kRowArrayBytes / std::max<size_t>(rowBytes, 1),
                                                              1, kRowArraySize);
        if (rows > 1 && !setRowArraySize(rows))
            rows = 1;
        if (rows == 1)
            setRowArraySize(1);
        m_rowArraySize = rows;

        m_cells.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            Cell& c = m_cells[static_cast<size_t>(i)];
            const auto type = static_cast<SQLSMALLINT>(m_columns[i].sqlType);
            const Bits bits = bitFields[static_cast<size_t>(i)];
            c.bits = bits != Bits::None;
            c.binary = c.bits || isBinaryType(type);
            c.cType = bits == Bits::Flag ? SQL_C_BIT
                      : c.binary         ? SQL_C_BINARY
                                         : (m_traits.wide ? SQL_C_WCHAR : SQL_C_CHAR);
            if (m_firstLong >= 0 && i >= m_firstLong)
                continue;
            c.bound = true;
            c.width = widths[static_cast<size_t>(i)];
            c.buffer.assign(c.width * rows, 0);
            c.indicators.assign(rows, 0);
            m_stmt.check(SQLBindCol(m_stmt.get(), static_cast<SQLUSMALLINT>(i + 1), c.cType, c.buffer.data(),
                                    static_cast<SQLLEN>(c.width), c.indicators.data()),
                         "SQLBindCol");
        }
    }

    bool setRowArraySize(SQLULEN rows)
    {
        SQLHSTMT h = m_stmt.get();
        if (!SQL_SUCCEEDED(SQLSetStmtAttr(h, SQL_ATTR_ROW_BIND_TYPE,
                                          reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0)))
            return false;
        if (!SQL_SUCCEEDED(SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0)))
            return false;
        m_status.assign(rows, SQL_ROW_SUCCESS);
        SQLSetStmtAttr(h, SQL_ATTR_ROW_STATUS_PTR, m_status.data(), 0);
        SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0);
        return true;
    }

    // FreeTDS delivers a server error that ends a result part-way (a row the server could not
    // send) as SQL_SUCCESS_WITH_INFO with the rows before it and then SQL_NO_DATA: the rows of
    // this fetch are read, and the next fetch throws instead of reporting a complete result.
    void keepBreakOff()
    {
        QList<DiagRecord> records = m_stmt.records();
        const bool failed = std::any_of(records.cbegin(), records.cend(), [](const DiagRecord& r) {
            return r.sqlState.size() == 5 && !r.sqlState.startsWith(QLatin1String("00")) &&
                   !r.sqlState.startsWith(QLatin1String("01"));
        });
        if (failed)
            m_brokenOff = makeError(records, m_traits.family, "SQLFetch");
    }

    void checkTruncation()
    {
        for (size_t col = 0; col < m_cells.size(); ++col) {
            const Cell& c = m_cells[col];
            if (!c.bound)
                continue;
            const size_t terminator = c.binary ? 0 : m_traits.wide ? sizeof(SQLWCHAR) : 1;
            for (SQLULEN r = 0; r < static_cast<SQLULEN>(m_fetched); ++r) {
                const SQLLEN ind = c.indicators[r];
                if (ind == SQL_NO_TOTAL || (ind >= 0 && static_cast<size_t>(ind) + terminator > c.width))
                    throw layerError(
                        ErrorNumber::Unreachable,
                        QStringLiteral("The driver reported column \"%1\" narrower than its values are "
                                       "(more than %2 bytes): the value would be cut.")
                            .arg(m_columns[static_cast<qsizetype>(col)].name)
                            .arg(c.width - terminator));
            }
        }
    }

    void readLongColumns()
    {
        if (m_firstLong < 0)
            return;
        m_chunk.resize(kChunkBytes);
        for (size_t col = static_cast<size_t>(m_firstLong); col < m_cells.size(); ++col) {
            Cell& c = m_cells[col];
            c.longText.clear();
            c.longIndicator = 0;
            const bool wide = m_traits.wide && !c.binary;
            const size_t terminator = c.binary ? 0 : wide ? sizeof(SQLWCHAR) : 1;
            std::u16string wideText;
            std::string bytesRead;
            for (;;) {
                SQLLEN ind = 0;
                const SQLRETURN rc = SQLGetData(m_stmt.get(), static_cast<SQLUSMALLINT>(col + 1), c.cType,
                                                m_chunk.data(), static_cast<SQLLEN>(m_chunk.size()), &ind);
                if (rc == SQL_NO_DATA)
                    break;
                m_stmt.check(rc, "SQLGetData");
                ind = normalized(ind, m_traits);
                if (ind == SQL_NULL_DATA) {
                    c.longIndicator = SQL_NULL_DATA;
                    break;
                }
                size_t bytes;
                if (ind != SQL_NO_TOTAL && static_cast<size_t>(ind) + terminator <= m_chunk.size()) {
                    bytes = static_cast<size_t>(ind);
                } else if (c.binary) {
                    bytes = m_chunk.size();
                } else if (wide) {
                    const char16_t* w = reinterpret_cast<const char16_t*>(m_chunk.data());
                    size_t units = 0;
                    const size_t maxUnits = m_chunk.size() / sizeof(SQLWCHAR) - 1;
                    while (units < maxUnits && w[units] != 0)
                        ++units;
                    bytes = units * sizeof(SQLWCHAR);
                } else {
                    bytes = strnlen(m_chunk.data(), m_chunk.size() - 1);
                }
                if (c.binary)
                    bytesRead.append(m_chunk.data(), bytes);
                else if (wide)
                    wideText.append(reinterpret_cast<const char16_t*>(m_chunk.data()),
                                    bytes / sizeof(SQLWCHAR));
                else
                    c.longText.append(m_chunk.data(), bytes);
                if (rc == SQL_SUCCESS)
                    break;
            }
            if (c.binary)
                c.bits ? appendBits(c.longText, bytesRead.data(), bytesRead.size())
                       : appendHex(c.longText, bytesRead.data(), bytesRead.size());
            else if (wide)
                appendUtf8(c.longText, wideText.data(), wideText.size());
            if (c.longIndicator != SQL_NULL_DATA)
                c.longIndicator = static_cast<SQLLEN>(c.longText.size());
        }
    }

    StatementHandle m_stmt;
    Traits m_traits;
    std::shared_ptr<CancelSlot> m_slot;
    QList<ColumnInfo> m_columns;
    std::vector<Cell> m_cells;
    std::vector<SQLUSMALLINT> m_status;
    std::vector<char> m_chunk;
    SQLULEN m_rowArraySize = 1;
    SQLULEN m_fetched = 0;
    SQLULEN m_row = 0;
    qint64 m_rowsAffected = -1;
    int m_firstLong = -1;
    bool m_done = false;
    std::optional<db::Error> m_brokenOff; // the error that ended the result after these rows
};

// Parameters bound to a statement as wide text (or null), in order; the buffers live as long
// as this object.
class BoundParams
{
public:
    BoundParams(const StatementHandle& stmt, const QList<Param>& params)
        : values_(static_cast<size_t>(params.size())), lengths_(static_cast<size_t>(params.size()))
    {
        for (qsizetype i = 0; i < params.size(); ++i) {
            const size_t k = static_cast<size_t>(i);
            const bool null = !params[i].has_value();
            values_[k] = null ? QString() : *params[i];
            lengths_[k] = null ? SQL_NULL_DATA : static_cast<SQLLEN>(values_[k].size() * sizeof(SQLWCHAR));
            const SQLULEN chars = std::max<SQLULEN>(static_cast<SQLULEN>(values_[k].size()), 1);
            const SQLSMALLINT sqlType = chars > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
            SQLPOINTER data = null ? nullptr : const_cast<ushort*>(values_[k].utf16());
            stmt.check(SQLBindParameter(stmt.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                        SQL_C_WCHAR, sqlType, chars, 0, data, null ? 0 : lengths_[k],
                                        &lengths_[k]),
                       "SQLBindParameter");
        }
    }

private:
    std::vector<QString> values_;
    std::vector<SQLLEN> lengths_;
};

class OdbcConnection final : public BackendConnection
{
public:
    OdbcConnection(EnvironmentHandle env, ConnectionHandle dbc, Traits traits)
        : m_env(std::move(env)), m_dbc(std::move(dbc)), m_traits(traits)
    {
        SQLWCHAR quote[8] = {};
        SQLSMALLINT length = 0;
        if (SQL_SUCCEEDED(SQLGetInfoW(m_dbc.get(), SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof(quote), &length)))
            m_quote = fromWide(quote, std::clamp<qsizetype>(length / 2, 0, 7)).trimmed();
        m_readOnly = m_traits.readOnlyDriver;
        SQLWCHAR flag[4] = {};
        if (!m_readOnly &&
            SQL_SUCCEEDED(SQLGetInfoW(m_dbc.get(), SQL_DATA_SOURCE_READ_ONLY, flag, sizeof(flag), &length)))
            m_readOnly = flag[0] == u'Y';
    }

    Engine engine() const override
    {
        switch (m_traits.family) {
        case DriverFamily::SqlServer:
            return Engine::SqlServer;
        case DriverFamily::MySql:
            return Engine::MySql;
        case DriverFamily::Access:
            return Engine::Access;
        case DriverFamily::Oracle:
            return Engine::Oracle;
        case DriverFamily::PostgreSql:
            return Engine::PostgreSql;
        case DriverFamily::Sqlite: // values come as text, without SQLite's storage classes
        case DriverFamily::Other:
            break;
        }
        return Engine::Other;
    }

    bool readOnly() const override { return m_readOnly; }

    ~OdbcConnection() override
    {
        if (m_inTransaction)
            SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), SQL_ROLLBACK);
        SQLDisconnect(m_dbc.get());
    }

    void setCommandTimeout(int seconds) override { m_commandTimeout = std::max(seconds, 0); }

    std::unique_ptr<BackendResult> execute(const QString& sql) override
    {
        StatementHandle stmt = newStatement();
        {
            const std::lock_guard lock(m_cancel->mutex);
            if (m_cancel->cancelled)
                throw Error(ErrorNumber::Unreachable, QStringLiteral("Operation canceled"),
                            QStringLiteral("HY008"));
            m_cancel->active = stmt.get();
        }
        WideText text(statementText(sql));
        const SQLRETURN rc = SQLExecDirectW(stmt.get(), text.get(), text.length());
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
            m_cancel->release(stmt.get()); // before the handle goes with the error
        stmt.check(rc, "SQLExecDirectW");
        return std::make_unique<OdbcResult>(std::move(stmt), m_traits, rc, m_cancel);
    }

    void cancel() override { m_cancel->cancel(); }
    void stopServerBy(std::function<void()> stop) { m_cancel->stopServer = std::move(stop); }

    qint64 executeUpdate(const QString& sql, const QList<Param>& params) override
    {
        StatementHandle stmt = newStatement();
        BoundParams bound(stmt, params);
        WideText text(statementText(sql));
        const SQLRETURN rc = SQLExecDirectW(stmt.get(), text.get(), text.length());
        stmt.check(rc, "SQLExecDirectW");
        if (rc == SQL_NO_DATA)
            return 0;
        SQLLEN rows = -1;
        stmt.check(SQLRowCount(stmt.get(), &rows), "SQLRowCount");
        return rows;
    }

    std::unique_ptr<BackendResult> query(const QString& sql, const QList<Param>& params) override
    {
        StatementHandle stmt = newStatement();
        SQLRETURN rc;
        {
            BoundParams bound(stmt, params);
            WideText text(statementText(sql));
            rc = SQLExecDirectW(stmt.get(), text.get(), text.length());
            stmt.check(rc, "SQLExecDirectW");
            // The values were sent with the statement; the result must not point at them.
            SQLFreeStmt(stmt.get(), SQL_RESET_PARAMS);
        }
        return std::make_unique<OdbcResult>(std::move(stmt), m_traits, rc);
    }

    QStringList primaryKey(const QString& catalog, const QString& schema, const QString& table) override
    {
        if (m_traits.family == DriverFamily::Access) // mdbtools has no SQLPrimaryKeys
            return {};
        if (m_traits.family == DriverFamily::MySql) // its KEY_SEQ is the column's place in the table
            return mySqlPrimaryKey(catalog, table);
        StatementHandle stmt = newStatement();
        WideText c(catalog), s(schema), t(table);
        const SQLRETURN rc =
            SQLPrimaryKeysW(stmt.get(), catalog.isEmpty() ? nullptr : c.get(), c.smallLength(),
                            schema.isEmpty() ? nullptr : s.get(), s.smallLength(), t.get(), t.smallLength());
        if (!SQL_SUCCEEDED(rc))
            return {}; // the driver cannot tell: no key
        QList<QPair<int, QString>> columns;
        for (;;) {
            const SQLRETURN f = SQLFetch(stmt.get());
            if (f == SQL_NO_DATA || !SQL_SUCCEEDED(f))
                break;
            SQLWCHAR name[512] = {};
            SQLLEN nameBytes = 0;
            SQLSMALLINT seq = 0;
            SQLLEN seqInd = 0;
            if (!SQL_SUCCEEDED(SQLGetData(stmt.get(), 4, SQL_C_WCHAR, name, sizeof(name), &nameBytes)) ||
                nameBytes == SQL_NULL_DATA)
                continue;
            if (!SQL_SUCCEEDED(SQLGetData(stmt.get(), 5, SQL_C_SSHORT, &seq, 0, &seqInd)))
                seq = static_cast<SQLSMALLINT>(columns.size() + 1);
            const qsizetype units = std::clamp<qsizetype>(nameBytes / 2, 0, 511);
            columns.append({seq, nameText(name, units)});
        }
        std::stable_sort(columns.begin(), columns.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QStringList names;
        for (const auto& column : columns)
            names << column.second;
        return names;
    }

    QString quoteIdentifier(const QString& identifier) const override
    {
        QString open = m_quote, close = m_quote;
        if (m_traits.family == DriverFamily::SqlServer || m_traits.family == DriverFamily::Access) {
            open = QStringLiteral("[");
            close = QStringLiteral("]");
        } else if (m_traits.family == DriverFamily::MySql) {
            open = close = QStringLiteral("`");
        } else if (open.isEmpty()) {
            open = close = QStringLiteral("\"");
        }
        QString inner = identifier;
        inner.replace(close, close + close);
        return open + inner + close;
    }

    void beginTransaction() override
    {
        m_dbc.check(SQLSetConnectAttr(m_dbc.get(), SQL_ATTR_AUTOCOMMIT,
                                      reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER),
                    "SQLSetConnectAttr(SQL_ATTR_AUTOCOMMIT)");
        m_inTransaction = true;
    }

    void commit() override { endTransaction(SQL_COMMIT); }
    void rollback() override { endTransaction(SQL_ROLLBACK); }

private:
    QStringList mySqlPrimaryKey(const QString& catalog, const QString& table)
    {
        QStringList names;
        try {
            auto result = execute(
                QStringLiteral("SELECT COLUMN_NAME FROM information_schema.KEY_COLUMN_USAGE "
                               "WHERE CONSTRAINT_NAME = 'PRIMARY' AND TABLE_SCHEMA = %1 AND TABLE_NAME = %2 "
                               "ORDER BY ORDINAL_POSITION")
                    .arg(catalog.isEmpty() ? QStringLiteral("DATABASE()") : quoteText(catalog),
                         quoteText(table)));
            while (result->fetch())
                names << result->text(0);
        } catch (const Error&) {
            return {}; // the driver cannot tell: no key
        }
        return names;
    }

    static QString quoteText(const QString& text)
    {
        QString inner = text;
        inner.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        inner.replace(QLatin1Char('\''), QLatin1String("''"));
        return QLatin1Char('\'') + inner + QLatin1Char('\'');
    }

    void endTransaction(SQLSMALLINT how)
    {
        if (!m_inTransaction)
            return;
        m_inTransaction = false;
        const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), how);
        const QList<DiagRecord> records = SQL_SUCCEEDED(rc) ? QList<DiagRecord>{} : m_dbc.records();
        SQLSetConnectAttr(m_dbc.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                          SQL_IS_UINTEGER);
        if (!SQL_SUCCEEDED(rc))
            throw makeError(records, m_traits.family, "SQLEndTran");
    }

    StatementHandle newStatement()
    {
        StatementHandle stmt = StatementHandle::allocate(m_dbc);
        if (m_commandTimeout > 0) // not every driver has one (mdbtools): then there is no limit
            SQLSetStmtAttr(stmt.get(), SQL_ATTR_QUERY_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_commandTimeout)), 0);
        return stmt;
    }

    QString statementText(const QString& sql) const
    {
        if (m_traits.readOnlyDriver)
            refuseWriteToReadOnlyDriver(sql);
        if (!m_traits.stripTrailingSemicolon)
            return sql;
        // mdbtools rejects a statement that ends in ";".
        QString text = sql;
        while (!text.isEmpty() && text.back().isSpace())
            text.chop(1);
        if (text.endsWith(QLatin1Char(';')))
            text.chop(1);
        while (!text.isEmpty() && text.back().isSpace())
            text.chop(1);
        return text;
    }

    EnvironmentHandle m_env;
    ConnectionHandle m_dbc;
    Traits m_traits;
    QString m_quote;
    std::shared_ptr<CancelSlot> m_cancel = std::make_shared<CancelSlot>();
    int m_commandTimeout = 0;
    bool m_inTransaction = false;
    bool m_readOnly = false;
};

// MySQL's server thread of a connection, 0 when it cannot be told.
qint64 mySqlConnectionId(const ConnectionHandle& dbc)
{
    StatementHandle stmt = StatementHandle::allocate(dbc);
    WideText text(QStringLiteral("SELECT CONNECTION_ID()"));
    SQLBIGINT id = 0;
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLExecDirectW(stmt.get(), text.get(), text.length())) ||
        !SQL_SUCCEEDED(SQLFetch(stmt.get())) ||
        !SQL_SUCCEEDED(SQLGetData(stmt.get(), 1, SQL_C_SBIGINT, &id, 0, &indicator)) ||
        indicator == SQL_NULL_DATA)
        id = 0;
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    return id;
}

// Ends a MySQL connection from a second one. MariaDB's SQLCancel kills only the running query,
// and only when the driver happens to hold its lock: a batch then goes on with its next
// statement, and a cancel between two statements leaves the driver locked. Killing the
// connection stops the whole batch; the run closes the connection anyway.
void killMySqlConnection(const QString& connectionString, qint64 id)
{
    try {
        EnvironmentHandle env = EnvironmentHandle::allocate();
        ConnectionHandle dbc = ConnectionHandle::allocate(env, DriverFamily::MySql);
        WideText text(connectionString);
        if (!SQL_SUCCEEDED(SQLDriverConnectW(dbc.get(), nullptr, text.get(), text.smallLength(), nullptr, 0,
                                             nullptr, SQL_DRIVER_NOPROMPT)))
            return;
        {
            StatementHandle stmt = StatementHandle::allocate(dbc);
            WideText kill(QStringLiteral("KILL CONNECTION %1").arg(id));
            SQLExecDirectW(stmt.get(), kill.get(), kill.length());
        }
        SQLDisconnect(dbc.get());
    } catch (const Error&) {
        // The statement then runs to its end; nothing else can be done.
    }
}

bool namesUtf8(const ConnectionStringParts& parts, const char* key)
{
    const QString v = parts.value(QLatin1String(key)).trimmed().toLower();
    return v == QLatin1String("utf-8") || v == QLatin1String("utf8") || v == QLatin1String("utf8mb4");
}

// What a driver, named by its registered name and library, needs from its connection.
Traits traitsOf(const QString& driver, const QString& library, const ConnectionStringParts& parts)
{
    Traits traits;
    traits.family = familyOf(driver, library);
    traits.stripTrailingSemicolon = traits.family == DriverFamily::Access;
    // Narrow reads give UTF-8 where the string asks for it, and always from mdbtools.
    const bool mdbTools = library.contains(QLatin1String("mdbodbc"), Qt::CaseInsensitive) ||
                          driver.contains(QLatin1String("MDBTools"), Qt::CaseInsensitive);
    const bool utf8 = (traits.family == DriverFamily::SqlServer && namesUtf8(parts, "ClientCharset")) ||
                      (traits.family == DriverFamily::MySql && namesUtf8(parts, "CHARSET")) || mdbTools;
    traits.wide = !utf8;
    traits.int32Indicators = mdbTools;
    traits.readOnlyDriver = mdbTools;
    return traits;
}

} // namespace

std::unique_ptr<BackendConnection> open(const ProviderChoice& choice)
{
    const ConnectionStringParts parts = parseConnectionString(choice.connectionString);
    QString driver = parts.value(QStringLiteral("Driver")).trimmed();
    if (driver.isEmpty())
        driver = dataSourceDriver(parts.value(QStringLiteral("DSN")).trimmed());
    QString library;
    if (!driver.isEmpty()) {
        for (const InstalledDriver& d : installedDrivers())
            if (d.name.compare(driver, Qt::CaseInsensitive) == 0)
                library = d.library;
    }
    Traits traits = traitsOf(driver, library, parts);

    if (traits.family == DriverFamily::Access) {
        const QString file = parts.value(QStringLiteral("DBQ")).trimmed();
        if (!file.isEmpty())
            checkAccessFile(file);
    }

    // SQLDriverConnect counts the string in 16 bits: a longer one would reach the driver cut.
    if (choice.connectionString.size() > SHRT_MAX)
        throw layerError(ErrorNumber::Unreachable,
                         QStringLiteral("The connection string is %1 characters long; an ODBC driver accepts "
                                        "at most %2. Shorten the connection fields.")
                             .arg(choice.connectionString.size())
                             .arg(SHRT_MAX));

    EnvironmentHandle env = EnvironmentHandle::allocate();
    ConnectionHandle dbc = ConnectionHandle::allocate(env, traits.family);
    if (choice.loginTimeout > 0)
        dbc.check(SQLSetConnectAttr(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(choice.loginTimeout)),
                                    0),
                  "SQLSetConnectAttr(SQL_ATTR_LOGIN_TIMEOUT)");
    WideText text(choice.connectionString);
    SQLWCHAR out[2048];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(dbc.get(), nullptr, text.get(), text.smallLength(), out, 2048,
                                           &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        QList<DiagRecord> records = dbc.records();
        if (records.isEmpty() && traits.family == DriverFamily::Access)
            throw layerError(
                ErrorNumber::Unreachable,
                QStringLiteral(
                    "The Access database file '%1' could not be opened (the driver gave no reason).")
                    .arg(parts.value(QStringLiteral("DBQ"))));
        throw makeError(records, traits.family, "SQLDriverConnectW");
    }
    if (traits.family == DriverFamily::Other) {
        // A driver registered under a name of its own, or a file DSN: ask the connection.
        SQLWCHAR name[256] = {};
        SQLSMALLINT bytes = 0;
        if (SQL_SUCCEEDED(SQLGetInfoW(dbc.get(), SQL_DRIVER_NAME, name, sizeof(name), &bytes))) {
            traits = traitsOf(QString(), nameText(name, std::clamp<qsizetype>(bytes / 2, 0, 255)), parts);
            dbc.setFamily(traits.family);
        }
    }
    const qint64 mySqlId = traits.family == DriverFamily::MySql ? mySqlConnectionId(dbc) : 0;
    auto connection = std::make_unique<OdbcConnection>(std::move(env), std::move(dbc), traits);
    if (mySqlId > 0)
        connection->stopServerBy(
            [string = choice.connectionString, mySqlId] { killMySqlConnection(string, mySqlId); });
    return connection;
}

} // namespace db::odbc
