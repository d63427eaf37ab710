#include "ui/MSFlexGrid.h"

#include "ui/Events.h"
#include "ui/GridModel.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTest>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using ui::MSFlexGrid;

namespace {

// Row, Col, RowSel, ColSel.
using Selection = std::array<int, 4>;

Selection selectionOf(const MSFlexGrid& g)
{
    return {g.Row(), g.Col(), g.RowSel(), g.ColSel()};
}

void click(QWidget* w, QPoint at, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(w, Qt::LeftButton, modifiers, at);
}

// Press at `from`, move with the button held through each of `through`, release at the last.
template <typename... Points> void drag(QWidget* w, QPoint from, Points... through)
{
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    const QPoint path[] = {through...};
    for (QPoint p : path)
        QTest::mouseMove(w, p);
    QTest::mouseRelease(w, Qt::LeftButton, {}, path[sizeof...(through) - 1]);
}

class GridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        grid = std::make_unique<MSFlexGrid>();
        grid->resize(900, 500);
        grid->show();
        // As the main window and a run leave them.
        grid->setColWidth(0, 200);
        grid->setColWidth(1, 1);
        ui::doEvents();
    }

    // A result of `fields` fields and `records` records, filled as a run fills it.
    void fill(int fields, int records)
    {
        QStringList names;
        for (int j = 0; j < fields; ++j)
            names << QStringLiteral("F%1").arg(j);
        grid->beginFill(names);
        for (int i = 0; i < records; ++i) {
            std::vector<std::string> values;
            for (int j = 0; j < fields; ++j)
                values.push_back("r" + std::to_string(i) + "f" + std::to_string(j));
            const std::vector<std::string_view> views(values.begin(), values.end());
            grid->appendRowUtf8(views);
        }
        grid->endFill();
        ui::doEvents();
    }

    // The centre of grid cell (row >= 1, col), in viewport coordinates.
    QPoint cell(int row, int col) const
    {
        return grid->visualRect(grid->gridModel()->index(row - 1, col)).center();
    }

    // The centre of column col's header.
    QPoint head(int col) const
    {
        QHeaderView* h = grid->horizontalHeader();
        return {h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() / 2};
    }

    // The view's selected cells as grid rectangles: one range expected.
    Selection shownSelection() const
    {
        const QItemSelection s = grid->selectionModel()->selection();
        if (s.size() != 1)
            return {-1, -1, -1, -1};
        const QItemSelectionRange& r = s.first();
        return {r.top() + 1, r.left(), r.bottom() + 1, r.right()};
    }

    std::unique_ptr<MSFlexGrid> grid;
};

} // namespace

// Names in row 0 and data from column 2 are shown by the run tests (app_run_test).

TEST_F(GridTest, ANewFillKeepsColumnWidthsWhichRoundTripThroughPixels)
{
    fill(4, 30);
    grid->setColWidth(3, 1500);
    fill(2, 1);
    EXPECT_EQ(selectionOf(*grid), (Selection{1, 2, 1, 2})) << "the first field is current";
    // Cols, Rows, the view's rows, the widths of columns 3 and 1.
    EXPECT_EQ((std::array{grid->Cols(), grid->Rows(), grid->model()->rowCount(), grid->ColWidth(3),
                          grid->ColWidth(1)}),
              (std::array{4, 2, 1, 1500, 0}));
    EXPECT_EQ((QStringList{grid->TextMatrix(0, 3), grid->TextMatrix(1, 3)}), (QStringList{"F1", "r0f1"}));

    // Column widths in twips round-trip through pixels.
    const struct
    {
        int col, twips, pixels, readBack; // 15 twips a pixel, read back in whole pixels
    } widths[] = {{2, 1500, 100, 1500}, {0, 200, 13, 195}, {1, 1, 0, 0}};
    for (const auto& w : widths) {
        grid->setColWidth(w.col, w.twips);
        EXPECT_EQ(grid->columnWidth(w.col), w.pixels) << w.twips;
        EXPECT_EQ(grid->ColWidth(w.col), w.readBack) << w.twips;
    }
    grid->setColumnWidth(3, 40); // as when the user drags a column border
    EXPECT_EQ(grid->ColWidth(3), 600);
    grid->setColWidth(3, -1);
    EXPECT_EQ(grid->columnWidth(3), grid->horizontalHeader()->defaultSectionSize());
    EXPECT_THROW(grid->ColWidth(5), std::out_of_range);
}

