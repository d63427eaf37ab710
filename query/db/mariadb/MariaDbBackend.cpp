#include "query/db/mariadb/MariaDbBackend.h"

#include "query/db/ConnectionString.h"
#include "query/db/Hex.h"
#include "query/db/mariadb/MariaDbHandles.h"
#include "query/db/mariadb/PlaceholderText.h"
#include "text/DataText.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <vector>

namespace db::mariadb {

namespace {

// The ODBC type code of a column, as the ODBC path reports it, for the callers that ask
// whether a column holds text.
int sqlTypeOf(const MYSQL_FIELD& f, bool binary)
{
    switch (f.type) {
    case MYSQL_TYPE_TINY:
        return SQL_TINYINT;
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_YEAR:
        return SQL_SMALLINT;
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
        return SQL_INTEGER;
    case MYSQL_TYPE_LONGLONG:
        return SQL_BIGINT;
    case MYSQL_TYPE_FLOAT:
        return SQL_REAL;
    case MYSQL_TYPE_DOUBLE:
        return SQL_DOUBLE;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
        return SQL_DECIMAL;
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE:
        return SQL_TYPE_DATE;
    case MYSQL_TYPE_TIME:
        return SQL_TYPE_TIME;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_TIMESTAMP:
        return SQL_TYPE_TIMESTAMP;
    case MYSQL_TYPE_BIT:
        return SQL_BIT;
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_GEOMETRY:
        return binary ? SQL_LONGVARBINARY : SQL_WLONGVARCHAR;
    case MYSQL_TYPE_STRING:
        return binary ? SQL_BINARY : SQL_WCHAR;
    default: // VARCHAR, VAR_STRING, ENUM, SET, JSON
        return binary ? SQL_VARBINARY : SQL_WVARCHAR;
    }
}

bool isStringOrBlob(enum_field_types type)
{
    switch (type) {
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_VARCHAR:
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_GEOMETRY:
        return true;
    default:
        return false;
    }
}

// How a cell becomes text: as sent, bytes in hexadecimal, or a bit field's bytes as its number.
enum class CellForm : quint8 { Text, Hex, Bits };

// The text of a name the server sent, up to its first NUL.
QString nameOf(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

class MariaDbConnection;

// One result of a batch. Streamed (mysql_use_result): rows come off the socket as they are
// fetched and the connection is busy until the batch is walked or the result destroyed.
// Stored (a client-side set): the whole batch is read at execute, each result kept in memory,
// and the connection is free at once.
class MariaDbResult final : public BackendResult
{
public:
    MariaDbResult(MariaDbConnection& connection, bool stored);
    ~MariaDbResult() override;

    bool hasRows() const override { return m_res != nullptr; }
    qint64 rowsAffected() const override { return m_affected; }
    int columnCount() const override { return static_cast<int>(m_columns.size()); }
    const ColumnInfo& column(int i) const override { return m_columns[static_cast<size_t>(i)]; }

    bool fetch() override;
    bool isNull(int col) override { return m_row[col] == nullptr; }
    bool isBinary(int col) override { return m_forms[static_cast<size_t>(col)] == CellForm::Hex; }
    std::string_view utf8(int col) override;
    QString text(int col) override
    {
        if (m_row[col] == nullptr)
            return {};
        // A leading U+FEFF is data here, not a byte-order mark.
        return ::text::fromUtf8Data(utf8(col));
    }
    bool nextResult() override;

private:
    struct Piece
    {
        MysqlResult res;
        qint64 affected = -1;
    };

    Piece readPiece();
    void take(Piece piece);
    void clear();
    void finishStream() noexcept;

    MariaDbConnection& m_connection;
    MYSQL* m_my;
    const bool m_stored;
    bool m_streaming = false;              // a streamed batch still holds the connection
    std::deque<Piece> m_pieces;            // stored: the results after the current one
    std::optional<db::Error> m_laterError; // stored: the error of a later statement
    MysqlResult m_res;
    qint64 m_affected = -1;
    std::vector<ColumnInfo> m_columns;
    std::vector<CellForm> m_forms;
    std::vector<std::string> m_converted;
    MYSQL_ROW m_row = nullptr;
    unsigned long* m_lengths = nullptr;
    bool m_ended = true;
};

class MariaDbConnection final : public BackendConnection
{
public:
    MariaDbConnection(MysqlHandle handle, ServerLogin login)
        : m_my(std::move(handle)), m_login(std::move(login)), m_threadId(mysql_thread_id(m_my.get()))
    {
    }

    MYSQL* handle() const { return m_my.get(); }
    void setBusy(bool busy) { m_busy = busy; }
    // Whether cancel() was called since the last execute or streamed result; asking clears it.
    bool takeCancel() { return m_cancelled.exchange(false); }

    // A streamed read was cancelled with rows still on their way: the socket is shut at once
    // instead of reading them off it (the server ends the statement when its next write
    // fails), and the connection is closed from now on.
    void cutOff()
    {
        mariadb_cancel(m_my.get());
        m_cutOff = true;
    }

    Engine engine() const override { return Engine::MySql; }

    // Stops the statement running on this connection from a second connection (KILL QUERY):
    // an execute ends with error 1317 and the connection stays usable. A streamed result
    // still open is cut off when it goes (cutOff()).
    void cancel() override
    {
        m_cancelled = true;
        try {
            MysqlHandle other = connectTo(m_login);
            const QByteArray kill = "KILL QUERY " + QByteArray::number(m_threadId.load());
            mysql_real_query(other.get(), kill.constData(), static_cast<unsigned long>(kill.size()));
        } catch (const db::Error&) {
            // A server that cannot be reached has nothing left to stop.
        }
    }

    // The read time-out given at connect bounds each wait for the server; the statement
    // itself is not limited (the ODBC path has no limit either).
    void setCommandTimeout(int seconds) override { m_commandTimeout = seconds; }
    void setClientSide(bool clientSide) override { m_clientSide = clientSide; }

    std::unique_ptr<BackendResult> execute(const QString& sql) override
    {
        const bool stored = m_clientSide;
        m_clientSide = false;
        requireFree();
        // A cancel that came before the execute stops it at once.
        if (takeCancel())
            throw db::Error(ErrorNumber::Unreachable, QStringLiteral("Operation canceled"),
                            QStringLiteral("HY008"));
        try {
            run(sql.toUtf8());
            return std::make_unique<MariaDbResult>(*this, stored);
        } catch (const db::Error&) {
            // A cancel that ended this execute (1317) has done its work: the next one runs.
            takeCancel();
            throw;
        }
    }

    qint64 executeUpdate(const QString& sql, const QList<Param>& params) override
    {
        requireFree();
        PreparedStatement stmt(m_my.get());
        stmt.prepare(sql.toUtf8());
        stmt.bind(params);
        stmt.execute();
        return stmt.affectedRows();
    }

    std::unique_ptr<BackendResult> query(const QString& sql, const QList<Param>& params) override
    {
        run(withValues(m_my.get(), sql.toUtf8(), params));
        return std::make_unique<MariaDbResult>(*this, true);
    }

    QStringList primaryKey(const QString& catalog, const QString& /*schema*/, const QString& table) override
    {
        auto result = query(QStringLiteral("SELECT COLUMN_NAME FROM information_schema.KEY_COLUMN_USAGE "
                                           "WHERE CONSTRAINT_NAME = 'PRIMARY' "
                                           "AND TABLE_SCHEMA = COALESCE(?, DATABASE()) AND TABLE_NAME = ? "
                                           "ORDER BY ORDINAL_POSITION"),
                            {catalog.isEmpty() ? Param(std::nullopt) : Param(catalog), Param(table)});
        QStringList names;
        while (result->fetch())
            names << result->text(0);
        return names;
    }

    QString quoteIdentifier(const QString& identifier) const override
    {
        QString inner = identifier;
        inner.replace(QLatin1Char('`'), QLatin1String("``"));
        return QLatin1Char('`') + inner + QLatin1Char('`');
    }

    void beginTransaction() override { setAutocommit(false); }
    void commit() override
    {
        requireFree();
        if (mysql_commit(m_my.get()) != 0)
            throw serverError(m_my.get(), "mysql_commit");
        setAutocommit(true);
    }
    void rollback() override
    {
        requireFree();
        if (mysql_rollback(m_my.get()) != 0)
            throw serverError(m_my.get(), "mysql_rollback");
        setAutocommit(true);
    }

private:
    void requireFree() const
    {
        if (m_cutOff)
            throw db::Error(ErrorNumber::Unreachable,
                            QStringLiteral("The connection was closed when its statement was cancelled: "
                                           "open a new connection to run another statement."));
        if (m_busy)
            throw db::Error(
                ErrorNumber::Unreachable,
                QStringLiteral("The connection is still reading the rows of an earlier statement: "
                               "close that result before running another statement."));
    }

    void run(const QByteArray& sql)
    {
        requireFree();
        if (mysql_real_query(m_my.get(), sql.constData(), static_cast<unsigned long>(sql.size())) != 0)
            throw serverError(m_my.get(), "mysql_real_query");
    }

    void setAutocommit(bool on)
    {
        requireFree();
        if (mysql_autocommit(m_my.get(), on ? 1 : 0) != 0)
            throw serverError(m_my.get(), "mysql_autocommit");
    }

    MysqlHandle m_my;
    ServerLogin m_login;
    std::atomic<unsigned long> m_threadId;
    std::atomic<bool> m_cancelled{false};
    bool m_cutOff = false;
    int m_commandTimeout = 0;
    bool m_clientSide = false;
    bool m_busy = false;
};

MariaDbResult::MariaDbResult(MariaDbConnection& connection, bool stored)
    : m_connection(connection), m_my(connection.handle()), m_stored(stored)
{
    if (!stored) {
        m_streaming = true;
        m_connection.setBusy(true);
        try {
            take(readPiece());
        } catch (...) {
            finishStream();
            throw;
        }
        return;
    }
    // The first statement's error is thrown here; a later one's when its result is reached.
    take(readPiece());
    while (mysql_more_results(m_my)) {
        const int status = mysql_next_result(m_my);
        if (status < 0)
            break;
        if (status > 0) {
            m_laterError = serverError(m_my, "mysql_next_result");
            break;
        }
        try {
            m_pieces.push_back(readPiece());
        } catch (const db::Error& e) {
            m_laterError = e;
            break;
        }
    }
}

MariaDbResult::~MariaDbResult()
{
    finishStream();
}

// The statements of a streamed batch not yet read still run; their rows and errors are dropped.
// After a cancel the rest is not read: the connection is cut off instead.
void MariaDbResult::finishStream() noexcept
{
    if (!m_streaming)
        return;
    const bool cut = m_connection.takeCancel() && (!m_ended || mysql_more_results(m_my));
    if (cut)
        m_connection.cutOff();
    m_res.reset();
    while (!cut && mysql_more_results(m_my) && mysql_next_result(m_my) == 0)
        MysqlResult(mysql_use_result(m_my)).reset();
    m_streaming = false;
    m_connection.setBusy(false);
}

MariaDbResult::Piece MariaDbResult::readPiece()
{
    Piece piece;
    if (mysql_field_count(m_my) == 0) {
        piece.affected = static_cast<qint64>(mysql_affected_rows(m_my));
        return piece;
    }
    piece.res.reset(m_stored ? mysql_store_result(m_my) : mysql_use_result(m_my));
    if (!piece.res)
        throw serverError(m_my, m_stored ? "mysql_store_result" : "mysql_use_result");
    return piece;
}

void MariaDbResult::clear()
{
    m_res.reset();
    m_affected = -1;
    m_columns.clear();
    m_forms.clear();
    m_converted.clear();
    m_row = nullptr;
    m_lengths = nullptr;
    m_ended = true;
}

void MariaDbResult::take(Piece piece)
{
    clear();
    m_affected = piece.affected;
    m_res = std::move(piece.res);
    if (!m_res)
        return;
    m_ended = false;
    const unsigned count = mysql_num_fields(m_res.get());
    const MYSQL_FIELD* fields = mysql_fetch_fields(m_res.get());
    m_columns.resize(count);
    m_forms.resize(count);
    m_converted.resize(count);
    for (unsigned i = 0; i < count; ++i) {
        const MYSQL_FIELD& f = fields[i];
        const bool binary = f.charsetnr == 63 && isStringOrBlob(f.type);
        ColumnInfo& c = m_columns[i];
        c.name = nameOf(f.name);
        c.baseTable = nameOf(f.org_table);
        c.baseColumn = nameOf(f.org_name);
        c.baseCatalog = c.baseTable.isEmpty() ? QString() : nameOf(f.db);
        c.sqlType = sqlTypeOf(f, binary);
        m_forms[i] = f.type == MYSQL_TYPE_BIT ? CellForm::Bits : binary ? CellForm::Hex : CellForm::Text;
    }
}

bool MariaDbResult::fetch()
{
    if (m_ended)
        return false;
    m_row = mysql_fetch_row(m_res.get());
    if (m_row) {
        m_lengths = mysql_fetch_lengths(m_res.get());
        return true;
    }
    m_ended = true;
    // A streamed read ends early when the connection is lost or the query was killed.
    if (!m_stored && mysql_errno(m_my) != 0)
        throw serverError(m_my, "mysql_fetch_row");
    return false;
}

std::string_view MariaDbResult::utf8(int col)
{
    const char* data = m_row[col];
    if (data == nullptr)
        return {};
    const size_t size = m_lengths[col];
    const auto i = static_cast<size_t>(col);
    switch (m_forms[i]) {
    case CellForm::Text:
        return {data, size};
    case CellForm::Hex:
        m_converted[i].clear();
        appendHex(m_converted[i], data, size);
        return m_converted[i];
    case CellForm::Bits:
        m_converted[i].clear();
        appendBits(m_converted[i], data, size);
        return m_converted[i];
    }
    return {};
}

bool MariaDbResult::nextResult()
{
    if (m_stored) {
        if (!m_pieces.empty()) {
            take(std::move(m_pieces.front()));
            m_pieces.pop_front();
            return true;
        }
        clear();
        if (m_laterError) {
            const db::Error e = *m_laterError;
            m_laterError.reset();
            throw e;
        }
        return false;
    }
    if (!m_streaming) {
        clear();
        return false;
    }
    clear(); // the rows not read are read off the connection and dropped
    if (!mysql_more_results(m_my)) {
        finishStream();
        return false;
    }
    const int status = mysql_next_result(m_my);
    if (status != 0) {
        finishStream();
        if (status > 0)
            throw serverError(m_my, "mysql_next_result");
        return false;
    }
    try {
        take(readPiece());
    } catch (...) {
        finishStream();
        throw;
    }
    return true;
}

} // namespace

std::unique_ptr<BackendConnection> open(const ProviderChoice& choice)
{
    ServerLogin login = loginFrom(choice);
    MysqlHandle handle = connectTo(login);
    return std::make_unique<MariaDbConnection>(std::move(handle), std::move(login));
}

} // namespace db::mariadb
