// The main window's run as the user drives it: Run and Cancel, the outputs, Direct Edit, the
// start-up of the output choice and the type box, on real SQLite files, the MariaDB server of
// the test services and the SQL Server test server through FreeTDS.
#include "app/Demo.h"
#include "query/db/ProviderMap.h"
#include "results/RecordsetModel.h"
#include "tests/support/FormFixture.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SqliteFiles.h"
#include "tests/support/TdsServer.h"
#include "ui/Events.h"
#include "ui/GridModel.h"
#include "ui/TextFile.h"

#include <QRegularExpression>
#include <QTextCursor>
#include <QTimer>
#include <functional>

namespace {

constexpr const char* kShop = R"sql(
CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT, note TEXT);
INSERT INTO items VALUES (1, 'Tee', 'grün');
INSERT INTO items VALUES (2, 'Kaffee', NULL);
CREATE TABLE counter (id INTEGER PRIMARY KEY, n INTEGER);
INSERT INTO counter VALUES (1, 0);
CREATE TABLE numbers (i INTEGER);
WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 5000) INSERT INTO numbers SELECT i FROM c;
)sql";

class Run : public FormFixture
{
protected:
    void SetUp() override
    {
        shop = files.create("shop.sqlite", kShop);
        FormFixture::SetUp();
    }

    void expectIdle() const
    {
        EXPECT_TRUE(form->Command1->isEnabled()) << "Run enabled again";
        EXPECT_FALSE(form->Command9->isEnabled()) << "Cancel disabled again";
        EXPECT_EQ(form->centralWidget()->cursor().shape(), Qt::ArrowCursor) << "the busy pointer is gone";
    }

    // Runs `sql` and presses Cancel at the `turn`th firing of a timer of the test while the run
    // is busy, after `atCancel` (which sees the window as it is then).
    void runCancellingAt(const QString& sql, int turn, const std::function<void()>& atCancel = {},
                         int interval = 0)
    {
        int turns = 0;
        QTimer timer;
        timer.setInterval(interval);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!form->Command9->isEnabled() || ++turns != turn)
                return;
            if (atCancel)
                atCancel();
            form->Command9->click();
        });
        timer.start();
        run(sql);
        timer.stop();
    }

    // Runs a statement that keeps the database busy before its first row and presses Cancel
    // once a timer of the test has fired a few times during it: the window must have kept
    // processing events and show the busy pointer (but not over Cancel; the progress note:
    // TheNoteAndSecondsKeep..).
    // The run ends cancelled with nothing read, and the next run on the window works.
    void cancelDuringExecute(const QString& slow)
    {
        bool fired = false, busy = false, arrowOverCancel = false;
        runCancellingAt(
            slow, 5,
            [&] {
                fired = true;
                busy = form->centralWidget()->cursor().shape() == Qt::BusyCursor;
                arrowOverCancel = form->Command9->cursor().shape() == Qt::ArrowCursor;
            },
            20);
        EXPECT_TRUE(dialogs.take().isEmpty()) << "a cancelled run is no error";
        EXPECT_TRUE(fired) << "the timer fired while the statement ran";
        EXPECT_TRUE(busy);
        EXPECT_TRUE(arrowOverCancel);
        EXPECT_EQ(form->StatusBar1->note(), "Cancelled: the result holds 0 rows");
        EXPECT_EQ(panel(1), "Rows: 0");
        expectIdle();

        run("select 'next' as after_cancel");
        EXPECT_TRUE(dialogs.take().isEmpty());
        EXPECT_EQ(gridRows(), QStringList({"after_cancel", "next"}));
        EXPECT_EQ(form->StatusBar1->note(), "");
    }

    // -1: SQLite, the shop file; else the MySql type through the native backend (1) or ODBC (0).
    // False when the test services offer no MariaDB server.
    bool useEngine(int native)
    {
        if (native < 0) {
            useSqlite(shop);
            return true;
        }
        db::setNativeMySql(native == 1);
        return useMariaDb();
    }

    SqliteFiles files;
    QString shop;
};

// --- failures -----------------------------------------------------------------------------