TEST_F(GridTest, RemoveItemShiftsRowsAtOnceAndTellsTheViewInOneBatch)
{
    fill(1, 10);
    std::vector<std::pair<int, int>> removed;
    QObject::connect(grid->model(), &QAbstractItemModel::rowsRemoved,
                     [&](const QModelIndex&, int first, int last) { removed.emplace_back(first, last); });
    // A delete of rows 3 to 5, highest first, as the row delete does it.
    for (int r = 5; r >= 3; --r)
        grid->RemoveItem(r);
    EXPECT_EQ(grid->Rows(), 8);
    EXPECT_EQ(grid->TextMatrix(3, 2), "r5f0");
    EXPECT_TRUE(removed.empty());
    EXPECT_EQ(grid->model()->index(2, 2).data().toString(), "") << "a removed row, until the view is told";
    EXPECT_EQ(grid->model()->index(5, 2).data().toString(), "r5f0");
    ui::doEvents();
    EXPECT_EQ(removed, (std::vector<std::pair<int, int>>{{2, 4}}));
    EXPECT_EQ(grid->model()->rowCount(), 7);
    EXPECT_EQ(grid->model()->index(2, 2).data().toString(), "r5f0");

    // Removing the selected last rows pulls the selection back into the grid.
    grid->selectRange(7, 1, 7, 2);
    grid->removeRows(7, 1);
    EXPECT_EQ(selectionOf(*grid), (Selection{6, 1, 6, 2}));
    grid->flushRows();
    EXPECT_EQ(shownSelection(), (Selection{6, 1, 6, 2}));
}

TEST_F(GridTest, RandomChangesKeepTheViewConsistentWithTheGrid)
{
    // Qt's model tester checks every announcement against the model; its complaints are
    // warnings, collected here.
    static QStringList complaints;
    complaints.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                complaints << message;
        });
    QAbstractItemModelTester tester(grid->model(), QAbstractItemModelTester::FailureReportingMode::Warning);

    std::mt19937 random(7);
    auto pick = [&](int n) { return n <= 0 ? 0 : int(random() % unsigned(n)); };
    for (int step = 0; step < 400; ++step) {
        const int rows = grid->Rows(), cols = grid->Cols();
        switch (pick(9)) {
        case 0:
            grid->beginFill(QStringList{"a", "b", "c"}.mid(0, 1 + pick(3)));
            break;
        case 1:
        case 2: {
            const std::vector<std::string> values(std::size_t(std::max(cols - 2, 0)),
                                                  "s" + std::to_string(step));
            const std::vector<std::string_view> views(values.begin(), values.end());
            for (int n = pick(4); n >= 0 && cols >= 2; --n)
                grid->appendRowUtf8(views);
            break;
        }
        case 3:
            if (rows > 1)
                grid->RemoveItem(1 + pick(rows - 1));
            break;
        case 4: // a delete loop, highest first
            if (rows > 2) {
                const int top = 1 + pick(rows - 1), bottom = top + pick(rows - top);
                for (int r = bottom; r >= top; --r)
                    grid->RemoveItem(r);
            }
            break;
        case 5:
            grid->setRows(pick(8));
            break;
        case 6:
            grid->setCols(pick(6));
            break;
        case 7:
            if (rows > 0 && cols > 0)
                grid->setTextMatrix(pick(rows), pick(cols), QString::number(step));
            break;
        case 8:
            ui::doEvents();
            break;
        }
        if (pick(3) == 0) {
            grid->flushRows();
            QAbstractItemModel* m = grid->model();
            ASSERT_EQ(m->rowCount(), std::max(grid->Rows() - 1, 0)) << "step " << step;
            ASSERT_EQ(m->columnCount(), grid->Cols()) << "step " << step;
            for (int r = 0; r < m->rowCount(); ++r)
                for (int c = 0; c < m->columnCount(); ++c)
                    ASSERT_EQ(m->index(r, c).data().toString(), grid->TextMatrix(r + 1, c))
                        << "step " << step << " cell " << r + 1 << ", " << c;
        }
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.join('\n').toStdString();
}

