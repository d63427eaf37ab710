// The grid's cell store under any sequence of operations matches a plain table of texts.
// GridCellStoreTest runs it on random inputs too.
#include "tests/support/FuzzInput.h"
#include "ui/GridCellStore.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    ui::GridCellStore store(int(1 + in.pick(4)));
    std::vector<std::vector<std::string>> table;
    int cols = 0;
    while (!in.empty()) {
        switch (in.pick(7)) {
        case 0:
            cols = int(in.pick(6));
            store.setCols(cols);
            for (auto& row : table)
                row.resize(std::size_t(cols));
            break;
        case 1: {
            const int rows = int(in.pick(10));
            store.setRows(rows);
            table.resize(std::size_t(rows), std::vector<std::string>(std::size_t(cols)));
            break;
        }
        case 2: {
            const int first = int(in.pick(unsigned(cols) + 1));
            std::vector<std::string_view> values(in.pick(unsigned(cols - first) + 1));
            for (auto& v : values)
                v = in.bytes(12);
            store.appendRowUtf8(std::span<const std::string_view>(values), first);
            std::vector<std::string> added(static_cast<std::size_t>(cols));
            for (std::size_t i = 0; i < values.size(); ++i)
                added[std::size_t(first) + i] = std::string(values[i]);
            table.push_back(added);
            break;
        }
        case 3:
            if (!table.empty() && cols > 0) {
                const int r = int(in.pick(unsigned(table.size()))), c = int(in.pick(unsigned(cols)));
                // Sometimes the cell's own text, one byte longer (a copy, not a view into the store).
                const std::string v =
                    in.pick(4) == 0 ? std::string(store.cellUtf8(r, c)) + "+" : std::string(in.bytes(40));
                if (in.pick(2) == 0) {
                    store.setCellUtf8(r, c, v);
                    table[std::size_t(r)][std::size_t(c)] = v;
                } else {
                    const QString text = QString::fromUtf8(v.data(), qsizetype(v.size()));
                    store.setText(r, c, text);
                    table[std::size_t(r)][std::size_t(c)] = text.toStdString();
                }
            }
            break;
        case 4:
            if (!table.empty()) {
                const int r = int(in.pick(unsigned(table.size())));
                const int n =
                    1 + int(in.pick(unsigned(std::min<std::size_t>(3, table.size() - std::size_t(r)))));
                store.removeRows(r, n);
                table.erase(table.begin() + r, table.begin() + r + n);
            }
            break;
        case 5:
            store.clearCells();
            for (auto& row : table)
                std::fill(row.begin(), row.end(), std::string());
            break;
        case 6:
            store.squeeze();
            break;
        }
        FUZZ_CHECK(store.rows() == int(table.size()) && store.cols() == cols);
        std::size_t bytes = 0; // replaced text is not counted as text
        for (std::size_t r = 0; r < table.size(); ++r)
            for (int c = 0; c < cols; ++c) {
                FUZZ_CHECK(store.cellUtf8(int(r), c) == table[r][std::size_t(c)]);
                bytes += table[r][std::size_t(c)].size();
            }
        FUZZ_CHECK(store.textBytes() == bytes);
    }
    return 0;
}