// A run that cannot start or is refused ends in one error report (the number, CR LF and the
// description, titled "Quorvane" with OK only), clears the row count and leaves the window
// idle. A MySql run disables Tools for the rest of the program, even a failed one. (A closed
// result in the window: EnginesTest, PostgreSqlInsertGivesAClosedResult.)
TEST_F(Run, ARefusedRunEndsInOneErrorReportAndLeavesTheWindowIdle)
{
    enum class Where { Suggestion, SQLite, ClosedMySqlPort, MySqlNative, MySqlOdbc };
    const char* const unknown = "^-2147467259\r\n.";
    // unixODBC refuses an empty text itself (HY090); whoever refuses it, the report says so.
    const char* const empty = "^-\\d+\r\n.*(HY090|[Ee]mpty)";
    const struct
    {
        Where where;
        const char* text;
        const char* report; // a pattern
    } cases[] = {
        {Where::Suggestion, "select 1", unknown},
        {Where::SQLite, "     ", empty},
        {Where::SQLite, "-- nothing\n/* at all */", empty},
        {Where::ClosedMySqlPort, "select 1", unknown},
        // MariaDB runs a text of comments only as a statement that does nothing.
        {Where::MySqlNative, "     ", empty},
        {Where::MySqlOdbc, "     ", empty},
        {Where::SQLite, "     ", empty},
    };
    bool mySqlRan = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.where));
        SCOPED_TRACE(c.text);
        if (c.where == Where::Suggestion) {
            form->Combo1->setEditText(QStringLiteral("Suggestion"));
        } else if (c.where == Where::SQLite) {
            useSqlite(shop);
        } else if (c.where == Where::ClosedMySqlPort) {
            form->Combo1->setEditText(QStringLiteral("MySql"));
            form->Text8->setText(QStringLiteral("127.0.0.1,1"));
        } else {
            db::setNativeMySql(c.where == Where::MySqlNative);
            if (!useMariaDb())
                break;
        }
        mySqlRan |= c.where >= Where::ClosedMySqlPort;
        form->StatusBar1->setPanelText(1, "Rows: 9");
        run(QString::fromUtf8(c.text));
        const QList<qvtest::ShownDialog> shown = dialogs.take();
        ASSERT_EQ(shown.size(), 1);
        const QRegularExpression report(QString::fromUtf8(c.report),
                                        QRegularExpression::DotMatchesEverythingOption);
        EXPECT_TRUE(report.match(shown[0].text).hasMatch()) << shown[0].text.toStdString();
        EXPECT_EQ(shown[0].title, "Quorvane");
        EXPECT_EQ(shown[0].buttons, ui::Buttons::Ok);
        EXPECT_EQ(panel(1), "") << "cleared at the start, not written after the failure";
        EXPECT_EQ(form->Command2->isEnabled(), !mySqlRan) << "Tools";
        expectIdle();
    }
    db::setNativeMySql(true);
}

// Keeping statements without a profile name stops the run; with one, the box is sent, kept and
// logged as typed.
TEST_F(Run, ARunSendsKeepsAndLogsTheQueryBoxCharacterForCharacter)
{
    useSqlite(shop);
    form->Combo2->setEditText(QString());
    form->Check1->setChecked(true);
    run("select name from items");
    EXPECT_EQ(dialogs.takeMessages(), QStringList({"You must select a profile name"}));
    EXPECT_EQ(form->MSFlexGrid1->Rows(), 2) << "nothing ran";
    EXPECT_EQ(form->MSFlexGrid1->TextMatrix(0, 1), "");
    expectIdle();

    form->Combo2->setEditText(QStringLiteral("shop"));
    form->Check4->setChecked(true);
    // A no-break space typed into a literal, and a line break.
    const QString typed =
        QStringLiteral("insert into items values (3, 'A\u00a0B', null);\nselect name from items");
    run(typed);
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(SqliteFiles::scalar(shop, "select name from items where id = 3"), QStringLiteral("A\u00a0B"));
    EXPECT_EQ(store().get("shop", "text1", QString()), typed);
    EXPECT_EQ(listed(form->List1), QStringList({typed}));
    EXPECT_TRUE(
        QString::fromUtf8(fileBytes(logFile())).contains(QStringLiteral("'A\u00a0B', null);\r\nselect")));
}

TEST_F(Run, OnlyTheSelectionRunsAndTheFocusGoesBackToTheQueryBox)
{
    form->show();
    form->activateWindow();
    useSqlite(shop);
    form->Text1->setPlainText("select 'whole' as w;\nselect name from items where id = 2");
    QTextCursor cursor = form->Text1->textCursor();
    cursor.setPosition(form->Text1->toPlainText().indexOf("select name"));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    form->Text1->setTextCursor(cursor);
    form->Command1->setFocus();
    form->Command1_Click();
    EXPECT_EQ(gridRows(), QStringList({"name", "Kaffee"}));
    EXPECT_TRUE(form->Text1->hasFocus());

    form->RunOnlySelectedText_Click();
    EXPECT_FALSE(form->RunOnlySelectedText->isChecked());
    form->Command1_Click();
    EXPECT_EQ(gridRows(), QStringList({"w", "whole"})) << "the whole box once the mark is off";
}

