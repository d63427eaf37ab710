// The clipboard copies of the result grid, through the real (offscreen) clipboard.
#include "results/Clipboard.h"

#include "tests/support/ActionsSupport.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

using actionstest::ActionsTest;
using actionstest::fillGrid;

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

class ClipboardCopy : public ActionsTest
{
protected:
    void SetUp() override
    {
        ActionsTest::SetUp();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        // Field names A, B, C; records 1, 2, 3 and 4, 5, 6.
        fillGrid(grid, {"A", "B", "C"}, {{"1", "2", "3"}, {"4", "5", "6"}});
    }

    ui::MSFlexGrid grid;
};

TEST_F(ClipboardCopy, WholeGridCopiesFieldsOfEveryRowAndSaysComplete)
{
    ui::MSFlexGrid one;
    fillGrid(one, {"A", "B", "C"}, {{"1", "2", "3"}});
    results::exportClipboard(one);
    EXPECT_EQ(clipboardText(), QStringLiteral("A|B|C|\r\n1|2|3|\r\n"));
    const QList<qvtest::ShownDialog> shown = dialogs.take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("Complete"));
    EXPECT_EQ(shown[0].title, QStringLiteral("Quorvane"));
    EXPECT_EQ(shown[0].icon, ui::Icon::None);

    // Only spaces are trimmed from the ends of the whole text, and only there.
    one.setTextMatrix(0, 2, QStringLiteral("  A"));
    one.setTextMatrix(1, 4, QStringLiteral(" 3 "));
    results::formFile().Text10->setText(QStringLiteral(" "));
    results::exportClipboard(one);
    dialogs.takeMessages();
    EXPECT_EQ(clipboardText(), QStringLiteral("A B C \r\n1 2  3  \r\n"));
}

TEST_F(ClipboardCopy, AnEmptyGridCopiesEmptyTextAsAWholeAndNothingAsRows)
{
    ui::MSFlexGrid empty;
    empty.setRows(0);
    results::copySelectedRows(empty);
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(clipboardText(), QStringLiteral("before"));
    results::exportClipboard(empty);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{QStringLiteral("Complete")});
    EXPECT_EQ(clipboardText(), QString());
}

TEST_F(ClipboardCopy, SelectedRowsCopyTheirFieldsWhateverColumnsWereSelected)
{
    // Dragged across every column from the top: ResultActionsTest.RmenuPopsUp..; here upwards
    // from the last row.
    grid.selectRange(2, 4, 2, 3);
    grid.selectRange(2, 4, 1, 3);
    results::formFile().Text10->setText(QStringLiteral(";"));
    results::copySelectedRows(grid);
    EXPECT_EQ(clipboardText(), QStringLiteral("1;2;3;\r\n4;5;6;\r\n"));
}

TEST_F(ClipboardCopy, AnIncompleteSelectionGivesItsMessageAndLeavesTheClipboard)
{
    grid.selectRange(1, 2, 2, 3);
    results::copySelectedRows(grid);
    EXPECT_EQ(dialogs.takeMessages(),
              QStringList{QStringLiteral("A complete row(s) must be selected to use this feature")});
    EXPECT_EQ(clipboardText(), QStringLiteral("before"));

    grid.selectRange(0, 3, 1, 3);
    results::copySelectedColumns(grid);
    EXPECT_EQ(dialogs.takeMessages(),
              QStringList{QStringLiteral("A complete column(s) must be selected to use this feature")});
    EXPECT_EQ(clipboardText(), QStringLiteral("before"));
}

TEST_F(ClipboardCopy, SelectedColumnsCopyTheSelectedCellsDownToTheLastRow)
{
    grid.selectRange(1, 3, 2, 4);
    results::copySelectedColumns(grid);
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(clipboardText(), QStringLiteral("2|3|\r\n5|6|\r\n"));

    // From any row down to the last one, the field-name row included.
    grid.selectRange(0, 2, 2, 2);
    results::copySelectedColumns(grid);
    EXPECT_EQ(clipboardText(), QStringLiteral("A|\r\n1|\r\n4|\r\n"));
}

TEST_F(ClipboardCopy, TheCurrentCellIsCopiedBare)
{
    grid.setTextMatrix(2, 3, QStringLiteral(" x|y\r\n"));
    grid.selectRange(2, 3, 2, 3);
    results::copyCurrentCell(grid);
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(clipboardText(), QStringLiteral(" x|y\r\n"));
}

TEST_F(ClipboardCopy, AClipboardThatCannotBeSetIsReported)
{
    results::setClipboardWriter([](const QString&) { return false; });
    results::exportClipboard(grid);
    results::setClipboardWriter(nullptr);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{QStringLiteral("521\r\nCan't open Clipboard")});
    EXPECT_EQ(clipboardText(), QStringLiteral("before"));
}

} // namespace
