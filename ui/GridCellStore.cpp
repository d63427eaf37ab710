#include "ui/GridCellStore.h"

#include "text/DataText.h"

#include <QStringEncoder>
#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>

namespace ui {
namespace {

constexpr std::size_t maxBlockText = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t minTextCapacity = 256;
// A block is compacted once its garbage passes this and outweighs its live text.
constexpr std::size_t compactThreshold = 4096;

std::string_view bytesOf(std::string_view v)
{
    return v;
}
std::string_view bytesOf(QByteArrayView v)
{
    return {v.data(), std::size_t(v.size())};
}

} // namespace

GridCellStore::GridCellStore(int blockRows) : blockRows_(blockRows)
{
    if (blockRows < 1)
        throw std::invalid_argument("GridCellStore: a block must hold at least one row");
}

// --- look-up ---

GridCellStore::Location GridCellStore::locate(int row) const
{
    const int hint = lastBlock_;
    if (hint < int(blocks_.size()) && row >= blockStart_[hint] &&
        row < blockStart_[hint] + blocks_[hint].rows)
        return {hint, row - blockStart_[hint]};
    const auto it = std::upper_bound(blockStart_.begin(), blockStart_.end(), row);
    const int block = int(it - blockStart_.begin()) - 1;
    lastBlock_ = block;
    return {block, row - blockStart_[block]};
}

void GridCellStore::checkCell(int row, int col) const
{
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        throw std::out_of_range("GridCellStore: cell (" + std::to_string(row) + ", " + std::to_string(col) +
                                ") is outside " + std::to_string(rows_) + " x " + std::to_string(cols_));
}

std::string_view GridCellStore::cellUtf8(int row, int col) const
{
    checkCell(row, col);
    const Location loc = locate(row);
    const Block& b = blocks_[loc.block];
    const Cell& c = b.cells[std::size_t(loc.row) * cols_ + col];
    if (c.length == 0)
        return {};
    return {b.text.get() + c.offset, c.length};
}

QString GridCellStore::text(int row, int col) const
{
    const std::string_view v = cellUtf8(row, col);
    if (v.empty())
        return {};
    return text::fromUtf8Data(v);
}

// --- text buffers ---

void GridCellStore::setCapacity(Block& b, std::size_t capacity)
{
    if (capacity == b.capacity)
        return;
    if (capacity == 0) {
        b.text.reset();
        b.capacity = 0;
        return;
    }
    char* grown = static_cast<char*>(std::realloc(b.text.get(), capacity));
    if (!grown)
        throw std::bad_alloc();
    (void)b.text.release();
    b.text.reset(grown);
    b.capacity = capacity;
}

bool GridCellStore::reserveText(Block& b, std::size_t bytes)
{
    const std::size_t need = b.size + bytes;
    if (need > maxBlockText)
        return false;
    if (need <= b.capacity)
        return true;
    std::size_t capacity = std::max({need, b.capacity + b.capacity / 2, minTextCapacity});
    setCapacity(b, std::min(capacity, maxBlockText));
    return true;
}

void GridCellStore::compact(Block& b)
{
    if (b.garbage == 0)
        return;
    const std::size_t live = b.size - b.garbage;
    std::unique_ptr<char, FreeDeleter> fresh;
    if (live > 0) {
        fresh.reset(static_cast<char*>(std::malloc(live)));
        if (!fresh)
            throw std::bad_alloc();
    }
    std::size_t at = 0;
    for (Cell& c : b.cells) {
        if (c.length == 0)
            continue;
        std::memcpy(fresh.get() + at, b.text.get() + c.offset, c.length);
        c.offset = std::uint32_t(at);
        at += c.length;
    }
    b.text = std::move(fresh);
    b.size = b.capacity = live;
    b.garbage = 0;
}

void GridCellStore::compactIfWasteful(Block& b)
{
    if (b.garbage > compactThreshold && b.garbage * 2 > b.size)
        compact(b);
}

void GridCellStore::finishBlock(Block& b)
{
    compactIfWasteful(b);
    b.cells.shrink_to_fit();
    setCapacity(b, b.size);
}

void GridCellStore::rebuildStarts(int fromBlock)
{
    blockStart_.resize(blocks_.size());
    for (std::size_t i = std::size_t(std::max(fromBlock, 0)); i < blocks_.size(); ++i)
        blockStart_[i] = i == 0 ? 0 : blockStart_[i - 1] + blocks_[i - 1].rows;
    lastBlock_ = 0;
}

GridCellStore::Block& GridCellStore::blockForAppend(std::size_t rowBytes)
{
    if (blocks_.empty() || blocks_.back().rows >= blockRows_ ||
        blocks_.back().size + rowBytes > maxBlockText) {
        std::size_t textGuess = 0;
        bool bigResult = false;
        if (!blocks_.empty()) {
            Block& last = blocks_.back();
            bigResult = last.rows >= blockRows_;
            finishBlock(last);
            if (bigResult)
                textGuess = std::min(last.size + last.size / 8, maxBlockText);
        }
        Block fresh;
        if (bigResult) {
            // The result spans blocks: size the new block like the one before it.
            fresh.cells.reserve(std::size_t(blockRows_) * cols_);
            setCapacity(fresh, textGuess);
        }
        blocks_.push_back(std::move(fresh));
        blockStart_.push_back(rows_);
    }
    Block& b = blocks_.back();
    if (!reserveText(b, rowBytes))
        throw std::length_error("GridCellStore: a row's text does not fit a block");
    return b;
}

// --- changes ---

void GridCellStore::writeCell(Block& b, Cell& cell, std::string_view utf8)
{
    const std::size_t n = utf8.size();
    if (n == 0) {
        b.garbage += cell.length;
        cell = {0, 0};
        return;
    }
    if (n <= cell.length) {
        std::memmove(b.text.get() + cell.offset, utf8.data(), n);
        b.garbage += cell.length - n;
        cell.length = std::uint32_t(n);
        return;
    }
    // The caller has reserved room and copied text that lay in this buffer.
    std::memcpy(b.text.get() + b.size, utf8.data(), n);
    b.garbage += cell.length;
    cell = {std::uint32_t(b.size), std::uint32_t(n)};
    b.size += n;
}

void GridCellStore::setCellUtf8(int row, int col, std::string_view utf8)
{
    checkCell(row, col);
    const Location loc = locate(row);
    Block& b = blocks_[loc.block];
    Cell& cell = cellAt(b, loc.row, col);
    if (utf8.size() <= cell.length) {
        writeCell(b, cell, utf8);
        compactIfWasteful(b);
        return;
    }
    // The text grows: it goes to the end of the buffer, which may move, so text that
    // comes from this very buffer is copied first.
    std::string copy;
    const char* base = b.text.get();
    if (base && utf8.data() >= base && utf8.data() < base + b.capacity) {
        copy.assign(utf8);
        utf8 = copy;
    }
    if (b.size + utf8.size() > maxBlockText) {
        compact(b);
        if (b.size + utf8.size() > maxBlockText) {
            if (b.rows < 2)
                throw std::length_error("GridCellStore: a row's text does not fit a block");
            splitBlock(loc.block);
            setCellUtf8(row, col, utf8);
            return;
        }
    }
    reserveText(b, utf8.size());
    writeCell(b, cell, utf8);
    compactIfWasteful(b);
}

void GridCellStore::setNull(int row, int col)
{
    checkCell(row, col);
    const Location loc = locate(row);
    Block& b = blocks_[loc.block];
    Cell& cell = cellAt(b, loc.row, col);
    b.garbage += cell.length;
    cell = {nullOffset, 0};
}

bool GridCellStore::isNull(int row, int col) const
{
    checkCell(row, col);
    const Location loc = locate(row);
    const Block& b = blocks_[loc.block];
    const Cell& c = b.cells[std::size_t(loc.row) * cols_ + col];
    return c.length == 0 && c.offset == nullOffset;
}

void GridCellStore::setText(int row, int col, QStringView text)
{
    checkCell(row, col);
    const QByteArray utf8 = text.toUtf8();
    setCellUtf8(row, col, {utf8.constData(), std::size_t(utf8.size())});
}

void GridCellStore::splitBlock(int block)
{
    Block& b = blocks_[block];
    const int keep = b.rows / 2;
    const int move = b.rows - keep;
    const std::size_t first = std::size_t(keep) * cols_;

    Block tail;
    tail.rows = move;
    tail.cells.assign(b.cells.begin() + std::ptrdiff_t(first), b.cells.end());
    std::size_t bytes = 0;
    for (const Cell& c : tail.cells)
        bytes += c.length;
    setCapacity(tail, bytes);
    for (Cell& c : tail.cells) {
        if (c.length == 0)
            continue;
        std::memcpy(tail.text.get() + tail.size, b.text.get() + c.offset, c.length);
        c.offset = std::uint32_t(tail.size);
        tail.size += c.length;
    }
    b.cells.resize(first);
    b.cells.shrink_to_fit();
    b.garbage += bytes;
    b.rows = keep;
    compact(b);
    blocks_.insert(blocks_.begin() + block + 1, std::move(tail));
    rebuildStarts(block);
}

template <typename View> static std::size_t totalBytes(std::span<const View> values)
{
    std::size_t total = 0;
    for (const View& v : values)
        total += bytesOf(v).size();
    return total;
}

template <typename View> void GridCellStore::appendViews(std::span<const View> values, int firstCol)
{
    if (firstCol < 0 || firstCol + values.size() > std::size_t(cols_))
        throw std::invalid_argument("GridCellStore: the row has more values than columns");
    Block& b = blockForAppend(totalBytes(values));
    const std::size_t base = b.cells.size();
    b.cells.resize(base + std::size_t(cols_));
    Cell* cells = b.cells.data() + base + firstCol;
    char* out = b.text.get();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto bytes = bytesOf(values[i]);
        const std::size_t n = std::size_t(bytes.size());
        if (n == 0)
            continue;
        std::memcpy(out + b.size, bytes.data(), n);
        cells[i] = {std::uint32_t(b.size), std::uint32_t(n)};
        b.size += n;
    }
    ++b.rows;
    ++rows_;
}

