#include "results/RecordsetModel.h"

#include "query/db/SqlText.h"
#include "results/ExactMatch.h"
#include "ui/Dialogs.h"

#include <algorithm>
#include <cmath>
#include <sql.h>
#include <sqlext.h>

namespace results {

// The base table of the result and how its rows are named; one per model, built on the first
// write. A non-empty refusal means nothing can be written at all.
struct RecordsetModel::Target
{
    QString refusal;
    db::Engine engine = db::Engine::Other;
    QString tableName;  // for messages
    QString qualified;  // quoted, for statements
    QStringList column; // per result column: its quoted column in the table; empty when none
    QStringList columnRefusal;
    std::vector<bool> text;  // per result column: it holds text
    std::vector<int> naming; // result columns that name a row: the key, or every table column shown
    bool keyed = false;      // naming is the table's key
    bool limitOne = false;   // no key, and the result shows the whole row: rows that match are identical
};

// "WHERE" text without the word, and its parameters in order.
struct RecordsetModel::RowFilter
{
    QString where;
    QList<db::Param> params;
};

namespace {

quint64 cellKey(qint64 setRow, int col)
{
    return (quint64(setRow) << 16) ^ quint64(quint16(col));
}

QVariant toVariant(const db::Param& value)
{
    return value ? QVariant(*value) : QVariant();
}

bool holdsText(int sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return true;
    default:
        return false;
    }
}

// What the user typed, as the column is to store it: an empty text in a column that does not
// hold text is NULL; a number typed into a column declared without a type (SQLite) is stored
// as a number, as the same number written into a statement would be.
db::Param typedValue(const db::ClientColumn& column, const QString& typed)
{
    if (typed.isEmpty() && !holdsText(column.sqlType))
        return {};
    db::Param value(typed);
    if (!column.untyped || typed.trimmed() != typed)
        return value;
    bool ok = false;
    const qlonglong whole = typed.toLongLong(&ok);
    if (ok && QString::number(whole) == typed) {
        value.kind = db::ValueKind::Integer;
        return value;
    }
    const double real = typed.toDouble(&ok);
    if (ok && std::isfinite(real)) {
        value.kind = db::ValueKind::Real;
        value.real = real;
    }
    return value;
}

bool holdsBytes(int sqlType)
{
    return sqlType == SQL_BINARY || sqlType == SQL_VARBINARY || sqlType == SQL_LONGVARBINARY;
}

// A binary column's bytes as the hexadecimal text the grid shows, so that a row is found by the
// bytes fetched; empty where no such expression is known for the engine.
QString hexOf(db::Engine engine, const QString& column)
{
    switch (engine) {
    case db::Engine::SQLite:
    case db::Engine::MySql:
        return QStringLiteral("hex(%1)").arg(column);
    case db::Engine::PostgreSql:
        return QStringLiteral("upper(encode(%1, 'hex'))").arg(column);
    default:
        return {};
    }
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString quotedName(const db::BackendConnection& connection, db::Engine engine, const db::ColumnInfo& c)
{
    QStringList parts;
    if (engine == db::Engine::SQLite || engine == db::Engine::MySql) {
        if (!c.baseCatalog.isEmpty())
            parts << connection.quoteIdentifier(c.baseCatalog);
    } else if (!c.baseSchema.isEmpty()) {
        if (!c.baseCatalog.isEmpty())
            parts << connection.quoteIdentifier(c.baseCatalog);
        parts << connection.quoteIdentifier(c.baseSchema);
    }
    parts << connection.quoteIdentifier(c.baseTable);
    return parts.join(QLatin1Char('.'));
}

// The program's error report (number, line break, description), after a line that says what
// did not happen. The engine's own code is added where the description does not carry it.
QString refusedBy(const QString& what, const db::Error& e)
{
    QString description = e.description;
    if (e.native != 0 && !description.contains(QString::number(e.native)))
        description += QStringLiteral(" (SQLSTATE %1, native %2)")
                           .arg(e.sqlState.isEmpty() ? QStringLiteral("none") : e.sqlState)
                           .arg(e.native);
    return what + QStringLiteral("\r\n") + QString::number(e.number) + QStringLiteral("\r\n") + description;
}

void tell(const QString& text)
{
    ui::msgBox(text);
}

const QString rowGoneEdit = QStringLiteral(
    "The row was changed or deleted by someone else since it was read, so the change was not saved. "
    "Run the query again to see the data as it is now.");
const QString rowChangedEdit =
    QStringLiteral("The row was changed by someone else since it was read, so the change was not saved. "
                   "The row now shows what the database holds.");
const QString rowChangedUndo = QStringLiteral(
    "The row was changed by someone else since it was read, so Undo did not restore the value. "
    "The row shows what the database holds.");
const QString rowGoneDelete =
    QStringLiteral("The row was changed or deleted by someone else since it was read, so it was not deleted. "
                   "Run the query again to see the data as it is now.");

// Rolls back unless commit() was called; a failing rollback leaves nothing more to do.
class Transaction
{
public:
    explicit Transaction(db::BackendConnection& connection) : connection_(connection)
    {
        connection_.beginTransaction();
    }
    ~Transaction()
    {
        if (open_) {
            try {
                connection_.rollback();
            } catch (const db::Error&) {
            }
        }
    }
    void commit()
    {
        open_ = false;
        connection_.commit();
    }

private:
    db::BackendConnection& connection_;
    bool open_ = true;
};

} // namespace

RecordsetModel::RecordsetModel(db::Recordset recordset, QObject* parent)
    : QAbstractTableModel(parent), recordset_(std::move(recordset))
{
    cursor_ = recordset_.clientCursor();
    connection_ = recordset_.backendConnection();
    if (cursor_) {
        rows_.reserve(size_t(cursor_->rowCount()));
        for (qint64 r = 0; r < cursor_->rowCount(); ++r)
            rows_.push_back(r);
    }
}

RecordsetModel::~RecordsetModel() = default;

void RecordsetModel::setAllowUpdate(bool allow)
{
    if (allow == allowUpdate_)
        return;
    allowUpdate_ = allow;
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void RecordsetModel::setAllowDelete(bool allow)
{
    allowDelete_ = allow;
}

int RecordsetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int RecordsetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !cursor_ ? 0 : cursor_->columnCount();
}

RecordsetModel::Value RecordsetModel::fetched(qint64 setRow, int col) const
{
    return cursor_->value(setRow, col);
}

RecordsetModel::Value RecordsetModel::current(qint64 setRow, int col) const
{
    const auto found = written_.find(cellKey(setRow, col));
    return found != written_.end() ? found->second : fetched(setRow, col);
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return toVariant(current(rows_[size_t(index.row())], index.column()));
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return cursor_ && section < cursor_->columnCount() ? QVariant(cursor_->column(section).name)
                                                           : QVariant();
    return QVariant(section + 1);
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (allowUpdate_)
        f |= Qt::ItemIsEditable;
    return f;
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !allowUpdate_ || index.row() >= rowCount())
        return false;
    Value typed;
    if (value.isValid() && !value.isNull())
        typed = typedValue(cursor_->column(index.column()), value.toString());
    const bool written = write(index.row(), index.column(), typed);
    emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(columnCount() - 1));
    return written;
}

