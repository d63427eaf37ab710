#include "ui/MSFlexGrid.h"

#include "ui/Events.h"
#include "ui/GridModel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using ui::MSFlexGrid;

namespace {

struct Selection
{
    int row, col, rowSel, colSel;
    bool operator==(const Selection&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Selection& s)
{
    return out << "Row " << s.row << ", Col " << s.col << ", RowSel " << s.rowSel << ", ColSel " << s.colSel;
}

Selection selectionOf(const MSFlexGrid& g)
{
    return {g.Row(), g.Col(), g.RowSel(), g.ColSel()};
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, modifiers);
    QApplication::sendEvent(w, &event);
}

void click(QWidget* w, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonPress, pos, button, button, modifiers);
    sendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton, modifiers);
}

// Press at `from`, move with the button held through `to`, release there.
void drag(QWidget* w, QPoint from, std::initializer_list<QPoint> to)
{
    sendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (QPoint p : to)
        sendMouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, *(to.end() - 1), Qt::LeftButton, Qt::NoButton);
}

void pressKey(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(w, &event);
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
    QPoint cellCentre(int row, int col) const
    {
        return grid->visualRect(grid->gridModel()->index(row - 1, col)).center();
    }

    QPoint columnHeaderCentre(int col) const
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

// --- filling ---
// Names in row 0 and data from column 2 are shown by the run tests (app_run_test).

TEST_F(GridTest, ANewFillReplacesTheOldResultAndKeepsColumnWidths)
{
    fill(4, 30);
    grid->setColWidth(3, 1500);
    fill(2, 1);
    EXPECT_EQ(selectionOf(*grid), (Selection{1, 2, 1, 2})) << "the first field is current";
    EXPECT_EQ(grid->Cols(), 4);
    EXPECT_EQ(grid->Rows(), 2);
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->TextMatrix(0, 3), "F1");
    EXPECT_EQ(grid->TextMatrix(1, 3), "r0f1");
    EXPECT_EQ(grid->ColWidth(3), 1500);
    EXPECT_EQ(grid->ColWidth(1), 0);
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

// --- batched row announcements ---

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

// --- selection from the mouse ---

TEST_F(GridTest, MouseGesturesSelectFromTheAnchorToTheFarCorner)
{
    fill(3, 5);
    QWidget* vp = grid->viewport();
    QWidget* header = grid->horizontalHeader()->viewport();
    const auto shift = Qt::ShiftModifier;
    // Each gesture, then Row, Col, RowSel, ColSel; then what the view shows, top left first.
    const struct
    {
        const char* what;
        std::function<void()> gesture;
        Selection grid, shown;
    } steps[] = {
        {"a column header selects the column below the field names",
         [&] { click(header, columnHeaderCentre(3)); },
         {1, 3, 5, 3},
         {1, 3, 5, 3}},
        {"shift extends the columns from the anchor",
         [&] { click(header, columnHeaderCentre(4), shift); },
         {1, 3, 5, 4},
         {1, 3, 5, 4}},
        {"dragging across the headers",
         [&] { drag(header, columnHeaderCentre(2), {columnHeaderCentre(4)}); },
         {1, 2, 5, 4},
         {1, 2, 5, 4}},
        {"the row selector column selects the whole row",
         [&] { click(vp, cellCentre(2, 0)); },
         {2, 1, 2, 4},
         {2, 1, 2, 4}},
        {"dragging down the selector column",
         [&] { drag(vp, cellCentre(2, 0), {cellCentre(4, 0)}); },
         {2, 1, 4, 4},
         {2, 1, 4, 4}},
        {"shift-click on another row",
         [&] { click(vp, cellCentre(1, 0), shift); },
         {2, 1, 1, 4},
         {1, 1, 2, 4}},
        {"dragging over cells",
         [&] {
             drag(vp, cellCentre(2, 2), {cellCentre(3, 3), cellCentre(4, 4)});
         },
         {2, 2, 4, 4},
         {2, 2, 4, 4}},
        {"a move without the button changes nothing",
         [&] { sendMouse(vp, QEvent::MouseMove, cellCentre(5, 2), Qt::NoButton, Qt::NoButton); },
         {2, 2, 4, 4},
         {2, 2, 4, 4}},
        {"dragging up and left",
         [&] { drag(vp, cellCentre(4, 4), {cellCentre(1, 2)}); },
         {4, 4, 1, 2},
         {1, 2, 4, 4}},
        {"dragging into the selector column stops at column 1",
         [&] { drag(vp, cellCentre(3, 3), {cellCentre(3, 0)}); },
         {3, 3, 3, 1},
         {3, 1, 3, 3}},
        {"shift-click on a cell", [&] { click(vp, cellCentre(5, 4), shift); }, {3, 3, 5, 4}, {3, 3, 5, 4}},
    };
    for (const auto& step : steps) {
        step.gesture();
        EXPECT_EQ(selectionOf(*grid), step.grid) << step.what;
        EXPECT_EQ(shownSelection(), step.shown) << step.what;
    }
}

TEST_F(GridTest, ArrowKeysMoveTheCurrentCellAndShiftExtends)
{
    fill(3, 5);
    grid->selectRange(2, 2, 2, 2);
    pressKey(grid.get(), Qt::Key_Down);
    EXPECT_EQ(selectionOf(*grid), (Selection{3, 2, 3, 2}));
    pressKey(grid.get(), Qt::Key_Right, Qt::ShiftModifier);
    pressKey(grid.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selectionOf(*grid), (Selection{3, 2, 4, 3}));
    pressKey(grid.get(), Qt::Key_Up);
    pressKey(grid.get(), Qt::Key_Up);
    pressKey(grid.get(), Qt::Key_Up);
    pressKey(grid.get(), Qt::Key_Up);
    EXPECT_EQ(selectionOf(*grid), (Selection{1, 2, 1, 2})) << "the keys never reach the field names";
    pressKey(grid.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(selectionOf(*grid), (Selection{5, 4, 5, 4}));
}

// --- selection set by callers ---

TEST_F(GridTest, SettingTheSelectionMovesWhatTheViewShows)
{
    fill(3, 5);
    grid->setRow(2);
    grid->setCol(3);
    grid->setRowSel(4);
    grid->setColSel(4);
    EXPECT_EQ(selectionOf(*grid), (Selection{2, 3, 4, 4}));
    EXPECT_EQ(shownSelection(), (Selection{2, 3, 4, 4}));
    EXPECT_EQ(grid->currentIndex(), grid->model()->index(1, 3));

    // Setting the current cell collapses the selection onto it.
    grid->setRow(5);
    EXPECT_EQ(selectionOf(*grid), (Selection{5, 3, 5, 3}));
    EXPECT_EQ(shownSelection(), (Selection{5, 3, 5, 3}));

    // Selecting the whole of column 2 the way the clipboard code tests it.
    grid->setRow(1);
    grid->setCol(2);
    grid->setRowSel(grid->Rows() - 1);
    grid->setColSel(2);
    EXPECT_EQ(shownSelection(), (Selection{1, 2, 5, 2}));

    EXPECT_THROW(grid->setRow(6), std::out_of_range);
    EXPECT_THROW(grid->setColSel(5), std::out_of_range);
    EXPECT_EQ(selectionOf(*grid), (Selection{1, 2, 5, 2}));
}

TEST_F(GridTest, ColumnWidthsInTwipsRoundTripThroughPixels)
{
    fill(3, 1);
    grid->setColWidth(2, 1500);
    EXPECT_EQ(grid->columnWidth(2), 100);
    EXPECT_EQ(grid->ColWidth(2), 1500);
    grid->setColWidth(0, 200);
    EXPECT_EQ(grid->columnWidth(0), 13);
    EXPECT_EQ(grid->ColWidth(0), 195) << "the width comes back in whole pixels";
    grid->setColWidth(1, 1);
    EXPECT_EQ(grid->columnWidth(1), 0);
    EXPECT_EQ(grid->ColWidth(1), 0);
    grid->setColumnWidth(3, 40); // as when the user drags a column border
    EXPECT_EQ(grid->ColWidth(3), 600);
    grid->setColWidth(3, -1);
    EXPECT_EQ(grid->columnWidth(3), grid->horizontalHeader()->defaultSectionSize());
    EXPECT_THROW(grid->ColWidth(5), std::out_of_range);
}