// --- Cancel -----------------------------------------------------------------------------

// Per engine: with Data Output to File, the file keeps the whole lines read wherever Cancel
// comes; then Cancel during the execute stops the statement while the window stays responsive.
TEST_F(Run, CancelStopsTheStatementAndDataOutputToFileKeepsTheWholeLinesRead)
{
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    results::setExportTarget(out);
    const struct
    {
        const char* name;
        int native; // as useEngine takes it
        const char* sql;
        qint64 total;
        const char* slow;
    } engines[] = {
        // An endless count: SQLite works inside the execute until it is interrupted; the update
        // after it in the batch never runs.
        {"SQLite", -1, "select i, 'n' || i as name from numbers order by i", 5000,
         "with recursive c(i) as (select 1 union all select i + 1 from c) "
         "select count(*) from c; update counter set n = 99 where id = 1"},
        {"MariaDB native", 1, "select seq as i, concat('n', seq) as name from seq_1_to_100000", 100000,
         "select sleep(30) as slept"},
        {"MariaDB ODBC", 0, "select seq as i, concat('n', seq) as name from seq_1_to_100000", 100000,
         "select sleep(30) as slept"},
    };
    for (const auto& e : engines) {
        if (!useEngine(e.native))
            break;
        form->DataOutputtoFile->setChecked(true);
        ui::EventPump::setDefaultSlice(std::chrono::milliseconds(0));
        qint64 mostWritten = 0;
        for (const int turnsBeforeCancel : {3, 300}) {
            SCOPED_TRACE(std::string(e.name) + ", Cancel at turn " + std::to_string(turnsBeforeCancel));
            QFile::remove(out);
            ui::appendBytes(out, "before\r\n");
            runCancellingAt(QString::fromLatin1(e.sql), turnsBeforeCancel);

            EXPECT_EQ(dialogs.takeMessages(), QStringList()) << "no Export Complete for a cancelled run";
            const qint64 written = panel(1).section(' ', 1).toLongLong();
            EXPECT_LT(written, e.total);
            mostWritten = std::max(mostWritten, written);
            QByteArray expected("before\r\n");
            if (written > 0)
                expected += "i|name|\r\n";
            for (qint64 i = 1; i <= written; ++i)
                expected += QByteArray::number(i) + "|n" + QByteArray::number(i) + "|\r\n";
            EXPECT_EQ(fileBytes(out), expected);
            EXPECT_EQ(form->StatusBar1->note(),
                      QStringLiteral("Cancelled: the result holds %1 rows").arg(written));
            expectIdle();
        }
        EXPECT_GT(mostWritten, 0) << e.name << ": a Cancel came in the middle of the read";
        form->DataOutputtoFile->setChecked(false);
        ui::EventPump::setDefaultSlice(std::chrono::milliseconds(10));
        // The next run, into the grid, still works.
        SCOPED_TRACE(e.name);
        cancelDuringExecute(QString::fromLatin1(e.slow));
    }
    db::setNativeMySql(true);
    EXPECT_EQ(SqliteFiles::scalar(shop, "select n from counter where id = 1"), "0");
}

TEST_F(Run, TheNoteAndSecondsKeepTheProgramsTimeLeavingOutTheTimeAMessageStoodOpen)
{
    qvtest::ManualClock clock;
    useSqlite(shop);
    // The run's first turn of events may come before its clock starts; from the second on the
    // endless statement executes: 2.6 s pass there, then Cancel.
    QString note;
    runCancellingAt("with recursive c(i) as (select 1 union all select i + 1 from c) select count(*) from c",
                    2, [&] {
                        clock.advance(std::chrono::milliseconds(2600));
                        note = form->StatusBar1->note();
                    });
    EXPECT_EQ(note, QStringLiteral("Running\u2026 2 s"));
    EXPECT_EQ(panel(2), "Seconds: 2");

    // Five seconds with Export Complete open count for nothing.
    results::setExportTarget(dir.filePath(QStringLiteral("out.txt")));
    form->DataOutputtoFile->setChecked(true);
    dialogs.onMessage([&] { clock.advance(std::chrono::seconds(5)); });
    run("select name from items");
    EXPECT_EQ(dialogs.takeMessages(), QStringList{QStringLiteral("Export Complete")});
    EXPECT_EQ(panel(2), "Seconds: 0");
}