bool RecordsetModel::restoreFetched(const QModelIndex& index)
{
    if (!index.isValid() || !allowUpdate_ || index.row() >= rowCount())
        return false;
    const qint64 setRow = rows_[size_t(index.row())];
    const Value original = fetched(setRow, index.column());
    if (current(setRow, index.column()) == original)
        return true; // nothing to undo
    // Undo takes back only what this program wrote; a value someone else wrote stays.
    if (!ownWrites_.count(cellKey(setRow, index.column()))) {
        tell(rowChangedUndo);
        return false;
    }
    const bool written = write(index.row(), index.column(), original, true);
    emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(columnCount() - 1));
    return written;
}

QVariant RecordsetModel::fetchedValue(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    return toVariant(fetched(rows_[size_t(index.row())], index.column()));
}

bool RecordsetModel::insertRows(int, int, const QModelIndex&)
{
    return false;
}

bool RecordsetModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || !allowDelete_ || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    // Highest first, so the rows still to go keep their numbers.
    for (int r = row + count - 1; r >= row; --r) {
        if (!deleteRow(r))
            return false;
    }
    return true;
}

QString RecordsetModel::tableName()
{
    const Target& t = target();
    return t.refusal.isEmpty() ? t.tableName : QString();
}

const RecordsetModel::Target& RecordsetModel::target()
{
    if (target_)
        return *target_;
    target_ = std::make_unique<Target>();
    Target& t = *target_;
    const int columns = columnCount();
    t.column = QStringList(columns, QString());
    t.columnRefusal = QStringList(columns, QString());
    t.text.assign(size_t(columns), false);
    if (!cursor_ || !connection_) {
        t.refusal = QStringLiteral("There is no result to change.");
        return t;
    }
    if (connection_->readOnly()) {
        t.refusal = QStringLiteral("The driver for this database can only read it, so changes made in the "
                                   "data grid cannot be saved.");
        return t;
    }
    t.engine = connection_->engine();

    // A row of the result must be a row of one table, once: not the rows of several queries
    // combined, not a table read twice (a self-join), not a table reached through a view.
    const db::QueryShape shape = db::shapeOf(cursor_->sourceText());
    const QString untraceable = QStringLiteral(", so its rows cannot be traced to rows of one table, and it "
                                               "cannot be changed in the data grid.");
    if (shape.combined) {
        t.refusal =
            QStringLiteral("This result combines the rows of several queries (UNION, INTERSECT or EXCEPT)") +
            untraceable;
        return t;
    }
    if (const std::optional<QString> twice = shape.namedTwice()) {
        t.refusal = QStringLiteral("This result reads the table %1 more than once").arg(*twice) + untraceable;
        return t;
    }
    // One base table for every column that has one.
    const db::ClientColumn* base = nullptr;
    QStringList tables;
    for (int c = 0; c < columns; ++c) {
        const db::ClientColumn& info = cursor_->column(c);
        if (info.baseTable.isEmpty())
            continue;
        if (!base) {
            base = &info;
            tables << info.baseTable;
        } else if (!sameName(info.baseTable, base->baseTable) ||
                   !sameName(info.baseSchema, base->baseSchema) ||
                   !sameName(info.baseCatalog, base->baseCatalog)) {
            if (!tables.contains(info.baseTable, Qt::CaseInsensitive))
                tables << info.baseTable;
            else
                tables << info.baseCatalog + QLatin1Char('.') + info.baseTable;
        }
    }
    if (!base) {
        t.refusal = QStringLiteral("This result does not come from a single table, so it cannot be changed "
                                   "in the data grid.");
        return t;
    }
    if (tables.size() > 1) {
        t.refusal = QStringLiteral("This result comes from more than one table (%1), so it cannot be changed "
                                   "in the data grid.")
                        .arg(tables.join(QStringLiteral(", ")));
        return t;
    }
    t.tableName = base->baseTable;
    t.qualified = quotedName(*connection_, t.engine, *base);

    // The query's text names the table it reads.
    if (shape.timesNamed({base->baseCatalog, base->baseSchema, base->baseTable}) == 0) {
        t.refusal =
            QStringLiteral("This result reads the table %1 through a view or another name").arg(t.tableName) +
            untraceable;
        return t;
    }

    // The table's own columns: a result column that is none of them was calculated by the query.
    QStringList tableColumns;
    try {
        auto result = connection_->execute(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(t.qualified));
        for (int i = 0; i < result->columnCount(); ++i)
            tableColumns << result->column(i).name;
    } catch (const db::Error& e) {
        t.refusal = refusedBy(QStringLiteral("The columns of the table %1 could not be read, so the change "
                                             "was not saved.")
                                  .arg(t.tableName),
                              e);
        return t;
    }
    QStringList shown; // table columns the result shows
    for (int c = 0; c < columns; ++c) {
        const db::ClientColumn& info = cursor_->column(c);
        const QString name = info.baseColumn.isEmpty() ? info.name : info.baseColumn;
        if (info.baseTable.isEmpty() || !tableColumns.contains(name, Qt::CaseInsensitive)) {
            t.columnRefusal[c] =
                QStringLiteral("The column %1 is calculated by the query, not taken from the "
                               "table %2, so it cannot be changed.")
                    .arg(info.name, t.tableName);
            continue;
        }
        t.column[c] = connection_->quoteIdentifier(name);
        t.text[size_t(c)] = holdsText(info.sqlType);
        // Bytes the engine cannot compare as the grid shows them do not name the row.
        if (holdsBytes(info.sqlType) && hexOf(t.engine, t.column[c]).isEmpty())
            continue;
        if (!shown.contains(name, Qt::CaseInsensitive)) {
            shown << name;
            t.naming.push_back(c);
        }
    }

    // The key names the row where the result shows all of it; otherwise every column shown.
    std::vector<int> key;
    for (const QString& k : base->keyColumns) {
        for (int c = 0; c < columns; ++c) {
            const db::ClientColumn& info = cursor_->column(c);
            if (!t.column[c].isEmpty() &&
                sameName(info.baseColumn.isEmpty() ? info.name : info.baseColumn, k)) {
                key.push_back(c);
                break;
            }
        }
    }
    if (!base->keyColumns.isEmpty() && key.size() == size_t(base->keyColumns.size())) {
        t.naming = key;
        t.keyed = true;
        return t;
    }
    // Without the key, only values compared exactly can name a row.
    if (!exactEquals(t.engine, t.qualified, true, std::nullopt)) {
        t.refusal =
            QStringLiteral("The table %1 has no key in this result, and this database offers no exact "
                           "comparison to tell its rows apart, so it cannot be changed in the data grid.")
                .arg(t.tableName);
        return t;
    }
    if (base->keyColumns.isEmpty())
        t.limitOne = std::all_of(tableColumns.begin(), tableColumns.end(), [&](const QString& name) {
            return shown.contains(name, Qt::CaseInsensitive);
        });
    return t;
}

