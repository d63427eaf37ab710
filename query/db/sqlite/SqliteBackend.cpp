#include "query/db/sqlite/SqliteBackend.h"

#include "query/db/Hex.h"
#include "text/DataText.h"

#include <QFileInfo>
#include <atomic>
#include <climits>
#include <deque>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <vector>

namespace db::sqlite {
namespace {

struct DatabaseCloser
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, DatabaseCloser>;

struct StatementFinalizer
{
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

QString fromUtf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// SQLite's own words, plus the SQLSTATE and number callers test. A statement SQLite refuses to
// prepare (syntax, unknown table or column) is a rejected command; everything else is not.
Error engineError(sqlite3* db, int rc, bool preparing)
{
    const QString message = fromUtf8(sqlite3_errmsg(db));
    const int primary = rc & 0xff;
    if (preparing && primary == SQLITE_ERROR) {
        QString state = QStringLiteral("42000");
        if (message.startsWith(QLatin1String("no such table")))
            state = QStringLiteral("42S02");
        else if (message.startsWith(QLatin1String("no such column")))
            state = QStringLiteral("42S22");
        return Error(ErrorNumber::CommandRejected, message, state, rc);
    }
    QString state = QStringLiteral("HY000");
    if (primary == SQLITE_CONSTRAINT)
        state = QStringLiteral("23000");
    else if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        state = QStringLiteral("HYT00");
    else if (primary == SQLITE_CANTOPEN || primary == SQLITE_NOTADB)
        state = QStringLiteral("08001");
    return Error(ErrorNumber::Unreachable, message, state, rc);
}

// The ODBC type code nearest to a declared column type, by SQLite's own affinity rules.
int sqlTypeOf(const char* declared)
{
    if (!declared || !*declared)
        return SQL_WVARCHAR;
    const QByteArray type = QByteArray(declared).toUpper();
    if (type.contains("INT"))
        return type.contains("BIG") ? SQL_BIGINT : SQL_INTEGER;
    if (type.contains("CHAR") || type.contains("CLOB") || type.contains("TEXT"))
        return SQL_WVARCHAR;
    if (type.contains("BLOB"))
        return SQL_VARBINARY;
    if (type.contains("REAL") || type.contains("FLOA") || type.contains("DOUB"))
        return SQL_DOUBLE;
    if (type.contains("DATE") || type.contains("TIME"))
        return SQL_TYPE_TIMESTAMP;
    if (type.contains("BOOL"))
        return SQL_BIT;
    return SQL_NUMERIC;
}

// Steps a statement without rows to its end; throws on failure.
void runToEnd(sqlite3* db, sqlite3_stmt* stmt)
{
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw engineError(db, rc, false);
}

// Binds params, in order, to the statement's "?" placeholders with their storage class.
void bindParams(sqlite3* db, sqlite3_stmt* stmt, const QList<Param>& params)
{
    for (qsizetype i = 0; i < params.size(); ++i) {
        const Param& p = params[i];
        const int at = int(i + 1);
        int rc;
        if (!p) {
            rc = sqlite3_bind_null(stmt, at);
        } else if (p.kind == ValueKind::Integer) {
            rc = sqlite3_bind_int64(stmt, at, p->toLongLong());
        } else if (p.kind == ValueKind::Real) {
            rc = sqlite3_bind_double(stmt, at, p.real);
        } else if (p.kind == ValueKind::Blob) {
            rc = sqlite3_bind_blob64(stmt, at, p.bytes.constData(), sqlite3_uint64(p.bytes.size()),
                                     SQLITE_TRANSIENT);
        } else {
            const QByteArray utf8 = p->toUtf8();
            rc = sqlite3_bind_text64(stmt, at, utf8.constData(), sqlite3_uint64(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        if (rc != SQLITE_OK)
            throw engineError(db, rc, false);
    }
}

// A batch walked statement by statement. The statement that yields rows is read lazily, one
// sqlite3_step per fetch(); statements without rows run as soon as they are reached, together
// with any that follow them up to the next statement with rows, so that an error anywhere in
// "create ...; insert ...; insert ..." is reported by the execute that ran it.
class SqliteResult final : public BackendResult
{
public:
    // params are bound to the first statement of the batch.
    // Once *cancelled is set, no further statement of the batch starts.
    SqliteResult(sqlite3* db, const QString& sql, const QList<Param>& params = {},
                 const std::atomic<bool>* cancelled = nullptr)
        : db_(db), sql_(sql.toUtf8()), params_(params), cancelled_(cancelled)
    {
        tail_ = sql_.constData();
        end_ = tail_ + sql_.size();
        runUpToRows();
        // The other engines refuse a text without a statement; SQLite would quietly do nothing.
        if (pending_.empty())
            throw Error(ErrorNumber::CommandRejected,
                        QStringLiteral("There was no statement to run: the query text is empty or holds only "
                                       "comments."),
                        QStringLiteral("42000"));
        takeFront();
    }

    ~SqliteResult() override
    {
        // Finish the batch as a server would: later statements still run, their rows and
        // errors go nowhere because nobody asked for them.
        try {
            stmt_.reset();
            while (!pending_.empty() || tail_ < end_) {
                pending_.clear();
                runUpToRows();
            }
        } catch (const Error&) {
        }
    }

    bool hasRows() const override { return hasRows_; }
    qint64 rowsAffected() const override { return changes_; }
    int columnCount() const override { return int(columns_.size()); }
    const ColumnInfo& column(int i) const override { return columns_[size_t(i)]; }

    bool fetch() override
    {
        if (!stmt_)
            return false;
        if (firstRowWaiting_) {
            firstRowWaiting_ = false;
            return true;
        }
        const int rc = sqlite3_step(stmt_.get());
        if (rc == SQLITE_ROW)
            return true;
        // The row set is done: release the statement so its read lock goes at once.
        stmt_.reset();
        if (rc != SQLITE_DONE)
            throw engineError(db_, rc, false);
        return false;
    }

    bool isNull(int col) override { return sqlite3_column_type(stmt_.get(), col) == SQLITE_NULL; }
    bool isBinary(int col) override { return sqlite3_column_type(stmt_.get(), col) == SQLITE_BLOB; }

    std::string_view utf8(int col) override
    {
        if (isBinary(col)) {
            // Bytes as hexadecimal, as the ODBC drivers give them: x'00FF' and x'00FE' must not
            // both look like a NUL and a replacement character.
            std::string& hex = hex_[size_t(col)];
            hex.clear();
            appendHex(hex, sqlite3_column_blob(stmt_.get(), col),
                      size_t(sqlite3_column_bytes(stmt_.get(), col)));
            return hex;
        }
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_.get(), col));
        if (!text)
            return {};
        return {text, size_t(sqlite3_column_bytes(stmt_.get(), col))};
    }

    QString text(int col) override
    {
        const std::string_view bytes = utf8(col);
        if (bytes.data() == nullptr)
            return QString();
        const QString s = ::text::fromUtf8Data(bytes);
        return s.isNull() ? QString(QLatin1String("")) : s;
    }

    ValueKind kind(int col) override
    {
        switch (sqlite3_column_type(stmt_.get(), col)) {
        case SQLITE_INTEGER:
            return ValueKind::Integer;
        case SQLITE_FLOAT:
            return ValueKind::Real;
        case SQLITE_BLOB:
            return ValueKind::Blob;
        default:
            return ValueKind::Text;
        }
    }

    double real(int col) override { return sqlite3_column_double(stmt_.get(), col); }

    bool nextResult() override
    {
        clearCurrent();
        if (pending_.empty())
            runUpToRows();
        if (pending_.empty())
            return false;
        takeFront();
        return true;
    }

private:
    // One result waiting to be handed out: rows (a stepped statement) or a change count.
    struct Pending
    {
        StatementHandle stmt;
        std::vector<ColumnInfo> columns;
        bool firstRowWaiting = false;
        qint64 changes = -1;
    };

    void clearCurrent()
    {
        stmt_.reset();
        columns_.clear();
        hasRows_ = false;
        firstRowWaiting_ = false;
        changes_ = -1;
    }

    void takeFront()
    {
        Pending next = std::move(pending_.front());
        pending_.pop_front();
        stmt_ = std::move(next.stmt);
        hasRows_ = !next.columns.empty();
        columns_ = std::move(next.columns);
        firstRowWaiting_ = next.firstRowWaiting;
        changes_ = next.changes;
        hex_.assign(columns_.size(), std::string());
    }

    // Prepares and runs statements from the tail of the batch until one with rows has been
    // queued or the text is used up.
    void runUpToRows()
    {
        while (tail_ < end_) {
            if (cancelled_ && cancelled_->load()) {
                tail_ = end_;
                throw Error(ErrorNumber::Unreachable, QStringLiteral("interrupted"), QStringLiteral("HY008"),
                            SQLITE_INTERRUPT);
            }
            sqlite3_stmt* raw = nullptr;
            const char* rest = nullptr;
            const int rc = sqlite3_prepare_v2(db_, tail_, int(end_ - tail_), &raw, &rest);
            StatementHandle stmt(raw);
            if (rc != SQLITE_OK) {
                tail_ = end_; // the rest of the batch is not run after a rejected statement
                throw engineError(db_, rc, true);
            }
            tail_ = rest ? rest : end_;
            if (!stmt)
                continue; // only blanks or a comment
            if (!params_.isEmpty()) {
                bindParams(db_, stmt.get(), params_);
                params_.clear();
            }
            const int columns = sqlite3_column_count(stmt.get());
            if (columns == 0) {
                runToEnd(db_, stmt.get());
                pending_.push_back({nullptr, {}, false, sqlite3_changes64(db_)});
                continue;
            }
            Pending rows;
            rows.columns.reserve(size_t(columns));
            for (int i = 0; i < columns; ++i) {
                ColumnInfo info;
                info.name = fromUtf8(sqlite3_column_name(stmt.get(), i));
                info.baseTable = fromUtf8(sqlite3_column_table_name(stmt.get(), i));
                info.baseColumn = fromUtf8(sqlite3_column_origin_name(stmt.get(), i));
                info.baseCatalog = fromUtf8(sqlite3_column_database_name(stmt.get(), i));
                const char* declared = sqlite3_column_decltype(stmt.get(), i);
                info.sqlType = sqlTypeOf(declared);
                info.untyped = !info.baseColumn.isEmpty() && (!declared || !*declared);
                rows.columns.push_back(std::move(info));
            }
            // The first step runs the statement, so its errors surface here, not mid-read.
            const int step = sqlite3_step(stmt.get());
            if (step != SQLITE_ROW && step != SQLITE_DONE) {
                tail_ = end_;
                throw engineError(db_, step, false);
            }
            rows.firstRowWaiting = step == SQLITE_ROW;
            if (step == SQLITE_DONE)
                stmt.reset();
            rows.stmt = std::move(stmt);
            pending_.push_back(std::move(rows));
            return;
        }
    }

    sqlite3* db_;
    QByteArray sql_;
    QList<Param> params_;
    const std::atomic<bool>* cancelled_ = nullptr;
    const char* tail_ = nullptr;
    const char* end_ = nullptr;
    std::deque<Pending> pending_;

    StatementHandle stmt_;
    std::vector<ColumnInfo> columns_;
    std::vector<std::string> hex_; // per column: the current row's bytes as hexadecimal
    bool hasRows_ = false;
    bool firstRowWaiting_ = false;
    qint64 changes_ = -1;
};

class SqliteConnection final : public BackendConnection
{
public:
    explicit SqliteConnection(DatabaseHandle db) : db_(std::move(db))
    {
        // Every few hundred steps of the engine: stop when cancelled. Unlike sqlite3_interrupt
        // alone, this also stops a statement that had not started when Cancel came.
        sqlite3_progress_handler(db_.get(), 500, &SqliteConnection::stopWhenCancelled, this);
    }

    ~SqliteConnection() override { sqlite3_progress_handler(db_.get(), 0, nullptr, nullptr); }

    Engine engine() const override { return Engine::SQLite; }
    bool readOnly() const override { return sqlite3_db_readonly(db_.get(), "main") == 1; }

    void cancel() override
    {
        cancelled_.store(true);
        sqlite3_interrupt(db_.get());
    }

    void setCommandTimeout(int seconds) override
    {
        // A statement waits this long for another program's lock; SQLite has no other
        // server-side wait to bound.
        sqlite3_busy_timeout(db_.get(), seconds <= 0 || seconds > INT_MAX / 1000 ? INT_MAX : seconds * 1000);
    }

    std::unique_ptr<BackendResult> execute(const QString& sql) override
    {
        return std::make_unique<SqliteResult>(db_.get(), sql, QList<Param>{}, &cancelled_);
    }

    qint64 executeUpdate(const QString& sql, const QList<Param>& params) override
    {
        StatementHandle stmt = prepare(sql);
        bindParams(db_.get(), stmt.get(), params);
        runToEnd(db_.get(), stmt.get());
        return sqlite3_changes64(db_.get());
    }

    std::unique_ptr<BackendResult> query(const QString& sql, const QList<Param>& params) override
    {
        return std::make_unique<SqliteResult>(db_.get(), sql, params);
    }

    QStringList primaryKey(const QString& catalog, const QString&, const QString& table) override
    {
        StatementHandle stmt = prepare(
            catalog.isEmpty()
                ? QStringLiteral("SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk")
                : QStringLiteral("SELECT name FROM pragma_table_info(?1, ?2) WHERE pk > 0 ORDER BY pk"));
        const QByteArray tableUtf8 = table.toUtf8();
        const QByteArray catalogUtf8 = catalog.toUtf8();
        sqlite3_bind_text(stmt.get(), 1, tableUtf8.constData(), int(tableUtf8.size()), SQLITE_STATIC);
        if (!catalog.isEmpty())
            sqlite3_bind_text(stmt.get(), 2, catalogUtf8.constData(), int(catalogUtf8.size()), SQLITE_STATIC);
        QStringList keys;
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
            keys.append(fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0))));
        if (rc != SQLITE_DONE)
            throw engineError(db_.get(), rc, false);
        return keys;
    }

