#include "ui/GridCellStore.h"

#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using ui::GridCellStore;

namespace {

std::vector<std::string_view> views(const std::vector<std::string>& values)
{
    return {values.begin(), values.end()};
}

std::string cell(const GridCellStore& s, int r, int c)
{
    return std::string(s.cellUtf8(r, c));
}

// Every cell of the store, for comparison with a plain table.
std::vector<std::vector<std::string>> dump(const GridCellStore& s)
{
    std::vector<std::vector<std::string>> table(std::size_t(s.rows()),
                                                std::vector<std::string>(std::size_t(s.cols())));
    for (int r = 0; r < s.rows(); ++r)
        for (int c = 0; c < s.cols(); ++c)
            table[std::size_t(r)][std::size_t(c)] = cell(s, r, c);
    return table;
}

std::size_t liveText(const std::vector<std::vector<std::string>>& table)
{
    std::size_t bytes = 0;
    for (const auto& row : table)
        for (const auto& v : row)
            bytes += v.size();
    return bytes;
}

} // namespace

// --- appending and reading ---

TEST(GridCellStore, AppendedRowsReadBackFromEveryKindOfInput)
{
    GridCellStore s;
    s.setCols(4);
    const std::vector<std::string> utf8{"a", "Grüße", "", "日本語 😀"};
    s.appendRowUtf8(views(utf8));
    const QByteArray bytes("bytes");
    const QByteArrayView fromDb[] = {QByteArrayView(bytes), QByteArrayView()};
    s.appendRowUtf8(std::span<const QByteArrayView>(fromDb), 2);
    const QString strings[] = {QStringLiteral("Ärger"), QString(), QStringLiteral("x\ty\r\nz")};
    s.appendRow(std::span<const QString>(strings), 1);

    ASSERT_EQ(s.rows(), 3);
    EXPECT_EQ(s.text(0, 0), "a");
    EXPECT_EQ(s.text(0, 1), QStringLiteral("Grüße"));
    EXPECT_EQ(s.text(0, 3), QStringLiteral("日本語 😀"));
    EXPECT_EQ(cell(s, 0, 3), "日本語 😀");
    EXPECT_EQ(s.text(1, 0), "");
    EXPECT_EQ(s.text(1, 2), "bytes");
    EXPECT_EQ(s.text(1, 3), "");
    EXPECT_EQ(s.text(2, 0), "");
    EXPECT_EQ(s.text(2, 1), QStringLiteral("Ärger"));
    EXPECT_EQ(s.text(2, 2), "");
    EXPECT_EQ(s.text(2, 3), QStringLiteral("x\ty\r\nz"));
}

TEST(GridCellStore, EmptyAndUnsetCellsReadEmptyAndCostNoText)
{
    GridCellStore s;
    s.setCols(3);
    s.setRows(2); // unset cells
    const std::vector<std::string> row{"", "", ""};
    s.appendRowUtf8(views(row)); // explicitly empty cells
    EXPECT_EQ(s.textBytes(), 0u);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            EXPECT_TRUE(s.cellUtf8(r, c).empty());
            EXPECT_TRUE(s.text(r, c).isEmpty());
        }

    s.setText(0, 1, QStringLiteral("über"));
    EXPECT_EQ(s.textBytes(), 5u); // "ü" takes two bytes
    s.setText(0, 1, QString());
    EXPECT_EQ(s.text(0, 1), "");
    EXPECT_EQ(s.textBytes(), 0u);
}

TEST(GridCellStore, RowsThatReachPastTheLastColumnAreRefused)
{
    GridCellStore s;
    s.setCols(3);
    const std::vector<std::string> three{"a", "b", "c"};
    EXPECT_THROW(s.appendRowUtf8(views(three), 1), std::invalid_argument);
    EXPECT_THROW(s.appendRowUtf8(views(three), -1), std::invalid_argument);
    EXPECT_EQ(s.rows(), 0);
    s.appendRowUtf8(views(three), 0);
    EXPECT_EQ(s.rows(), 1);
}

TEST(GridCellStore, CellsOutsideTheStoreThrow)
{
    GridCellStore s;
    s.setCols(2);
    s.setRows(2);
    EXPECT_THROW(s.cellUtf8(2, 0), std::out_of_range);
    EXPECT_THROW(s.cellUtf8(0, 2), std::out_of_range);
    EXPECT_THROW(s.text(-1, 0), std::out_of_range);
    EXPECT_THROW(s.setText(0, -1, u"x"), std::out_of_range);
    EXPECT_THROW(s.removeRows(1, 2), std::out_of_range);
    EXPECT_THROW(s.setRows(-1), std::invalid_argument);
    EXPECT_THROW(s.setCols(-1), std::invalid_argument);
}

// --- editing in place ---