RecordsetModel::RowFilter RecordsetModel::rowFilter(const Target& t, qint64 setRow, int alsoCol,
                                                    int replacedCol, const Value& replacement) const
{
    std::vector<int> columns = t.naming;
    if (alsoCol >= 0 &&
        std::none_of(columns.begin(), columns.end(), [&](int c) { return t.column[c] == t.column[alsoCol]; }))
        columns.push_back(alsoCol);
    RowFilter f;
    QStringList terms;
    for (int c : columns) {
        const bool replaced = replacedCol >= 0 && t.column[c] == t.column[replacedCol];
        const Value v = replaced ? replacement : current(setRow, c);
        if (!v) {
            terms << t.column[c] + QStringLiteral(" IS NULL");
            continue;
        }
        // Bytes are compared as the hexadecimal text fetched, bound as that text.
        if (const QString hex = cursor_->isBinary(setRow, c) ? hexOf(t.engine, t.column[c]) : QString();
            !hex.isEmpty()) {
            terms << hex + QStringLiteral(" = ?");
            f.params << db::Param(*v);
            continue;
        }
        // A value just written is compared as the column stored it, whatever class it was bound with.
        const ExactTerm term = equalsTerm(t.engine, t.column[c], t.text[size_t(c)],
                                          replaced ? std::nullopt : std::optional<db::ValueKind>(v.kind));
        terms << term.sql;
        for (int i = 0; i < term.values; ++i)
            f.params << v;
    }
    f.where = terms.join(QStringLiteral(" AND "));
    return f;
}

