#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace ui {

// The cells of the result grid, kept compactly: rows are grouped in blocks (4096 rows by
// default); each block holds its cells' text in one UTF-8 buffer and, per cell, a 32-bit
// offset and a 32-bit length into it. There is no object per cell, and an empty cell costs
// no text, so a cell costs 8 bytes beyond its text.
//
// Text replaced or removed stays in its block's buffer as garbage until the garbage outweighs
// the live text; the block is then compacted. Rows are appended to the last block; removing
// a row only touches the block that holds it (blocks may therefore hold fewer rows than the
// block size).
//
// Row and column numbers count from 0. Accessors throw std::out_of_range for a cell outside
// the store; views returned by cellUtf8() stay valid until the store is next changed.
class GridCellStore
{
public:
    static constexpr int defaultBlockRows = 4096;

    explicit GridCellStore(int blockRows = defaultBlockRows);

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    int blockRows() const { return blockRows_; }

    // Growing adds empty cells; shrinking drops the cells beyond the new size.
    void setRows(int rows);
    void setCols(int cols);

    std::string_view cellUtf8(int row, int col) const;
    QString text(int row, int col) const;

    void setCellUtf8(int row, int col, std::string_view utf8);
    void setText(int row, int col, QStringView text);

    // A cell the result left null reads as the empty text, like an empty one, but keeps
    // that it was null (for exports that tell the two apart) until its text is set again.
    void setNull(int row, int col);
    bool isNull(int row, int col) const;

    // Appends one row. values[i] goes to column firstCol + i; the other cells stay empty.
    // Throws std::invalid_argument when the values reach beyond the last column.
    void appendRowUtf8(std::span<const std::string_view> values, int firstCol = 0);
    void appendRowUtf8(std::span<const QByteArrayView> values, int firstCol = 0);
    void appendRow(std::span<const QString> values, int firstCol = 0);

    // Removes `count` rows from `row` on; the rows below move up.
    void removeRows(int row, int count = 1);

    // Empties every cell, keeping the number of rows and columns.
    void clearCells();

    // Bytes of live text, and bytes held beyond it (cell tables, buffer slack, garbage,
    // block bookkeeping), as allocated by the store.
    std::size_t textBytes() const;
    std::size_t overheadBytes() const;

    // Releases spare capacity (for instance once a result has been read completely).
    void squeeze();

    int blockCount() const { return static_cast<int>(blocks_.size()); }

private:
    // The one append of UTF-8 views, whichever view type the caller holds.
    template <typename View> void appendViews(std::span<const View> values, int firstCol);
    struct Cell
    {
        std::uint32_t offset;
        std::uint32_t length;
    };
    // The offset of a null cell (its length is 0, so no text is ever read from there).
    static constexpr std::uint32_t nullOffset = 0xffffffffu;
    struct FreeDeleter
    {
        void operator()(char* p) const { std::free(p); }
    };
    struct Block
    {
        std::vector<Cell> cells; // rows * cols_, row-major
        std::unique_ptr<char, FreeDeleter> text;
        std::size_t size = 0;     // bytes used in text
        std::size_t capacity = 0; // bytes allocated for text
        std::size_t garbage = 0;  // bytes in text no cell points to
        int rows = 0;
    };
    struct Location
    {
        int block;
        int row; // within the block
    };

    Location locate(int row) const;
    void checkCell(int row, int col) const;
    Cell& cellAt(Block& b, int localRow, int col) { return b.cells[std::size_t(localRow) * cols_ + col]; }

    // Makes room for `bytes` more text in b; returns false when the block cannot take them
    // within its 32-bit offsets.
    bool reserveText(Block& b, std::size_t bytes);
    static void setCapacity(Block& b, std::size_t capacity);
    void compact(Block& b);
    void compactIfWasteful(Block& b);
    void finishBlock(Block& b);
    void splitBlock(int block);
    void rebuildStarts(int fromBlock = 0);
    // The block a new row goes into, created when the last one is full.
    Block& blockForAppend(std::size_t rowBytes);
    void writeCell(Block& b, Cell& cell, std::string_view utf8);

    int blockRows_;
    int rows_ = 0;
    int cols_ = 0;
    std::vector<Block> blocks_;
    std::vector<int> blockStart_; // the first row of each block
    mutable int lastBlock_ = 0;   // locate() hint: consecutive look-ups stay in one block
};

} // namespace ui
