#include "query/db/ClientCursor.h"

#include "query/db/Watch.h"
#include "text/DataText.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>

namespace db {
namespace {

// A block closes at this many rows, or earlier when its text nears what 32-bit offsets reach.
constexpr qint64 rowsPerBlock = 4096;
constexpr size_t bytesPerBlock = size_t(1) << 30;

} // namespace

const ClientCursor::Block& ClientCursor::blockOf(qint64 row) const
{
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), row,
                               [](qint64 r, const Block& b) { return r < b.firstRow; });
    return *(it - 1);
}

bool ClientCursor::isNull(qint64 row, int col) const
{
    const Block& b = blockOf(row);
    return b.nulls[size_t((row - b.firstRow) * columnCount() + col)];
}

bool ClientCursor::isBinary(qint64 row, int col) const
{
    const Block& b = blockOf(row);
    return b.binaries[size_t((row - b.firstRow) * columnCount() + col)];
}

std::string_view ClientCursor::utf8(qint64 row, int col) const
{
    const Block& b = blockOf(row);
    const size_t cell = size_t((row - b.firstRow) * columnCount() + col);
    const size_t begin = cell == 0 ? 0 : b.ends[cell - 1];
    return std::string_view(b.bytes.data() + begin, b.ends[cell] - begin);
}

QString ClientCursor::text(qint64 row, int col) const
{
    if (isNull(row, col))
        return QString();
    const std::string_view bytes = utf8(row, col);
    if (bytes.empty())
        return QString(QLatin1String("")); // empty, not null
    return text::fromUtf8Data(bytes);
}

Param ClientCursor::value(qint64 row, int col) const
{
    Param p(isNull(row, col) ? std::nullopt : std::optional<QString>(text(row, col)));
    if (!p)
        return p;
    const Block& b = blockOf(row);
    const size_t cell = size_t((row - b.firstRow) * columnCount() + col);
    p.kind = b.kinds[cell];
    if (p.kind == ValueKind::Real) {
        const auto exact = b.reals.find(cell);
        p.real = exact != b.reals.end() ? exact->second : p->toDouble();
    } else if (p.kind == ValueKind::Blob) {
        const std::string_view hex = utf8(row, col); // bytes are kept as their hexadecimal text
        p.bytes = QByteArray::fromHex(QByteArray(hex.data(), qsizetype(hex.size())));
    }
    return p;
}

void ClientCursor::load(BackendResult& result, Watch* watch)
{
    columns_.clear();
    blocks_.clear();
    rows_ = 0;
    const int columns = result.columnCount();
    for (int i = 0; i < columns; ++i) {
        ClientColumn column;
        static_cast<ColumnInfo&>(column) = result.column(i);
        columns_.push_back(std::move(column));
    }
    if (columns == 0)
        return;

    std::vector<ValueKind> rowKinds(size_t(columns), ValueKind::Text);
    while ((!watch || watch->proceed(rows_)) && result.fetch()) {
        // The storage class is read before the text: reading the text may convert the value.
        for (int c = 0; c < columns; ++c)
            rowKinds[size_t(c)] = result.isNull(c) ? ValueKind::Text : result.kind(c);
        size_t rowBytes = 0;
        for (int c = 0; c < columns; ++c)
            rowBytes += result.utf8(c).size();
        if (blocks_.empty() || blocks_.back().rows == rowsPerBlock ||
            (blocks_.back().rows > 0 && blocks_.back().bytes.size() + rowBytes > bytesPerBlock)) {
            Block fresh;
            fresh.firstRow = rows_;
            blocks_.push_back(std::move(fresh));
        }
        Block& b = blocks_.back();
        for (int c = 0; c < columns; ++c) {
            const bool null = result.isNull(c);
            const ValueKind kind = rowKinds[size_t(c)];
            if (!null) {
                const std::string_view cell = result.utf8(c);
                b.bytes.append(cell.data(), cell.size());
                // A real whose text rounds it keeps its exact value: a write must name the
                // value stored, not the one shown.
                double shown = 0;
                if (kind == ValueKind::Real &&
                    (std::from_chars(cell.data(), cell.data() + cell.size(), shown).ec != std::errc() ||
                     shown != result.real(c)))
                    b.reals.emplace(b.ends.size(), result.real(c));
            }
            b.kinds.push_back(kind);
            b.ends.push_back(quint32(b.bytes.size()));
            b.nulls.push_back(null);
            b.binaries.push_back(!null && result.isBinary(c));
        }
        ++b.rows;
        ++rows_;
    }
    for (Block& b : blocks_) {
        b.bytes.shrink_to_fit();
        b.ends.shrink_to_fit();
        b.nulls.shrink_to_fit();
        b.kinds.shrink_to_fit();
        b.binaries.shrink_to_fit();
    }
}

void ClientCursor::describe(BackendConnection& connection, const QString& sourceText)
{
    sourceText_ = sourceText;
    const bool anyBase = std::any_of(columns_.begin(), columns_.end(),
                                     [](const ClientColumn& c) { return !c.baseTable.isEmpty(); });
    if (!anyBase) {
        if (const std::optional<TableName> table = singleTableOf(sourceText)) {
            for (ClientColumn& c : columns_) {
                c.baseCatalog = table->catalog;
                c.baseSchema = table->schema;
                c.baseTable = table->table;
                c.baseColumn = c.name;
            }
        }
    }

    std::map<std::tuple<QString, QString, QString>, QStringList> keysOf;
    for (ClientColumn& c : columns_) {
        if (c.baseTable.isEmpty())
            continue;
        const auto id = std::make_tuple(c.baseCatalog, c.baseSchema, c.baseTable);
        auto found = keysOf.find(id);
        if (found == keysOf.end()) {
            QStringList keys;
            try {
                keys = connection.primaryKey(c.baseCatalog, c.baseSchema, c.baseTable);
            } catch (const Error&) {
                // No key information: the editor falls back to matching every original value.
            }
            found = keysOf.emplace(id, keys).first;
        }
        c.keyColumns = found->second;
    }
}

} // namespace db