namespace {

// "UPDATE table SET set WHERE where" (set empty: "DELETE FROM table WHERE where"), limited to one
// row where asked, as each engine writes that.
QString statement(db::Engine engine, const QString& table, const QString& set, const QString& where,
                  bool limitOne)
{
    const bool update = !set.isEmpty();
    const QString head = update ? QStringLiteral("UPDATE %1 SET %2").arg(table, set)
                                : QStringLiteral("DELETE FROM %1").arg(table);
    if (limitOne && engine == db::Engine::SQLite)
        return QStringLiteral("%1 WHERE rowid IN (SELECT rowid FROM %2 WHERE %3 LIMIT 1)")
            .arg(head, table, where);
    if (limitOne && engine == db::Engine::SqlServer)
        return update ? QStringLiteral("UPDATE TOP (1) %1 SET %2 WHERE %3").arg(table, set, where)
                      : QStringLiteral("DELETE TOP (1) FROM %1 WHERE %2").arg(table, where);
    if (limitOne && engine == db::Engine::MySql)
        return QStringLiteral("%1 WHERE %2 LIMIT 1").arg(head, where);
    if (limitOne && engine == db::Engine::PostgreSql)
        return QStringLiteral("%1 WHERE ctid = (SELECT ctid FROM %2 WHERE %3 LIMIT 1)")
            .arg(head, table, where);
    return QStringLiteral("%1 WHERE %2").arg(head, where);
}

} // namespace

