// The result actions through the main window, as the user reaches them: Data Output to File in a
// run, the result grid's pop-up menu and its copies and deletes, File Save / Open / Save As of
// the query box, Import into the previous-queries list, and Undo in the data grid after the
// result grid was trimmed or not filled (Undo on each engine: tests/results/directedit).
#include "results/FormFile.h"
#include "results/RecordsetModel.h"
#include "tests/support/FormFixture.h"
#include "tests/support/SqliteFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
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

TEST_F(ResultActions, DataOutputToFileWritesTheRunsBlockAndPlainTextWins)
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
}

TEST_F(ResultActions, AFileThatCannotBeWrittenIsReportedBeforeTheStatementIsSent)
{
    // Cancelled chooser: the mode is on, with no target; then a folder as the target.
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

// Save, Save As and their questions: HabitsTest; encodings and failures: QueryFilesTest.
TEST_F(ResultActions, FileOpenFillsTheQueryBoxAndSaveWritesBackWithoutAsking)
{
    const QString file = dir.filePath(QStringLiteral("q.sql"));
    writeFile(file, "select 1\r\n");
    choose(file);
    form->FileOpen->trigger();
    EXPECT_EQ(shown(), QStringList{"chooser"});
    EXPECT_EQ(form->Text1->toPlainText(), QStringLiteral("select 1\n"));

    form->Text1->setPlainText(QStringLiteral("select 2"));
    form->FileSave->trigger();
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(fileBytes(file), QByteArray("select 2\r\n"));
}

TEST_F(ResultActions, ImportFillsThePreviousQueriesAndTheLogThenAppendsToTheFile)
{
    const QString log = dir.filePath(QStringLiteral("20240102.log"));
    writeFile(log, "\r\n\r\nA\r\n\r\n\r\nB\r\n\r\n\r\nC\r\n");
    choose(log);
    form->Command19->click();
    EXPECT_EQ(shown(), QStringList{"chooser"});
    EXPECT_EQ(listed(form->List1), (QStringList{"A", "\r\nB", "\r\nC\r\n"}));
    EXPECT_EQ(query::currentQueryFile(), log);

    // Logged runs go to the imported file.
    form->Check4->setChecked(true);
    run(QStringLiteral("select 1 as x"));
    EXPECT_TRUE(fileBytes(log).endsWith("\r\n\r\nselect 1 as x\r\n"));
    EXPECT_EQ(listed(form->List1).size(), 4);
}

// --- Undo in the data grid, whatever the result grid holds ------------------------------------

class UndoAfterResultGrid : public ResultActions
{
protected:
    results::RecordsetModel* model() const
    {
        return qobject_cast<results::RecordsetModel*>(form->DataGrid1->model());
    }

    // A Direct Edit run of `table`, made Read/Write, with `name` typed into row `row` of the
    // data grid; the cell.
    QModelIndex edit(const QString& table, int row, const QString& name)
    {
        run(QStringLiteral("select id, name from %1 order by id").arg(table));
        EXPECT_TRUE(dialogs.take().isEmpty());
        if (!model())
            return {};
        form->Option5->setChecked(true);
        form->Option5_Click();
        const QModelIndex cell = model()->index(row, 1);
        EXPECT_TRUE(model()->setData(cell, name));
        return cell;
    }

    void undo(const QModelIndex& cell)
    {
        form->DataGrid1->setCurrentIndex(cell);
        form->Undo->trigger();
        EXPECT_TRUE(dialogs.take().isEmpty());
    }

    // Undo after the result grid's rows were deleted, and with Plain Text chosen, writes the
    // fetched value; a grid run then shows the table as it was.
    void checkUndo(const QString& table)
    {
        form->DirectEdit_Click();
        QModelIndex cell = edit(table, 1, QStringLiteral("Mokka"));
        ASSERT_TRUE(cell.isValid());
        // The result grid's row 1 deleted: its rows have moved up.
        form->MSFlexGrid1->selectRange(1, 0, 1, form->MSFlexGrid1->Cols() - 1);
        form->DeleteRow_Click();
        ASSERT_EQ(gridRows(), (QStringList{"id|name", "2|Kaffee", "3|Kakao"}));
        undo(cell);
        EXPECT_EQ(cell.data().toString(), QStringLiteral("Kaffee"));

        form->PlainText_Click();
        cell = edit(table, 2, QStringLiteral("Milch"));
        ASSERT_TRUE(cell.isValid());
        undo(cell);
        EXPECT_EQ(cell.data().toString(), QStringLiteral("Kakao"));

        form->DataGrid_Click();
        form->DirectEdit_Click();
        run(QStringLiteral("select id, name from %1 order by id").arg(table));
        EXPECT_TRUE(dialogs.take().isEmpty());
        EXPECT_EQ(gridRows(), (QStringList{"id|name", "1|Tee", "2|Kaffee", "3|Kakao"}));
    }
};

TEST_F(UndoAfterResultGrid, SQLite)
{
    checkUndo(QStringLiteral("items"));
}

} // namespace