TEST_F(Run, CancelClosingOrExitingDuringTheReadKeepsTheRowsReadAndStopsTheBatch)
{
    useSqlite(shop);
    struct Way
    {
        const char* name;
        bool asks; // the question "Are You sure you want to Exit", answered Yes
        bool ends;
        std::function<void()> stop;
    };
    const Way ways[] = {
        {"Cancel", false, false, [&] { form->Command9->click(); }},
        {"closing the window", false, true, [&] { form->close(); }},
        {"Exit", true, true, [&] { form->Exitm->trigger(); }},
    };
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(0));
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        programEnds = 0;
        if (way.asks)
            dialogs.answer(ui::Answer::Yes);
        // Every record gets its turn of events; the run is stopped once 40 rows are shown.
        bool stopped = false, cancelEnabled = false, runDisabled = false;
        const auto stop = QObject::connect(form->MSFlexGrid1->gridModel(), &QAbstractItemModel::rowsInserted,
                                           form.get(), [&] {
                                               if (stopped || form->MSFlexGrid1->gridModel()->rowCount() < 40)
                                                   return;
                                               stopped = true;
                                               cancelEnabled = form->Command9->isEnabled();
                                               runDisabled = !form->Command1->isEnabled();
                                               way.stop();
                                           });
        run("select i from numbers order by i; update counter set n = n + 1 where id = 1");
        QObject::disconnect(stop);
        EXPECT_EQ(dialogs.take().size(), way.asks ? 1 : 0);
        EXPECT_TRUE(cancelEnabled) << "Cancel is enabled while the run reads";
        EXPECT_TRUE(runDisabled);
        EXPECT_EQ(programEnds, way.ends ? 1 : 0);
        EXPECT_EQ(panel(1), "Rows: 40") << "the rest of the result is not read";
        EXPECT_EQ(form->MSFlexGrid1->Rows(), 41);
        EXPECT_EQ(form->MSFlexGrid1->TextMatrix(40, 2), "40");
        if (!way.ends) {
            EXPECT_EQ(form->StatusBar1->note(), "Cancelled: the result holds 40 rows");
        }
        EXPECT_EQ(SqliteFiles::scalar(shop, "select n from counter where id = 1"), "0")
            << "the rest of the batch";
        expectIdle();
    }
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(10));
}

TEST_F(Run, DirectEditShowsTheDataGridFromTheNextRunAndEachRunStartsReadOnlyOrCancelled)
{
    // What Read Only and Read/Write allow: tests/results/directedit and DirectEditTest.
    useSqlite(shop);
    form->DirectEdit_Click();
    EXPECT_TRUE(form->Frame4->isHidden()) << "ticking hides the frame until the next run";

    // Cancel while the set loads stops the batch and keeps nothing to edit.
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(0));
    runCancellingAt("select i from numbers order by i; update counter set n = 7 where id = 1", 50);
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(10));
    EXPECT_TRUE(dialogs.take().isEmpty());
    const QAbstractItemModel* cancelled = form->DataGrid1->model();
    EXPECT_TRUE(!cancelled || cancelled->rowCount() == 0);
    EXPECT_EQ(form->StatusBar1->note(), "Cancelled: the result holds 0 rows");
    EXPECT_EQ(SqliteFiles::scalar(shop, "select n from counter where id = 1"), "0")
        << "the rest of the batch";
    expectIdle();

    run("select id, name, note from items order by id");
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_FALSE(form->Frame4->isHidden());
    EXPECT_EQ(form->DataGrid1->model()->rowCount(), 2);
    // The result grid is filled too: names in row 0, fields from column 2 (no more), NULL empty.
    EXPECT_EQ(gridRows(), QStringList({"id|name|note", "1|Tee|grün", "2|Kaffee|"}));
    EXPECT_EQ(panel(1), "Rows: 2");
    expectIdle();

    form->Option5->setChecked(true);
    form->Option5_Click();
    run("select id, name from items where id = 1");
    auto* model = qobject_cast<results::RecordsetModel*>(form->DataGrid1->model());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_FALSE(model->AllowUpdate());
    EXPECT_FALSE(model->AllowDelete());
    EXPECT_TRUE(form->Option4->isChecked()) << "the option buttons show the grid's real state";

    form->DirectEdit_Click();
    EXPECT_FALSE(form->DirectEdit->isChecked());
    EXPECT_FALSE(form->Frame4->isHidden()) << "unticking leaves the frame until the next run";
    run("select name from items");
    EXPECT_TRUE(form->Frame4->isHidden());
}

