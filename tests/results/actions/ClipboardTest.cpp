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
        QGuiApplication::clipboard()->setText("before");
        // Field names A, B, C; records 1, 2, 3 and 4, 5, 6; spaces at the ends of two cells.
        fillGrid(grid, {"  A", "B", "C"}, {{"1", "2", "3"}, {"4", "5", " 6 "}});
    }

    ui::MSFlexGrid grid;
};

// Each copy with the selection it needs (rows dragged across every column from the top, with
// the window: ResultActionsTest.RmenuPopsUp..): the clipboard afterwards and the messages. Only
// the whole grid loses the spaces at the ends of its text, and only there.
TEST_F(ClipboardCopy, EachCopyTakesItsSelectionOrSaysWhatItNeeds)
{
    const QString rowsNeeded = "A complete row(s) must be selected to use this feature";
    const QString columnsNeeded = "A complete column(s) must be selected to use this feature";
    const struct
    {
        void (*copy)(const ui::MSFlexGrid&);
        int row, col, rowSel, colSel; // the selection, from the anchor
        const char* delimiter;
        QString clipboard;
        QStringList messages;
    } cases[] = {
        {results::exportClipboard, 0, 0, 0, 0, " ", "A B C \r\n1 2 3 \r\n4 5  6  \r\n", {"Complete"}},
        {results::copySelectedRows, 2, 4, 1, 3, ";", "1;2;3;\r\n4;5; 6 ;\r\n", {}}, // dragged upwards
        {results::copySelectedRows, 1, 2, 2, 3, "|", "before", {rowsNeeded}},
        // Columns: the selected cells from any row down to the last, the field-name row included.
        {results::copySelectedColumns, 1, 3, 2, 4, "|", "2|3|\r\n5| 6 |\r\n", {}},
        {results::copySelectedColumns, 0, 2, 2, 2, "|", "  A|\r\n1|\r\n4|\r\n", {}},
        {results::copySelectedColumns, 0, 3, 1, 3, "|", "before", {columnsNeeded}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clipboard.toStdString());
        QGuiApplication::clipboard()->setText("before");
        grid.selectRange(c.row, c.col, c.rowSel, c.colSel);
        results::formFile().Text10->setText(QString::fromUtf8(c.delimiter));
        c.copy(grid);
        EXPECT_EQ(clipboardText(), c.clipboard);
        EXPECT_EQ(dialogs.takeMessages(), c.messages);
    }

    // An empty grid copies empty text as a whole and nothing as rows.
    QGuiApplication::clipboard()->setText("before");
    ui::MSFlexGrid empty;
    empty.setRows(0);
    results::copySelectedRows(empty);
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(clipboardText(), "before");
    results::exportClipboard(empty);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"Complete"});
    EXPECT_EQ(clipboardText(), QString());

    // The current cell is copied bare, without trimming or a line break of its own.
    grid.setTextMatrix(2, 3, " x|y\r\n");
    grid.selectRange(2, 3, 2, 3);
    results::copyCurrentCell(grid);
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(clipboardText(), " x|y\r\n");

    // A clipboard that cannot be set is reported, and keeps what it held.
    QGuiApplication::clipboard()->setText("before");
    results::setClipboardWriter([](const QString&) { return false; });
    results::exportClipboard(grid);
    results::setClipboardWriter(nullptr);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"521\r\nCan't open Clipboard"});
    EXPECT_EQ(clipboardText(), "before");
}

} // namespace