    QString quoteIdentifier(const QString& identifier) const override
    {
        QString quoted = identifier;
        quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    }

    void beginTransaction() override { run("BEGIN"); }
    void commit() override { run("COMMIT"); }
    void rollback() override { run("ROLLBACK"); }

private:
    static int stopWhenCancelled(void* self)
    {
        return static_cast<SqliteConnection*>(self)->cancelled_.load(std::memory_order_relaxed) ? 1 : 0;
    }

    StatementHandle prepare(const QString& sql)
    {
        const QByteArray utf8 = sql.toUtf8();
        sqlite3_stmt* raw = nullptr;
        const int rc = sqlite3_prepare_v2(db_.get(), utf8.constData(), int(utf8.size()), &raw, nullptr);
        StatementHandle stmt(raw);
        if (rc != SQLITE_OK)
            throw engineError(db_.get(), rc, true);
        if (!stmt)
            throw Error(ErrorNumber::CommandRejected, QStringLiteral("The statement is empty."),
                        QStringLiteral("42000"));
        return stmt;
    }

    void run(const char* sql)
    {
        char* message = nullptr;
        const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            const QString text = fromUtf8(message);
            sqlite3_free(message);
            throw Error(ErrorNumber::Unreachable, text, QStringLiteral("HY000"), rc);
        }
    }

