#include "query/db/Recordset.h"

#include "query/db/Command.h"
#include "query/db/Connection.h"
#include "query/db/Watch.h"

#include <vector>

namespace db {

namespace {

Error noCurrentRecord()
{
    return Error(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                "Requested operation requires a current record."));
}

Error noSuchItem()
{
    return Error(QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                                "name or ordinal."));
}

} // namespace

struct Recordset::Impl
{
    // Declared first so that it is destroyed last: the result goes before its engine.
    std::unique_ptr<Connection> ownConnection;
    std::shared_ptr<BackendConnection> backend;
    std::unique_ptr<BackendResult> result;

    QString source;
    bool client = false;
    bool rows = false; // the current result has a row set (State 1)
    bool nothing = false;
    bool eof = true;     // forward-only: no current record
    qint64 position = 0; // records moved past since the first one
    int columns = 0;     // of the current result, read once: cell access tests it every time
    ClientCursor cursor;
    mutable std::vector<QString> foldedNames; // built on the first lookup by name

    // Positions a fresh result on its first record. A client-side set loads its rows asking
    // the watch, if any, before each one; when it says stop, the set keeps the rows loaded.
    void start(Watch* watch = nullptr)
    {
        foldedNames.clear();
        position = 0;
        rows = result && result->hasRows();
        columns = 0;
        if (!rows) {
            eof = true;
            return;
        }
        if (client) {
            cursor.load(*result, watch);
            cursor.describe(*backend, source);
            eof = cursor.rowCount() == 0;
            columns = cursor.columnCount();
        } else {
            eof = !result->fetch();
            columns = result->columnCount();
        }
    }

    bool atEnd() const { return client ? position >= cursor.rowCount() : eof; }
};

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

void Recordset::Open(const QString& source, Connection& activeConnection, int cursorType, int lockType)
{
    if (d_ && (d_->result || d_->backend))
        throw objectOpenError();
    if (activeConnection.State() != adStateOpen)
        throw objectClosedError();
    activeConnection.backend()->setCommandTimeout(activeConnection.CommandTimeout);
    openOn(source, activeConnection.backend(), cursorType, lockType, activeConnection.watch());
}

void Recordset::Open(const QString& source, const QString& connectionString, int cursorType, int lockType)
{
    if (d_ && (d_->result || d_->backend))
        throw objectOpenError();
    auto own = std::make_unique<Connection>();
    own->Open(connectionString);
    openOn(source, own->backend(), cursorType, lockType);
    d_->ownConnection = std::move(own);
}

void Recordset::Open(const Command& source, int cursorType, int lockType)
{
    if (!source.ActiveConnection)
        throw Error(QStringLiteral("The command has no active connection."));
    Open(source.CommandText, *source.ActiveConnection, cursorType, lockType);
}

void Recordset::openOn(const QString& source, std::shared_ptr<BackendConnection> backend, int cursorType,
                       int lockType, Watch* watch)
{
    Q_UNUSED(lockType); // writes go through the direct-edit model, which locks optimistically
    auto d = std::make_unique<Impl>();
    d->source = source;
    // Keyset and static cursors know their size and can be rewound: both are served from memory.
    d->client = CursorLocation == adUseClient || cursorType == adOpenKeyset || cursorType == adOpenStatic;
    d->backend = std::move(backend);
    d->backend->setClientSide(d->client);
    d->result = watch ? executeWatched(d->backend, source, *watch) : d->backend->execute(source);
    d->start(watch);
    d_ = std::move(d);
}

bool Recordset::Eof() const
{
    if (State() != adStateOpen)
        throw objectClosedError();
    return d_->atEnd();
}

void Recordset::MoveNext()
{
    if (State() != adStateOpen)
        throw objectClosedError();
    if (d_->atEnd())
        throw noCurrentRecord();
    ++d_->position;
    if (!d_->client)
        d_->eof = !d_->result->fetch();
}

void Recordset::MoveFirst()
{
    if (State() != adStateOpen)
        throw objectClosedError();
    if (d_->position == 0)
        return;
    if (!d_->client)
        throw Error(QStringLiteral("A forward-only set cannot move back to its first record."));
    d_->position = 0;
}