qint64 RecordsetModel::matchingRows(const Target& t, const RowFilter& filter)
{
    auto result = connection_->query(
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(t.qualified, filter.where), filter.params);
    return result->fetch() ? result->text(0).toLongLong() : 0;
}

bool RecordsetModel::write(int row, int col, const Value& value, bool undo)
{
    const qint64 setRow = rows_[size_t(row)];
    const Value before = current(setRow, col);
    if (before == value)
        return true; // nothing to write

    const Target& t = target();
    if (!t.refusal.isEmpty()) {
        tell(t.refusal);
        return false;
    }
    if (!t.columnRefusal[col].isEmpty()) {
        tell(t.columnRefusal[col]);
        return false;
    }
    if (holdsBytes(cursor_->column(col).sqlType) || cursor_->isBinary(setRow, col)) {
        tell(QStringLiteral(
                 "The column %1 holds binary data, which the grid shows as hexadecimal digits, so it "
                 "cannot be changed in the data grid.")
                 .arg(cursor_->column(col).name));
        return false;
    }

    const RowFilter filter = rowFilter(t, setRow, col, -1, {});
    // Without a key, rows that match need not be one: they are counted first, so that an engine
    // without transactions (MyISAM) never changes two. MySQL's LIMIT guards the rest.
    const bool counted = !t.keyed && !t.limitOne;
    const QString sql = statement(t.engine, t.qualified, t.column[col] + QStringLiteral(" = ?"), filter.where,
                                  t.limitOne || (counted && t.engine == db::Engine::MySql));
    QList<db::Param> params{value};
    params += filter.params;

    try {
        Transaction transaction(*connection_);
        qint64 changed = counted ? matchingRows(t, filter) : 1;
        if (changed == 1)
            changed = connection_->executeUpdate(sql, params);
        if (changed == 0) {
            // Someone else changed the row: where its key still finds it, show it as it is now,
            // so that the next edit starts from what the database holds.
            tell(t.keyed && showRowAsStored(t, row) ? (undo ? rowChangedUndo : rowChangedEdit) : rowGoneEdit);
            return false;
        }
        if (changed != 1) {
            tell(
                QStringLiteral("%1 rows of the table %2 hold the values of this row and the table has no key "
                               "to tell them apart, so the change was not saved.")
                    .arg(changed)
                    .arg(t.tableName));
            return false;
        }
        std::unordered_map<quint64, Value> now = readBack(t, setRow, col, value);
        transaction.commit();
        for (auto& [key, v] : now)
            written_[key] = std::move(v);
        for (int c = 0; c < columnCount(); ++c)
            if (t.column[c] == t.column[col])
                ownWrites_.insert(cellKey(setRow, c));
    } catch (const db::Error& e) {
        tell(refusedBy(QStringLiteral("The database did not accept the change:"), e));
        return false;
    }
    return true;
}

