#include "ui/GridCellStore.h"

#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using ui::GridCellStore;
using Table = std::vector<std::vector<std::string>>;

namespace {

void append(GridCellStore& s, const std::vector<std::string>& values, int firstCol = 0)
{
    const std::vector<std::string_view> views(values.begin(), values.end());
    s.appendRowUtf8(views, firstCol);
}

Table dump(const GridCellStore& s)
{
    Table table(std::size_t(s.rows()), std::vector<std::string>(std::size_t(s.cols())));
    for (int r = 0; r < s.rows(); ++r)
        for (int c = 0; c < s.cols(); ++c)
            table[std::size_t(r)][std::size_t(c)] = s.cellUtf8(r, c);
    return table;
}

} // namespace

TEST(GridCellStore, RowsAndCellsReadBackFromEveryKindOfInputTheStoresOwnIncludedNoneOutside)
{
    GridCellStore s;
    s.setCols(4);
    append(s, {"a", "Grüße", "", "日本語 😀"});
    const QByteArray bytes("bytes");
    const QByteArrayView fromDb[] = {QByteArrayView(bytes), QByteArrayView()};
    s.appendRowUtf8(std::span<const QByteArrayView>(fromDb), 2);
    const QString strings[] = {QStringLiteral("Ärger"), QString(), QStringLiteral("x\ty\r\nz")};
    s.appendRow(std::span<const QString>(strings), 1);

    EXPECT_EQ(dump(s),
              (Table{{"a", "Grüße", "", "日本語 😀"}, {"", "", "bytes", ""}, {"", "Ärger", "", "x\ty\r\nz"}}));
    EXPECT_EQ(s.text(0, 3), QStringLiteral("日本語 😀"));
    EXPECT_EQ(s.text(2, 1), QStringLiteral("Ärger"));
    s.setText(2, 1, QStringLiteral("\uFEFF\uFEFFmark"));
    EXPECT_EQ(s.text(2, 1), QStringLiteral("\uFEFF\uFEFFmark"))
        << "byte-order marks are characters of a cell";

    // A cell set from text the store holds itself keeps it. (Which cell an edit reaches, across
    // blocks and removals: RandomOperationsMatchAPlainTable.)
    GridCellStore small(2); // two rows a block
    small.setCols(3);
    append(small, {"a", "b", "c"});
    append(small, {"d", "e", "f"});
    // The buffer may grow while the text is copied out of it.
    small.setCellUtf8(0, 1, std::string(300, 'x'));
    small.setCellUtf8(0, 0, small.cellUtf8(0, 1));
    small.setCellUtf8(0, 2, small.cellUtf8(0, 1).substr(10, 5));
    EXPECT_EQ(dump(small), (Table{{std::string(300, 'x'), std::string(300, 'x'), "xxxxx"}, {"d", "e", "f"}}));

    // Cells and rows outside the store are refused.
    EXPECT_THROW(append(small, {"a", "b", "c"}, 1), std::invalid_argument);
    EXPECT_THROW(append(small, {"a"}, -1), std::invalid_argument);
    EXPECT_EQ(small.rows(), 2);
    EXPECT_THROW(small.cellUtf8(2, 0), std::out_of_range);
    EXPECT_THROW(small.cellUtf8(0, 3), std::out_of_range);
    EXPECT_THROW(small.setText(0, -1, u"x"), std::out_of_range);
    EXPECT_THROW(small.removeRows(1, 2), std::out_of_range);
    EXPECT_THROW(small.setRows(-1), std::invalid_argument);
    EXPECT_THROW(small.setCols(-1), std::invalid_argument);
}

TEST(GridCellStore, RepeatedEditsReclaimGarbageAndKeepEveryCell)
{
    GridCellStore s;
    s.setCols(2);
    s.setRows(10);
    Table expected(10, std::vector<std::string>(2));
    std::size_t live = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string& want = expected[std::size_t(i % 10)][std::size_t(i / 10 % 2)];
        live -= want.size();
        want = std::string(100 + i % 7, char('a' + i % 26));
        live += want.size();
        s.setCellUtf8(i % 10, i / 10 % 2, want);
        // Reclaiming garbage moves the text of the cells this edit did not touch.
        ASSERT_EQ(dump(s), expected) << "after edit " << i;
    }
    EXPECT_EQ(s.textBytes(), live);
    EXPECT_LT(s.overheadBytes(), 64u * 1024) << "replaced text was never reclaimed";
}

// The fuzz target's property (the store matches a plain table of texts under any sequence of
// operations), here on seeded random inputs so that every build checks it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(GridCellStore, RandomOperationsMatchAPlainTable)
{
    std::mt19937 random(20240611);
    for (int run = 0; run < 300; ++run) {
        std::vector<std::uint8_t> input(1 + random() % 800);
        for (auto& byte : input)
            byte = std::uint8_t(random());
        ASSERT_EQ(LLVMFuzzerTestOneInput(input.data(), input.size()), 0);
    }
}

TEST(GridCellStore, ACellCostsEightBytesBeyondItsText)
{
    GridCellStore s;
    s.setCols(10);
    std::vector<std::string> row(10);
    for (int r = 0; r < 50000; ++r) {
        for (int c = 0; c < 10; ++c)
            row[std::size_t(c)] = c == 3 ? std::string() : std::to_string(r * 10 + c);
        append(s, row);
    }
    s.squeeze();
    const double perCell = double(s.overheadBytes()) / (50000.0 * 10);
    EXPECT_TRUE(perCell >= 8.0 && perCell < 8.5) << perCell;
}