// Mouse gestures, keys and the selection properties in turn, each from where the one before
// left the grid. The view always shows the grid's range, top left first.
TEST_F(GridTest, GesturesKeysAndCallersMoveTheSelectionTheViewShows)
{
    fill(3, 5);
    QWidget* vp = grid->viewport();
    QWidget* header = grid->horizontalHeader()->viewport();
    const auto shift = Qt::ShiftModifier;
    const auto keys = [g = grid.get()](QList<Qt::Key> pressed, Qt::KeyboardModifiers modifiers = {}) {
        return [=] {
            for (Qt::Key key : pressed)
                QTest::keyClick(g, key, modifiers);
        };
    };
    const auto select = [&](int row, int col, int rowSel, int colSel) {
        return [=, this] {
            grid->setRow(row);
            grid->setCol(col);
            grid->setRowSel(rowSel);
            grid->setColSel(colSel);
        };
    };
    const struct
    {
        const char* what;
        std::function<void()> step;
        Selection grid; // Row, Col, RowSel, ColSel
    } steps[] = {
        {"a header selects the column below the field names", [&] { click(header, head(3)); }, {1, 3, 5, 3}},
        {"shift extends the columns from the anchor", [&] { click(header, head(4), shift); }, {1, 3, 5, 4}},
        {"dragging across the headers", [&] { drag(header, head(2), head(4)); }, {1, 2, 5, 4}},
        {"the row selector column selects the whole row", [&] { click(vp, cell(2, 0)); }, {2, 1, 2, 4}},
        {"dragging down the selector column", [&] { drag(vp, cell(2, 0), cell(4, 0)); }, {2, 1, 4, 4}},
        {"shift-click on another row", [&] { click(vp, cell(1, 0), shift); }, {2, 1, 1, 4}},
        {"dragging over cells", [&] { drag(vp, cell(2, 2), cell(3, 3), cell(4, 4)); }, {2, 2, 4, 4}},
        {"a plain move changes nothing", [&] { QTest::mouseMove(vp, cell(5, 2)); }, {2, 2, 4, 4}},
        {"dragging up and left", [&] { drag(vp, cell(4, 4), cell(1, 2)); }, {4, 4, 1, 2}},
        {"into the selector column: column 1", [&] { drag(vp, cell(3, 3), cell(3, 0)); }, {3, 3, 3, 1}},
        {"shift-click on a cell", [&] { click(vp, cell(5, 4), shift); }, {3, 3, 5, 4}},
        {"a key moves the current cell", keys({Qt::Key_Down}), {4, 3, 4, 3}},
        {"shift and the keys extend", keys({Qt::Key_Left, Qt::Key_Down}, shift), {4, 3, 5, 2}},
        {"the keys never reach the field names", keys(QList<Qt::Key>(5, Qt::Key_Up)), {1, 3, 1, 3}},
        {"ctrl+end", keys({Qt::Key_End}, Qt::ControlModifier), {5, 4, 5, 4}},
        {"the four properties", select(2, 3, 4, 4), {2, 3, 4, 4}},
        {"setting the current cell collapses the selection onto it", [&] { grid->setRow(5); }, {5, 3, 5, 3}},
        {"column 2 as the clipboard code selects it", select(1, 2, grid->Rows() - 1, 2), {1, 2, 5, 2}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        s.step();
        const Selection& e = s.grid;
        EXPECT_EQ(selectionOf(*grid), e);
        EXPECT_EQ(shownSelection(), (Selection{std::min(e[0], e[2]), std::min(e[1], e[3]),
                                               std::max(e[0], e[2]), std::max(e[1], e[3])}));
        EXPECT_EQ(grid->currentIndex(), grid->model()->index(e[0] - 1, e[1]));
    }
    EXPECT_THROW(grid->setRow(6), std::out_of_range);
    EXPECT_THROW(grid->setColSel(5), std::out_of_range);
    EXPECT_EQ(selectionOf(*grid), (Selection{1, 2, 5, 2}));
}