// The affected rows' column and its width: PresentationTest; here the count arrives from the
// server, and Cancel sends an attention that ends the whole batch: the insert after the wait
// never runs.
TEST_F(Run, SqlServerShowsTheAffectedRowsAndCancelSendsAnAttention)
{
    if (qEnvironmentVariable("ODBCSYSINI").isEmpty()) {
        missing("the registered FreeTDS driver");
        return;
    }
    qvtest::TdsServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    const qvtest::TdsEndpoint& e = server.endpoint();
    useConnection({QStringLiteral("SQL"), e.user, e.password, e.location(), e.database, {}});
    run("create table visits (id int primary key, who nvarchar(20))");
    run("  INSERT into visits values (1, 'Åsa')");
    ASSERT_TRUE(dialogs.take().isEmpty()) << server.log().toStdString();
    EXPECT_EQ(gridRows(), QStringList({"Affected Rows", "1"}));
    EXPECT_EQ(panel(1), "Rows: 1");
    run("update visits set who = 'Bo' where id = 1");
    EXPECT_EQ(gridRows(), QStringList({"Affected Rows", "1"}));

    cancelDuringExecute("waitfor delay '00:00:30'; insert into visits values (9, 'late')");
    run("select who from visits");
    EXPECT_EQ(gridRows(), QStringList({"who", "Bo"})) << server.log().toStdString();
}

TEST_F(Run, TheOutputChoiceIsKeptAndAppliedAtTheNextStart)
{
    // The menu marks, the option button, the box shown and the stored choice.
    const auto shows = [this] {
        return QStringList{
            form->PlainText->isChecked() ? "PlainText" : "", form->DataGrid->isChecked() ? "DataGrid" : "",
            form->Option1->isChecked() ? "Option1" : "Option2",
            form->MSFlexGrid1->isHidden() ? "Text2" : "MSFlexGrid1", store().get(settings::OptionBox)};
    };
    // The menu entries leave the option buttons alone.
    form->PlainText->trigger();
    EXPECT_EQ(shows(), QStringList({"PlainText", "", "Option2", "Text2", "1"}));
    EXPECT_FALSE(form->Text2->isHidden());
    start();
    EXPECT_EQ(shows(), QStringList({"PlainText", "", "Option1", "Text2", "1"}));
    form->DataGrid_Click();
    EXPECT_EQ(shows(), QStringList({"", "DataGrid", "Option1", "MSFlexGrid1", "2"}));
}

// The demo database is built whole once (no orphaned order lines, some customers without an
// e-mail address) and then kept as it is; the start-up opens and runs its saved profile.
TEST_F(Run, TheDemoIsASavedProfileThatTheStartUpOpensAndRuns)
{
    const QString database = dir.filePath("demo/demo.sqlite");
    demo::ensureDatabase(database);
    ASSERT_TRUE(QFile::exists(database));
    EXPECT_FALSE(QFile::exists(database + ".building"));
    EXPECT_EQ(SqliteFiles::scalar(database, "select count(*) from order_items i left join orders o on o.id = "
                                            "i.order_id where o.id is null"),
              "0");
    EXPECT_NE(SqliteFiles::scalar(database, "select count(*) from customers where email is null"), "0");
    SqliteFiles::exec(database, "delete from order_items where order_id > 10");
    const QString kept = SqliteFiles::scalar(database, "select count(*) from order_items");
    demo::ensureDatabase(database);
    EXPECT_EQ(SqliteFiles::scalar(database, "select count(*) from order_items"), kept);

    demo::prepareProfile(database);
    start();
    EXPECT_EQ(form->Combo2->currentText(), "Demo");
    EXPECT_EQ(form->Combo1->currentText(), "SQLite");
    EXPECT_EQ(form->Text8->text(), QDir::toNativeSeparators(database));
    EXPECT_EQ(form->Text1->toPlainText(), demo::sampleQuery());

    form->Command1_Click();
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(panel(1), "Rows: 60") << "one row per customer";
    EXPECT_EQ(form->MSFlexGrid1->TextMatrix(0, 2), "name");
    EXPECT_FALSE(form->MSFlexGrid1->TextMatrix(1, 2).isEmpty());
}

} // namespace