void GridCellStore::appendRowUtf8(std::span<const std::string_view> values, int firstCol)
{
    appendViews(values, firstCol);
}

void GridCellStore::appendRowUtf8(std::span<const QByteArrayView> values, int firstCol)
{
    appendViews(values, firstCol);
}

void GridCellStore::appendRow(std::span<const QString> values, int firstCol)
{
    if (firstCol < 0 || firstCol + values.size() > std::size_t(cols_))
        throw std::invalid_argument("GridCellStore: the row has more values than columns");
    QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    std::size_t room = 0;
    for (const QString& v : values)
        room += std::size_t(encoder.requiredSpace(v.size()));
    Block& b = blockForAppend(room);
    const std::size_t base = b.cells.size();
    b.cells.resize(base + std::size_t(cols_));
    Cell* cells = b.cells.data() + base + firstCol;
    char* out = b.text.get();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].isEmpty())
            continue;
        char* end = encoder.appendToBuffer(out + b.size, values[i]);
        const std::size_t n = std::size_t(end - (out + b.size));
        cells[i] = {std::uint32_t(b.size), std::uint32_t(n)};
        b.size += n;
    }
    ++b.rows;
    ++rows_;
}

void GridCellStore::removeRows(int row, int count)
{
    if (count < 0 || row < 0 || row + count > rows_)
        throw std::out_of_range("GridCellStore: rows " + std::to_string(row) + " to " +
                                std::to_string(row + count - 1) + " are outside " + std::to_string(rows_));
    if (count == 0)
        return;
    const int firstBlock = locate(row).block;
    int block = firstBlock;
    int local = row - blockStart_[block];
    while (count > 0) {
        Block& b = blocks_[block];
        const int n = std::min(count, b.rows - local);
        const auto from = b.cells.begin() + std::ptrdiff_t(std::size_t(local) * cols_);
        const auto to = from + std::ptrdiff_t(std::size_t(n) * cols_);
        for (auto it = from; it != to; ++it)
            b.garbage += it->length;
        b.cells.erase(from, to);
        b.rows -= n;
        rows_ -= n;
        count -= n;
        if (b.rows == 0) {
            blocks_.erase(blocks_.begin() + block);
        } else {
            if (b.size == b.garbage) {
                // Nothing live is left in the buffer.
                b.size = b.garbage = 0;
            }
            compactIfWasteful(b);
            ++block;
        }
        local = 0;
    }
    rebuildStarts(firstBlock);
}