TEST(GridCellStore, SettingACellReplacesOnlyThatCell)
{
    GridCellStore s(2);
    s.setCols(3);
    for (int r = 0; r < 5; ++r) {
        const std::vector<std::string> row{"r" + std::to_string(r) + "a", "r" + std::to_string(r) + "b",
                                           "r" + std::to_string(r) + "c"};
        s.appendRowUtf8(views(row));
    }
    s.setCellUtf8(2, 1, "a much longer text than before");
    s.setCellUtf8(3, 0, "s");
    s.setCellUtf8(4, 2, "");
    EXPECT_EQ(cell(s, 2, 1), "a much longer text than before");
    EXPECT_EQ(cell(s, 2, 0), "r2a");
    EXPECT_EQ(cell(s, 2, 2), "r2c");
    EXPECT_EQ(cell(s, 3, 0), "s");
    EXPECT_EQ(cell(s, 3, 1), "r3b");
    EXPECT_EQ(cell(s, 4, 2), "");
    EXPECT_EQ(cell(s, 4, 1), "r4b");
    EXPECT_EQ(s.textBytes(), liveText(dump(s)));
}

TEST(GridCellStore, ACellMayBeSetFromTextTheStoreItselfHolds)
{
    GridCellStore s(4);
    s.setCols(2);
    const std::vector<std::string> row{"short", std::string(300, 'x')};
    s.appendRowUtf8(views(row));
    // The longer text moves to the end of the same buffer, which may have to grow.
    s.setCellUtf8(0, 0, s.cellUtf8(0, 1));
    EXPECT_EQ(cell(s, 0, 0), std::string(300, 'x'));
    s.setCellUtf8(0, 1, s.cellUtf8(0, 1).substr(10, 5));
    EXPECT_EQ(cell(s, 0, 1), "xxxxx");
}

TEST(GridCellStore, RepeatedEditsDoNotLetGarbageGrowWithoutBound)
{
    GridCellStore s;
    s.setCols(2);
    s.setRows(10);
    for (int i = 0; i < 20000; ++i)
        s.setCellUtf8(i % 10, i % 2, std::string(100 + i % 7, char('a' + i % 26)));
    EXPECT_EQ(s.textBytes(), liveText(dump(s)));
    EXPECT_LT(s.overheadBytes(), 64u * 1024) << "replaced text was never reclaimed";
    EXPECT_EQ(cell(s, 9, 1), std::string(100 + 19999 % 7, char('a' + 19999 % 26)));
}

// --- removing rows, resizing, clearing ---

TEST(GridCellStore, RemovingARowMovesTheRowsBelowUpAcrossBlocks)
{
    GridCellStore s(4);
    s.setCols(2);
    for (int r = 0; r < 10; ++r) {
        const std::vector<std::string> row{std::to_string(r), "v" + std::to_string(r)};
        s.appendRowUtf8(views(row));
    }
    ASSERT_EQ(s.blockCount(), 3);

    s.removeRows(3); // the last row of the first block
    ASSERT_EQ(s.rows(), 9);
    EXPECT_EQ(cell(s, 2, 0), "2");
    EXPECT_EQ(cell(s, 3, 0), "4");
    EXPECT_EQ(cell(s, 3, 1), "v4");
    EXPECT_EQ(cell(s, 8, 0), "9");

    s.removeRows(2, 5); // rows 2, 4, 5, 6, 7: spans three blocks
    ASSERT_EQ(s.rows(), 4);
    const std::vector<std::string> left{"0", "1", "8", "9"};
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(cell(s, r, 0), left[std::size_t(r)]) << "row " << r;

    // Appending after removals goes on where the rows end.
    const std::vector<std::string> more{"10", "v10"};
    s.appendRowUtf8(views(more));
    EXPECT_EQ(cell(s, 4, 1), "v10");
}

TEST(GridCellStore, AWholeBlockRemovedLeavesTheOthersIntact)
{
    GridCellStore s(4);
    s.setCols(1);
    for (int r = 0; r < 12; ++r) {
        const std::vector<std::string> row{std::to_string(r)};
        s.appendRowUtf8(views(row));
    }
    s.removeRows(4, 4);
    EXPECT_EQ(s.blockCount(), 2);
    EXPECT_EQ(cell(s, 3, 0), "3");
    EXPECT_EQ(cell(s, 4, 0), "8");
    EXPECT_EQ(cell(s, 7, 0), "11");
}

