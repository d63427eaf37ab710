// Deleting selected rows and blanking selected columns of the result grid.
#include "results/GridDeletes.h"

#include "tests/support/ActionsSupport.h"
#include "ui/Events.h"

#include <QTimer>

namespace {

using actionstest::ActionsTest;

class GridDeletes : public ActionsTest
{
protected:
    void SetUp() override
    {
        ActionsTest::SetUp();
        grid.setCols(4);
        grid.setRows(11);
        for (int r = 0; r <= 10; ++r) {
            grid.setTextMatrix(r, 2, r ? QStringLiteral("r%1").arg(r) : "name");
            grid.setTextMatrix(r, 3, r ? QStringLiteral("v%1").arg(r) : "value");
        }
    }

    QStringList column(int c) const
    {
        QStringList texts;
        for (int r = 0; r < grid.Rows(); ++r)
            texts << grid.TextMatrix(r, c);
        return texts;
    }

    ui::MSFlexGrid grid;
};

// Removing complete rows from the middle: ResultActionsTest.RmenuPopsUpOnTheRightButton..
TEST_F(GridDeletes, PartialSelectionsAreRefusedColumnsBlankedAndTheHeaderRowKept)
{
    const QStringList names = column(2);
    grid.selectRange(3, 2, 5, 2); // rows 3 to 5, but not to the last column
    results::deleteSelectedRows(grid);
    grid.selectRange(1, 2, 9, 3); // columns, but not to the last row
    results::deleteSelectedColumns(grid);
    EXPECT_EQ(dialogs.takeMessages(),
              (QStringList{"A complete row(s) must be selected to use this feature",
                           "A complete column(s) must be selected to use this feature"}));
    EXPECT_EQ(column(2), names);

    // Complete columns are blanked, the grid keeping its size: all rows, then from a row below
    // the first down to the last.
    grid.selectRange(1, 3, 10, 3);
    results::deleteSelectedColumns(grid);
    grid.selectRange(8, 2, 10, 2);
    results::deleteSelectedColumns(grid);
    EXPECT_EQ(std::pair(grid.Rows(), grid.Cols()), std::pair(11, 4));
    EXPECT_EQ(column(2).mid(6), (QStringList{"r6", "r7", QString(), QString(), QString()}));
    EXPECT_EQ(column(3), QStringList{"value"} + QStringList(10, QString()));

    // Every data row deleted leaves the header row, even when the selection covers it.
    grid.selectRange(0, 1, 10, 3);
    results::deleteSelectedRows(grid);
    EXPECT_EQ(std::pair(grid.Rows(), grid.Cols()), std::pair(1, 4));
    EXPECT_EQ(column(2), QStringList{"name"});
    EXPECT_TRUE(dialogs.take().isEmpty());
}

TEST_F(GridDeletes, ANewResultArrivingWhileColumnsAreBlankedIsLeftAsItIs)
{
    // Events run after every cell; the first turn fills the grid with a new result, as a run
    // started meanwhile from the window would.
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(0));
    QTimer::singleShot(0, [&] {
        grid.beginFill({"x", "y"});
        grid.appendRow({"x1", "y1"});
        grid.endFill();
    });
    grid.selectRange(1, 2, 10, 3);
    results::deleteSelectedColumns(grid);
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(10));

    EXPECT_EQ(dialogs.takeMessages(),
              QStringList{"The result grid changed while its columns were being emptied (a new "
                          "run or a delete), so the rest were left as they are."});
    EXPECT_EQ(column(2), (QStringList{"x", "x1"}));
    EXPECT_EQ(column(3), (QStringList{"y", "y1"}));
}

} // namespace