void GridCellStore::setRows(int rows)
{
    if (rows < 0)
        throw std::invalid_argument("GridCellStore: the number of rows cannot be negative");
    if (rows < rows_) {
        removeRows(rows, rows_ - rows);
        return;
    }
    while (rows_ < rows) {
        if (blocks_.empty() || blocks_.back().rows >= blockRows_) {
            if (!blocks_.empty())
                finishBlock(blocks_.back());
            blocks_.emplace_back();
            blockStart_.push_back(rows_);
        }
        Block& b = blocks_.back();
        const int add = std::min(rows - rows_, blockRows_ - b.rows);
        b.cells.resize(b.cells.size() + std::size_t(add) * cols_);
        b.rows += add;
        rows_ += add;
    }
}

void GridCellStore::setCols(int cols)
{
    if (cols < 0)
        throw std::invalid_argument("GridCellStore: the number of columns cannot be negative");
    if (cols == cols_)
        return;
    const int kept = std::min(cols, cols_);
    for (Block& b : blocks_) {
        std::vector<Cell> cells(std::size_t(b.rows) * cols);
        for (int r = 0; r < b.rows; ++r) {
            const Cell* from = b.cells.data() + std::size_t(r) * cols_;
            std::copy(from, from + kept, cells.data() + std::size_t(r) * cols);
            for (int c = kept; c < cols_; ++c)
                b.garbage += from[c].length;
        }
        b.cells = std::move(cells);
        if (b.size == b.garbage)
            b.size = b.garbage = 0;
    }
    cols_ = cols;
    for (Block& b : blocks_)
        compactIfWasteful(b);
}

void GridCellStore::clearCells()
{
    for (Block& b : blocks_) {
        std::fill(b.cells.begin(), b.cells.end(), Cell{0, 0});
        b.size = b.garbage = 0;
        setCapacity(b, 0);
    }
}

void GridCellStore::squeeze()
{
    for (Block& b : blocks_) {
        compact(b);
        b.cells.shrink_to_fit();
        setCapacity(b, b.size);
    }
    blocks_.shrink_to_fit();
    blockStart_.shrink_to_fit();
}

std::size_t GridCellStore::textBytes() const
{
    std::size_t bytes = 0;
    for (const Block& b : blocks_)
        bytes += b.size - b.garbage;
    return bytes;
}

std::size_t GridCellStore::overheadBytes() const
{
    std::size_t bytes =
        sizeof(*this) + blocks_.capacity() * sizeof(Block) + blockStart_.capacity() * sizeof(int);
    for (const Block& b : blocks_)
        bytes += b.cells.capacity() * sizeof(Cell) + (b.capacity - (b.size - b.garbage));
    return bytes;
}

} // namespace ui