TEST(GridCellStore, GrowingAndShrinkingKeepsTheCellsThatStay)
{
    GridCellStore s(3);
    s.setCols(3);
    for (int r = 0; r < 5; ++r) {
        const std::vector<std::string> row{"a" + std::to_string(r), "b" + std::to_string(r),
                                           "c" + std::to_string(r)};
        s.appendRowUtf8(views(row));
    }
    s.setCols(5);
    EXPECT_EQ(cell(s, 4, 2), "c4");
    EXPECT_EQ(cell(s, 4, 3), "");
    EXPECT_EQ(cell(s, 4, 4), "");
    s.setCellUtf8(1, 4, "new");

    s.setCols(2);
    EXPECT_EQ(s.cols(), 2);
    EXPECT_EQ(cell(s, 3, 1), "b3");
    EXPECT_EQ(s.textBytes(), liveText(dump(s))) << "dropped columns still counted as text";

    s.setRows(8);
    EXPECT_EQ(s.rows(), 8);
    EXPECT_EQ(cell(s, 4, 0), "a4");
    EXPECT_EQ(cell(s, 7, 1), "");

    s.setRows(2);
    EXPECT_EQ(s.rows(), 2);
    EXPECT_EQ(cell(s, 1, 0), "a1");
    EXPECT_EQ(s.textBytes(), std::size_t(8));

    s.setRows(0);
    EXPECT_EQ(s.rows(), 0);
    EXPECT_EQ(s.blockCount(), 0);
    s.setRows(1);
    EXPECT_EQ(cell(s, 0, 0), "");
}

TEST(GridCellStore, ClearingEmptiesEveryCellAndKeepsTheSize)
{
    GridCellStore s(2);
    s.setCols(3);
    for (int r = 0; r < 5; ++r) {
        const std::vector<std::string> row{"x", "yy", "zzz"};
        s.appendRowUtf8(views(row));
    }
    s.clearCells();
    EXPECT_EQ(s.rows(), 5);
    EXPECT_EQ(s.cols(), 3);
    EXPECT_EQ(s.textBytes(), 0u);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(cell(s, r, c), "");
    s.setCellUtf8(4, 2, "back");
    EXPECT_EQ(cell(s, 4, 2), "back");
}

TEST(GridCellStore, RandomOperationsMatchAPlainTable)
{
    std::mt19937 random(20240611);
    auto pick = [&](int n) { return n <= 0 ? 0 : int(random() % unsigned(n)); };
    auto word = [&] {
        static const std::vector<std::string> words{"", "a", "Grüße", "日本", "longer text value", "0", "😀"};
        return words[std::size_t(pick(int(words.size())))];
    };

    GridCellStore s(3);
    std::vector<std::vector<std::string>> table;
    int cols = 0;
    for (int step = 0; step < 3000; ++step) {
        switch (pick(8)) {
        case 0: { // resize columns
            cols = pick(6);
            s.setCols(cols);
            for (auto& row : table)
                row.resize(std::size_t(cols));
            break;
        }
        case 1: { // resize rows
            const int rows = pick(12);
            s.setRows(rows);
            table.resize(std::size_t(rows), std::vector<std::string>(std::size_t(cols)));
            break;
        }
        case 2:
        case 3: { // append a row
            const int first = pick(cols + 1);
            std::vector<std::string> values(std::size_t(pick(cols - first + 1)));
            for (auto& v : values)
                v = word();
            s.appendRowUtf8(views(values), first);
            std::vector<std::string> added(static_cast<std::size_t>(cols));
            for (std::size_t i = 0; i < values.size(); ++i)
                added[std::size_t(first) + i] = values[i];
            table.push_back(added);
            break;
        }
        case 4:
        case 5: { // set a cell
            if (table.empty() || cols == 0)
                break;
            const int r = pick(int(table.size())), c = pick(cols);
            const std::string v = word() + word();
            s.setCellUtf8(r, c, v);
            table[std::size_t(r)][std::size_t(c)] = v;
            break;
        }
        case 6: { // remove rows
            if (table.empty())
                break;
            const int r = pick(int(table.size()));
            const int n = 1 + pick(std::min(3, int(table.size()) - r));
            s.removeRows(r, n);
            table.erase(table.begin() + r, table.begin() + r + n);
            break;
        }
        case 7:
            if (pick(10) == 0) {
                s.clearCells();
                for (auto& row : table)
                    for (auto& v : row)
                        v.clear();
            }
            break;
        }
        ASSERT_EQ(s.rows(), int(table.size())) << "step " << step;
        ASSERT_EQ(s.cols(), cols) << "step " << step;
        ASSERT_EQ(dump(s), table) << "step " << step;
        ASSERT_EQ(s.textBytes(), liveText(table)) << "step " << step;
    }
}

// --- memory ---

TEST(GridCellStore, ACellCostsEightBytesBeyondItsText)
{
    GridCellStore s;
    s.setCols(10);
    std::vector<std::string> row(10);
    for (int r = 0; r < 50000; ++r) {
        for (int c = 0; c < 10; ++c)
            row[std::size_t(c)] = c == 3 ? std::string() : std::to_string(r * 10 + c);
        s.appendRowUtf8(views(row));
    }
    s.squeeze();
    const double perCell = double(s.overheadBytes()) / (50000.0 * 10);
    EXPECT_LT(perCell, 8.5);
    EXPECT_GE(perCell, 8.0);
}
