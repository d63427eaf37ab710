// The result actions through the main window, as the user reaches them: Data Output to File in a
// run and the result grid's pop-up menu with its copies and deletes. File Open, Save and Import
// through the window: HabitsTest; Undo after the result grid was trimmed: DirectEditTest.
#include "tests/support/FormFixture.h"
#include "tests/support/SqliteFiles.h"

#include <QClipboard>
#include <cerrno>

namespace {

constexpr const char* kShop = R"sql(
CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT);
INSERT INTO items VALUES (1, 'Tee');
INSERT INTO items VALUES (2, 'Kaffee');
INSERT INTO items VALUES (3, 'Kakao');
)sql";

class ResultActions : public FormFixture
{
protected:
    void SetUp() override
    {
        shop = files.create("shop.sqlite", kShop);
        results::setExportTarget(QString());
        FormFixture::SetUp();
        useSqlite(shop);
    }

    void TearDown() override
    {
        form->Rmenu->hide();
        FormFixture::TearDown();
        results::setExportTarget(QString());
    }

    SqliteFiles files;
    QString shop;
};

const QByteArray shopBlock("id|name|\r\n1|Tee|\r\n2|Kaffee|\r\n3|Kakao|\r\n\r\n");

TEST_F(ResultActions, DataOutputToFileWritesTheRunsBlockOrReportsAFileItCannotWriteFirst)
{
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    choose(out);
    form->DataOutputtoFile->trigger();
    EXPECT_EQ(shown(), QStringList{"chooser"});
    EXPECT_TRUE(form->DataOutputtoFile->isChecked());

    run(QStringLiteral("select id, name from items order by id"));
    EXPECT_EQ(dialogs.takeMessages(), QStringList{QStringLiteral("Export Complete")});
    EXPECT_EQ(panel(1), QStringLiteral("Rows: 3"));
    EXPECT_EQ(fileBytes(out), shopBlock); // a block per run, appended: ExportTest
    EXPECT_FALSE(gridRows().join(QLatin1Char(';')).contains(QStringLiteral("Tee")))
        << "the grid is not filled";

    // Plain text ticked too: the box is filled and no file is written.
    form->PlainText->trigger();
    run(QStringLiteral("select name from items where id = 1"));
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(form->Text2->toPlainText(), QStringLiteral("name\t\nTee\t\n"));
    EXPECT_EQ(fileBytes(out), shopBlock);

    // Clicked again, the mode goes off without asking.
    form->DataOutputtoFile->trigger();
    EXPECT_FALSE(form->DataOutputtoFile->isChecked());
    EXPECT_TRUE(dialogs.take().isEmpty());

    // Into the grid again, a file that cannot be written is reported before the statement is
    // sent. Cancelled chooser: the mode is on, with no target; then a folder as the target.
    form->DataGrid_Click();
    results::setExportTarget(dir.filePath(QStringLiteral("before.txt")));
    choose(QString());
    form->DataOutputtoFile->trigger();
    EXPECT_EQ(shown(), QStringList{"chooser"});
    EXPECT_TRUE(form->DataOutputtoFile->isChecked());
    EXPECT_TRUE(results::exportTarget().isEmpty());

    const struct
    {
        QString target;
        int number; // the platform's own number, not the database's
    } cases[] = {
        {QString(), ENOENT}, {dir.path(), EISDIR}, {dir.filePath(QStringLiteral("no/such/out.txt")), ENOENT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        results::setExportTarget(c.target);
        run(QStringLiteral("update items set name = name || '+' where id = 1"));
        const QStringList told = dialogs.takeMessages();
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].startsWith(QString::number(c.number) + QStringLiteral("\r\n")))
            << told[0].toStdString();
        EXPECT_GT(told[0].size(), QString::number(c.number).size() + 2) << "a description follows";
        EXPECT_EQ(SqliteFiles::scalar(shop, "select name from items where id = 1"), QStringLiteral("Tee"))
            << "nothing was sent";
        EXPECT_TRUE(form->Command1->isEnabled());
        EXPECT_FALSE(form->Command9->isEnabled());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("no")))) << "nothing is left behind";
}

TEST_F(ResultActions, RmenuPopsUpOnTheRightButtonAndItsEntriesCopyAndDelete)
{
    form->show();
    run(QStringLiteral("select id, name from items order by id"));
    ui::MSFlexGrid* grid = form->MSFlexGrid1;

    click(grid, grid->model()->index(0, 3), Qt::LeftButton);
    EXPECT_FALSE(form->Rmenu->isVisible());
    click(grid, grid->model()->index(0, 3), Qt::RightButton);
    EXPECT_TRUE(form->Rmenu->isVisible()); // its entries: Form1Test; their exact texts: results/actions
    form->Rmenu->hide();

    // Rows 1 and 2 dragged across every column: the copy holds their fields only.
    grid->selectRange(1, 0, 2, grid->Cols() - 1);
    form->CopySelectRowstoClipboard->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("1|Tee|\r\n2|Kaffee|\r\n"));
    form->DeleteRow->trigger();
    EXPECT_EQ(gridRows(), (QStringList{"id|name", "3|Kakao"}));
    EXPECT_EQ(SqliteFiles::scalar(shop, "SELECT count(*) FROM items"), QStringLiteral("3"));

    grid->setRow(1);
    grid->setCol(3);
    form->CopyCurrentCellData->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Kakao"));
    // A column selection short of the last row is refused.
    grid->selectRange(0, 2, 0, 2);
    form->DeleteColumn->trigger();
    EXPECT_EQ(dialogs.takeMessages(),
              QStringList{QStringLiteral("A complete column(s) must be selected to use this feature")});

    form->ExportClipboard->trigger();
    EXPECT_EQ(dialogs.takeMessages(), QStringList{QStringLiteral("Complete")});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("id|name|\r\n3|Kakao|\r\n"));
    const QString exported = dir.filePath(QStringLiteral("export.txt"));
    choose(exported);
    form->ExportData->trigger();
    EXPECT_EQ(shown(), (QStringList{"chooser", "Export Complete"}));
    EXPECT_EQ(fileBytes(exported), QByteArray("||id|name|\r\n||3|Kakao|\r\n\r\n"));
}

} // namespace