    DatabaseHandle db_;
    std::atomic<bool> cancelled_{false};
};

Error cannotOpen(const QString& path, const QString& why, int rc)
{
    return Error(ErrorNumber::Unreachable,
                 QStringLiteral("Cannot open the SQLite database \"%1\": %2").arg(path, why),
                 QStringLiteral("08001"), rc);
}

} // namespace

std::unique_ptr<BackendConnection> open(const ProviderChoice& choice)
{
    const QString path = choice.connectionString;
    const bool inMemory = path == QLatin1String(":memory:");
    // Without SQLITE_OPEN_CREATE a missing file fails to open; say plainly that it is missing.
    if (!inMemory && !QFileInfo::exists(path))
        throw cannotOpen(path, QStringLiteral("the file does not exist (unable to open database file)"),
                         SQLITE_CANTOPEN);

    // No mutex of its own: a connection is used by one thread at a time (a statement executes
    // on the run's worker while the window's thread waits for it; cancel() only calls
    // sqlite3_interrupt, which is safe from any thread), and the locking cost a quarter of
    // the CPU time of reading a result.
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    DatabaseHandle db(raw);
    if (rc != SQLITE_OK)
        throw cannotOpen(path, raw ? fromUtf8(sqlite3_errmsg(raw)) : fromUtf8(sqlite3_errstr(rc)), rc);
    sqlite3_extended_result_codes(db.get(), 1);

    // SQLite reads the file lazily; read the schema now so that a file that is no database
    // fails here, with its path, rather than at the first query.
    char* message = nullptr;
    const int probe =
        sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &message);
    if (probe != SQLITE_OK) {
        const QString why = fromUtf8(message);
        sqlite3_free(message);
        throw cannotOpen(path, why, probe);
    }
    auto connection = std::make_unique<SqliteConnection>(std::move(db));
    connection->setCommandTimeout(30);
    return connection;
}

} // namespace db::sqlite