Recordset Recordset::NextRecordset()
{
    if (!d_ || !d_->result)
        throw objectClosedError();
    Recordset next;
    next.CursorLocation = CursorLocation;
    next.d_ = std::move(d_);
    Impl& d = *next.d_;
    d.cursor = ClientCursor();
    if (d.result->nextResult()) {
        d.start();
    } else {
        d.result.reset();
        d.rows = false;
        d.eof = true;
        d.nothing = true;
    }
    return next;
}

int Recordset::State() const
{
    return d_ && d_->result && d_->rows ? adStateOpen : adStateClosed;
}

qint64 Recordset::RecordCount() const
{
    if (State() != adStateOpen)
        throw objectClosedError();
    return d_->client ? d_->cursor.rowCount() : -1;
}

void Recordset::Close()
{
    d_.reset();
}

void Recordset::runRestOfBatch()
{
    if (!d_ || !d_->result)
        return;
    while (d_->result->nextResult()) {
    }
    if (!d_->client) {
        d_->rows = false;
        d_->eof = true;
    }
}

bool Recordset::isNothing() const
{
    return d_ && d_->nothing;
}

void Recordset::requireRecord(int col) const
{
    if (State() != adStateOpen)
        throw objectClosedError();
    if (d_->atEnd())
        throw noCurrentRecord();
    if (col < 0 || col >= d_->columns)
        throw noSuchItem();
}

bool Recordset::isNull(int col) const
{
    requireRecord(col);
    return d_->client ? d_->cursor.isNull(d_->position, col) : d_->result->isNull(col);
}

std::string_view Recordset::cellUtf8(int col) const
{
    requireRecord(col);
    return d_->client ? d_->cursor.utf8(d_->position, col) : d_->result->utf8(col);
}

QString Recordset::cellText(int col) const
{
    requireRecord(col);
    if (d_->client)
        return d_->cursor.text(d_->position, col);
    if (d_->result->isNull(col))
        return QString();
    const QString text = d_->result->text(col);
    return text.isNull() ? QString(QLatin1String("")) : text; // empty, not null
}

const ClientCursor* Recordset::clientCursor() const
{
    return d_ && d_->client && d_->rows ? &d_->cursor : nullptr;
}

qint64 Recordset::currentRow() const
{
    return d_ ? d_->position : 0;
}

std::shared_ptr<BackendConnection> Recordset::backendConnection() const
{
    return d_ ? d_->backend : nullptr;
}

int Recordset::columnCount() const
{
    return State() == adStateOpen ? d_->columns : 0;
}

QString Recordset::columnName(int col) const
{
    if (col < 0 || col >= columnCount())
        throw noSuchItem();
    return d_->client ? d_->cursor.column(col).name : d_->result->column(col).name;
}

int Recordset::indexOf(const QString& name) const
{
    const int count = columnCount();
    if (d_ && d_->foldedNames.size() != size_t(count)) {
        d_->foldedNames.clear();
        for (int i = 0; i < count; ++i)
            d_->foldedNames.push_back(columnName(i).toCaseFolded());
    }
    const QString wanted = name.toCaseFolded();
    for (int i = 0; i < count; ++i) {
        if (d_->foldedNames[size_t(i)] == wanted)
            return i;
    }
    throw noSuchItem();
}

// ---- Fields and Field ----

int Fields::Count() const
{
    return set_->columnCount();
}

Field Fields::Item(int index) const
{
    if (index < 0 || index >= set_->columnCount())
        throw noSuchItem();
    return Field(set_, index);
}

Field Fields::Item(const QString& name) const
{
    return Field(set_, set_->indexOf(name));
}

QString Field::Name() const
{
    return set_->columnName(col_);
}

QVariant Field::Value() const
{
    const QString value = set_->cellText(col_);
    return value.isNull() ? QVariant() : QVariant(value);
}

bool Field::isNull() const
{
    return set_->isNull(col_);
}

std::string_view Field::utf8View() const
{
    return set_->cellUtf8(col_);
}

QString Field::text() const
{
    return set_->cellText(col_);
}

} // namespace db
