// Export Data to File and the file output of a run (Data Output to File).
#include "results/Export.h"

#include "query/db/Connection.h"
#include "query/db/Recordset.h"
#include "tests/support/ActionsSupport.h"
#include "tests/support/SqliteFiles.h"
#include "ui/Events.h"

#include <QCheckBox>
#include <QTimer>

namespace {

using actionstest::ActionsTest;
using actionstest::fileBytes;
using actionstest::fillGrid;

using ExportToFile = ActionsTest;

// Each export appends a block (the layout and "Export Complete" through the window:
// ResultActionsTest.RmenuPopsUp..). An emptied delimiter box, once left, is a tab; the headers
// option cleared leaves out the field-name row; spaces at the ends of the whole text go, those
// inside stay; cell texts pass unchanged, delimiters inside them included, in UTF-8.
TEST_F(ExportToFile, AppendsABlockWithTheChoosersDelimiterAndHeaderOption)
{
    ui::MSFlexGrid grid;
    fillGrid(grid, {"A", "B"}, {{" 1", "2 "}});
    const QString target = path("export.txt");
    chooseOnModal(target);
    results::exportData(grid, nullptr);
    EXPECT_EQ(messageAfterChooser().text, "Export Complete");
    QByteArray expected("||A|B|\r\n|| 1|2 |\r\n\r\n");
    EXPECT_EQ(fileBytes(target), expected);

    dialogs.onModal([&](QWidget* window) {
        auto* form = qobject_cast<results::FormFile*>(window);
        form->Text10->clear();
        form->Text10_LostFocus();
        form->Check1->setChecked(false);
        form->Text2->setText(target);
        form->Command1_Click();
    });
    results::exportData(grid, nullptr);
    dialogs.take();
    EXPECT_EQ(fileBytes(target), expected += "\t\t 1\t2 \t\r\n\r\n");

    grid.setTextMatrix(1, 2, "x\ty");
    grid.setTextMatrix(0, 2, "caf\u00e9");
    results::formFile().Check1->setChecked(true);
    results::formFile().Text10->setText("::");
    chooseOnModal(target);
    results::exportData(grid, nullptr);
    dialogs.take();
    EXPECT_EQ(fileBytes(target), expected += "::::caf\xc3\xa9::B::\r\n::::x\ty::2 ::\r\n\r\n");
}

// (An emptied file box: FileChooser.KeepsItsStateOkHandsTheFile...)
TEST_F(ExportToFile, ACancelledChooserAGridChangedMeanwhileOrAnEmptyGridWritesNothing)
{
    ui::MSFlexGrid grid;
    fillGrid(grid, {"A"}, {{"1"}, {"2"}, {"3"}});
    results::setExportTarget(path("earlier.txt"));
    cancelOnModal();
    results::exportData(grid, nullptr);
    expectChooserShown();
    EXPECT_TRUE(results::exportTarget().isEmpty());

    // Events run after every row; the first turn removes a row, as a delete or a new run
    // started meanwhile from the window would.
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(0));
    QTimer::singleShot(0, [&] { grid.RemoveItem(1); });
    chooseOnModal(path("export.txt"));
    results::exportData(grid, nullptr);
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(10));
    EXPECT_EQ(messageAfterChooser().text, "The result grid changed while it was being read (a new "
                                          "run or a delete), so nothing was copied or written.");

    // A grid without rows writes nothing either.
    grid.setRows(0);
    chooseOnModal(path("export.txt"));
    results::exportData(grid, nullptr);
    expectChooserShown();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

// (A file that cannot be created: Import.OpenImportAndExportWithoutAUsableFileReportAndChangeNothing.)

// --- the file output of a run ---

class DataOutputToFile : public ActionsTest
{
protected:
    void SetUp() override
    {
        ActionsTest::SetUp();
        database = files.create("data.sqlite", R"sql(
            CREATE TABLE t (name TEXT, qty INTEGER);
            INSERT INTO t VALUES ('  pen', 2);
            INSERT INTO t VALUES ('ink', NULL);)sql");
        connection.Open(SqliteFiles::connectionString(database));
    }

    db::Recordset run(const char* sql) { return connection.Execute(QString::fromUtf8(sql)); }

    SqliteFiles files;
    QString database;
    db::Connection connection;
};

// Each run appends its block, with the chooser's delimiter and header option; spaces inside
// the text stay, those at the ends of the whole text go; a null is the empty text; a closed or
// empty result writes one empty line. (A run's block through the window: ResultActionsTest.)
TEST_F(DataOutputToFile, AppendsABlockPerRun)
{
    const struct
    {
        const char* sql;
        const char* delimiter;
        bool headers;
        int records;
        QByteArray block;
    } runs[] = {
        {"SELECT name, qty FROM t ORDER BY rowid", "|", true, 2, "name|qty|\r\n  pen|2|\r\nink||\r\n\r\n"},
        {"SELECT qty FROM t WHERE qty IS NOT NULL", ",", true, 1, "qty,\r\n2,\r\n\r\n"},
        {"SELECT name, qty FROM t ORDER BY rowid", "|", false, 2, "pen|2|\r\nink||\r\n\r\n"},
        {"UPDATE t SET qty = 3 WHERE name = 'ink'", "|", true, 0, "\r\n"},
        {"SELECT name FROM t WHERE 0", "|", true, 0, "\r\n"},
    };
    const QString target = path("out.txt");
    QByteArray expected;
    for (const auto& r : runs) {
        SCOPED_TRACE(r.sql);
        results::formFile().Text10->setText(QString::fromUtf8(r.delimiter));
        results::formFile().Check1->setChecked(r.headers);
        db::Recordset result = run(r.sql);
        EXPECT_EQ(results::outputToFile(result, target), r.records);
        EXPECT_EQ(dialogs.takeMessages(), QStringList{"Export Complete"});
        EXPECT_EQ(fileBytes(target), expected += r.block);
    }
}

TEST_F(DataOutputToFile, AReadThatFailsPartWayLeavesTheFileAsItWas)
{
    // About 3 MB of lines, written a megabyte at a time, and an overflow error at row 2500.
    const QString target = path("out.txt");
    db::Recordset first = run("SELECT name FROM t");
    results::outputToFile(first, target);
    dialogs.takeMessages();
    const QByteArray before = fileBytes(target);
    db::Recordset failing =
        run("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "SELECT printf('%.1000c', 'x'), CASE WHEN i < 2500 THEN i ELSE abs(-9223372036854775807 - 1) END "
            "FROM n");
    EXPECT_THROW(results::outputToFile(failing, target), db::Error);
    EXPECT_TRUE(dialogs.takeMessages().isEmpty()) << "nothing is reported complete";
    EXPECT_EQ(fileBytes(target), before);
}

} // namespace