std::unordered_map<quint64, RecordsetModel::Value>
RecordsetModel::readBack(const Target& t, qint64 setRow, int changedCol, const Value& value)
{
    // Keep what the grid showed, in case the row cannot be found again (a trigger changed it).
    std::unordered_map<quint64, Value> now;
    for (int c = 0; c < columnCount(); ++c)
        now[cellKey(setRow, c)] = current(setRow, c);
    for (int c = 0; c < columnCount(); ++c)
        if (!t.column[c].isEmpty() && t.column[c] == t.column[changedCol])
            now[cellKey(setRow, c)] = value;
    readRow(t, setRow, rowFilter(t, setRow, -1, changedCol, value), now);
    return now;
}

bool RecordsetModel::readRow(const Target& t, qint64 setRow, const RowFilter& filter,
                             std::unordered_map<quint64, Value>& into)
{
    QStringList list;
    std::vector<int> listed;
    for (int c = 0; c < columnCount(); ++c) {
        if (!t.column[c].isEmpty() && !list.contains(t.column[c])) {
            list << t.column[c];
            listed.push_back(c);
        }
    }
    auto result = connection_->query(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                         .arg(list.join(QStringLiteral(", ")), t.qualified, filter.where),
                                     filter.params);
    if (!result->fetch())
        return false;
    for (size_t i = 0; i < listed.size(); ++i) {
        const int at = int(i);
        Value v;
        if (!result->isNull(at)) {
            const db::ValueKind kind = result->kind(at); // before the text, which may convert it
            const QString text = result->text(at);
            v = text.isNull() ? QString(QLatin1String("")) : text; // empty, not null
            v.kind = kind;
            v.real = result->real(at);
            if (kind == db::ValueKind::Blob) {
                const std::string_view bytes = result->utf8(at);
                v.bytes = QByteArray(bytes.data(), qsizetype(bytes.size()));
            }
        }
        for (int c = 0; c < columnCount(); ++c)
            if (t.column[c] == t.column[listed[i]])
                into[cellKey(setRow, c)] = v;
    }
    return true;
}

bool RecordsetModel::showRowAsStored(const Target& t, int row)
{
    const qint64 setRow = rows_[size_t(row)];
    std::unordered_map<quint64, Value> now;
    try {
        if (!readRow(t, setRow, rowFilter(t, setRow, -1, -1, {}), now))
            return false;
    } catch (const db::Error&) {
        return false;
    }
    for (auto& [key, v] : now) {
        ownWrites_.erase(key); // the database's values now, not this program's
        written_[key] = std::move(v);
    }
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    return true;
}

bool RecordsetModel::deleteRow(int row)
{
    const qint64 setRow = rows_[size_t(row)];
    const Target& t = target();
    if (!t.refusal.isEmpty()) {
        tell(t.refusal);
        return false;
    }
    const RowFilter filter = rowFilter(t, setRow, -1, -1, {});
    const bool counted = !t.keyed && !t.limitOne;
    const QString sql = statement(t.engine, t.qualified, QString(), filter.where,
                                  t.limitOne || (counted && t.engine == db::Engine::MySql));
    try {
        Transaction transaction(*connection_);
        qint64 changed = counted ? matchingRows(t, filter) : 1;
        if (changed == 1)
            changed = connection_->executeUpdate(sql, filter.params);
        if (changed == 0) {
            tell(rowGoneDelete);
            return false;
        }
        if (changed != 1) {
            tell(
                QStringLiteral("%1 rows of the table %2 hold the values of this row and the table has no key "
                               "to tell them apart, so it was not deleted.")
                    .arg(changed)
                    .arg(t.tableName));
            return false;
        }
        transaction.commit();
    } catch (const db::Error& e) {
        tell(refusedBy(QStringLiteral("The database did not delete the row:"), e));
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
    return true;
}

} // namespace results
