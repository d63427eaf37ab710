// What users of other query tools expect, through the main window: CSV that other programs read
// back, a question before a file is written over, the keys, Help without a browser and the
// command line.
#include "app/CommandLine.h"
#include "app/HelpPage.h"
#include "app/Maker.h"
#include "settings/Keys.h"
#include "tests/support/FormFixture.h"
#include "tests/support/SqliteFiles.h"
#include "ui/Twips.h"

#include <QClipboard>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QUrl>

namespace {

// Values CSV must carry: NULL and '' apart, the delimiter, a quote, CR LF, Unicode, 100 KB.
constexpr const char* kValues = R"sql(
CREATE TABLE hab_values (id INTEGER PRIMARY KEY, v TEXT);
INSERT INTO hab_values VALUES (1, NULL), (2, ''), (3, 'a,b'), (4, 'say "hi"'),
    (5, 'line1' || char(13, 10) || 'line2'), (6, 'Grüße – 東京 😀'),
    (7, replace(hex(zeroblob(34134)), '00', 'é,'));
)sql";

class Habits : public FormFixture
{
protected:
    void SetUp() override
    {
        values = files.create("values.sqlite", kValues);
        results::setExportTarget(QString());
        FormFixture::SetUp();
        useSqlite(values);
    }

    void TearDown() override
    {
        FormFixture::TearDown();
        results::setExportTarget(QString());
        ui::setOpenUrlAction({});
    }

    static QString replaceQuestion(const QString& path)
    {
        return QStringLiteral("?The file %1 already exists. Replace it?").arg(path);
    }

    // Runs a program and gives its exit code, standard output and standard error.
    struct Ran
    {
        int code;
        QString out, err;
    };
    static Ran runProgram(const QString& program, const QStringList& args,
                          const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    SqliteFiles files;
    QString values;
};

TEST_F(Habits, CsvExportAndCopiesRoundTripThroughPython)
{
    run(QStringLiteral("select id, v from hab_values order by id"));
    const QString csv = dir.filePath(QStringLiteral("values.csv"));
    const QString runTarget = dir.filePath(QStringLiteral("run-output.txt"));
    results::setExportTarget(runTarget);
    choose(csv);
    form->ExportCsv->trigger();
    EXPECT_EQ(shown(), (QStringList{"chooser", "Export Complete"}));
    EXPECT_EQ(results::exportTarget(), runTarget) << "Data Output to File keeps its file";

    // NULL against '' on the raw bytes (both readers below give ''), then quoting and CR LF.
    const QByteArray raw = fileBytes(csv);
    EXPECT_TRUE(raw.startsWith("id,v\r\n1,\r\n2,\"\"\r\n3,\"a,b\"\r\n4,\"say \"\"hi\"\"\"\r\n"
                               "5,\"line1\r\nline2\"\r\n6,Grüße – 東京 😀\r\n7,\""))
        << raw.left(120).toStdString();
    EXPECT_TRUE(raw.endsWith("é,\"\r\n"));

    const Ran python =
        runProgram(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-c"),
                    QStringLiteral("import csv, json, sys\n"
                                   "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                   "    print(json.dumps(list(csv.reader(f))))\n"),
                    csv});
    ASSERT_EQ(python.code, 0) << python.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(python.out.toUtf8()).array();
    // Each row's fields joined by "|", which no value holds.
    QStringList read;
    for (const QJsonValue& row : rows)
        read << QVariant(row.toArray().toVariantList()).toStringList().join(QLatin1Char('|'));
    EXPECT_EQ(read, QStringList({"id|v", "1|", "2|", "3|a,b", "4|say \"hi\"", "5|line1\r\nline2",
                                 "6|Grüße – 東京 😀", "7|" + QStringLiteral("é,").repeated(34134)}));

    // Ctrl+A in the grid, then Copy as CSV: the same text on the clipboard.
    press(form->MSFlexGrid1, Qt::Key_A, Qt::ControlModifier);
    form->CopyAsCsv->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toUtf8(), raw);

    // Ctrl+C copies the selected cells tab separated under their column names.
    form->MSFlexGrid1->selectRange(2, 2, 4, 3);
    press(form->MSFlexGrid1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("id\tv\r\n2\t\r\n3\ta,b\r\n4\t\"say \"\"hi\"\"\"\r\n"));

    // Another export onto the file asks first; No leaves it, Yes replaces it.
    run(QStringLiteral("select v from hab_values where id = 3"));
    for (const ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
        choose(csv);
        dialogs.answer(answer);
        form->ExportCsv->trigger();
        QStringList expected{"chooser", replaceQuestion(csv)};
        if (answer == ui::Answer::Yes)
            expected << "Export Complete";
        EXPECT_EQ(shown(), expected);
        EXPECT_EQ(fileBytes(csv), answer == ui::Answer::Yes ? QByteArray("v\r\n\"a,b\"\r\n") : raw);
    }
}

TEST_F(Habits, FileSaveAsksBeforeWritingOverAFileThatIsNotTheQueryFileAndOpenReads)
{
    query::setCurrentQueryFile(QString());
    const QString exported = dir.filePath(QStringLiteral("export.csv"));
    writeFile(exported, "id,v\r\n1,x\r\n");
    form->Text1->setPlainText(QStringLiteral("select 1"));

    // Chosen for File Save: No writes nothing and leaves no query file, so Save asks again.
    for (const ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
        choose(exported);
        dialogs.answer(answer);
        form->FileSave->trigger();
        EXPECT_EQ(shown(), (QStringList{"chooser", replaceQuestion(exported)}));
        EXPECT_EQ(fileBytes(exported),
                  answer == ui::Answer::Yes ? QByteArray("select 1\r\n") : QByteArray("id,v\r\n1,x\r\n"));
        EXPECT_EQ(query::currentQueryFile(), answer == ui::Answer::Yes ? exported : QString());
    }

    // Now the query file: Save, and Save As onto it, write without a question.
    form->Text1->setPlainText(QStringLiteral("select 2"));
    form->FileSave->trigger();
    choose(exported);
    form->FileSaveAsSpecify->trigger();
    EXPECT_EQ(shown(), QStringList{"chooser"});
    EXPECT_EQ(fileBytes(exported), QByteArray("select 2\r\n"));

    // A statement log that Import made current is asked about until it was saved over.
    const QString log = dir.filePath(QStringLiteral("20240102.log"));
    writeFile(log, "\r\n\r\nA\r\n");
    choose(log);
    form->Command19->click();
    EXPECT_EQ(shown(), QStringList{"chooser"});
    for (const ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
        dialogs.answer(answer);
        form->FileSave->trigger();
        EXPECT_EQ(shown(), QStringList{replaceQuestion(log)});
        EXPECT_EQ(fileBytes(log),
                  answer == ui::Answer::Yes ? QByteArray("select 2\r\n") : QByteArray("\r\n\r\nA\r\n"));
        EXPECT_EQ(query::currentQueryFile(), log);
    }
    form->FileSave->trigger();
    EXPECT_TRUE(shown().isEmpty());

    // File Open fills the query box from the file (encodings and failures: QueryFilesTest).
    writeFile(exported, "select 3\r\n");
    choose(exported);
    form->FileOpen->trigger();
    EXPECT_EQ(shown(), QStringList{"chooser"});
    EXPECT_EQ(form->Text1->toPlainText(), QStringLiteral("select 3\n"));
    form->Text1->setPlainText(QStringLiteral("select 4"));
    form->FileSave->trigger();
    EXPECT_TRUE(shown().isEmpty()) << "the opened file is the query file";
    EXPECT_EQ(fileBytes(exported), QByteArray("select 4\r\n"));
}

TEST_F(Habits, KeysRunCancelAndSaveAsTheButtonsAndMenusDo)
{
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Text1->setFocus();

    form->Text1->setPlainText(QStringLiteral("select v from hab_values where id = 3"));
    QTest::keyClick(form->Text1, Qt::Key_F5);
    EXPECT_EQ(gridRows(), (QStringList{"v", "a,b"}));
    form->Text1->setPlainText(QStringLiteral("select v from hab_values where id = 4"));
    QTest::keyClick(form->Text1, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(gridRows(), (QStringList{"v", "say \"hi\""}));
    EXPECT_EQ(form->Text1->toPlainText(), QStringLiteral("select v from hab_values where id = 4"));

    // Esc while a run reads rows (Cancel enabled) stops it as Cancel does; otherwise nothing.
    form->Command9->setEnabled(true);
    QTest::keyClick(form->Text1, Qt::Key_Escape);
    EXPECT_FALSE(form->Command9->isEnabled());

    // The File menu's shortcut.
    const QString file = dir.filePath(QStringLiteral("keys.sql"));
    query::setCurrentQueryFile(file);
    QTest::keyClick(form->Text1, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(fileBytes(file), QByteArray("select v from hab_values where id = 4\r\n"));
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(Habits, BrowseFillsAFileLocationAndAMissingFileIsNamed)
{
    form->Combo1->setEditText(QStringLiteral("Oracle"));
    EXPECT_TRUE(form->BrowseLocation->isHidden());

    // A file type: Browse chooses the file.
    form->Combo1->setEditText(QStringLiteral("SQLite"));
    EXPECT_FALSE(form->BrowseLocation->isHidden());
    form->Text8->clear();
    dialogs.onModal([this](QWidget* window) {
        auto* chooser = qobject_cast<QFileDialog*>(window);
        ASSERT_NE(chooser, nullptr);
        chooser->selectFile(values);
        static_cast<QDialog*>(chooser)->accept(); // as its Open button does
    });
    form->BrowseLocation->click();
    EXPECT_EQ(shown(), QStringList{"chooser"});
    EXPECT_EQ(form->Text8->text(), values);

    // A missing file is named with its box, before any driver tries it.
    for (const QString& type : {QStringLiteral("SQLite"), QStringLiteral("Access")}) {
        form->Combo1->setEditText(type);
        form->Text8->setText(dir.filePath(QStringLiteral("gone.db")));
        run(QStringLiteral("select 1"));
        EXPECT_EQ(
            dialogs.takeMessages(),
            QStringList{QStringLiteral("-2147467259\r\nThe database file in Location does not exist: ") +
                        dir.filePath(QStringLiteral("gone.db"))})
            << type.toStdString();
    }
}

TEST_F(Habits, TheWindowKeepsItsSizePlaceAndBorderBetweenRuns)
{
    form->show();
    const QRect designed = form->geometry();
    start();
    form->show();
    EXPECT_EQ(form->geometry(), designed) << "the first run's place is the designed one";

    // Made larger, moved, and the border dragged 300 twips down.
    form->setGeometry(designed.adjusted(10, 20, 110, 120));
    const int border = ui::twips(form->Text1->geometry().bottom()) + 50;
    form->Form_MouseMove(Qt::NoButton, 0, border);
    form->Form_MouseMove(Qt::LeftButton, 0, border);
    form->Form_MouseMove(Qt::LeftButton, 0, border + 300);
    const QRect enlarged = form->geometry();
    const int text1Height = ui::twips(form->Text1->height());
    ASSERT_NEAR(text1Height, border + 300 - ui::twips(form->Text1->y()), 15);
    form->SaveWindowPlace();

    start();
    form->show();
    EXPECT_EQ(form->geometry(), enlarged);
    EXPECT_NEAR(ui::twips(form->Text1->height()), text1Height, 15);
    EXPECT_NEAR(ui::twips(form->Text2->y()), ui::twips(form->Text1->y() + form->Text1->height()) + 100, 15);

    // A place beyond the screen comes back inside it.
    form->move(5000, 5000);
    form->SaveWindowPlace();
    start();
    form->show();
    EXPECT_TRUE(form->screen()->availableGeometry().intersects(form->frameGeometry()));
}

TEST_F(Habits, HelpWithoutABrowserOpensTheShippedReadmeOrShowsABuiltInPage)
{
    QList<QUrl> opened;
    bool filesOpen = false;
    ui::setOpenUrlAction([&](const QUrl& url) {
        opened << url;
        return filesOpen && url.isLocalFile();
    });

    // The test program's folder ships no README.
    const QUrl help(maker::helpAddress());
    form->Help->trigger();
    EXPECT_EQ(opened, QList<QUrl>{help});
    QStringList told = dialogs.takeMessages();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(
        QStringLiteral("The help page %1 could not be opened and no README").arg(help.toString())));
    EXPECT_TRUE(told[0].endsWith(app::builtInHelp()));

    const QString readme = dir.filePath(QStringLiteral("README.md"));
    writeFile(readme, "# Quorvane\n");
    opened.clear();
    filesOpen = true;
    app::openHelp(dir.path());
    EXPECT_EQ(opened, (QList<QUrl>{help, QUrl::fromLocalFile(readme)}));
    told = dialogs.takeMessages();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("the README shipped with Quorvane was opened instead")));
    EXPECT_TRUE(told[0].endsWith(readme));
}

TEST_F(Habits, TheCommandLineAnswersWithoutAWindowAndOpensAQueryFile)
{
    using Action = app::CommandLine::Action;
    const struct
    {
        QStringList args;
        Action action;
        QString refusal;
        bool demo = false;
        QString queryFile = {}; // an option's value is no query file
    } cases[] = {
        {{}, Action::Window, {}},
        {{"-platform", "offscreen", "--style", "Fusion", "-reverse"}, Action::Window, {}},
        {{"--demo", "--help"}, Action::Help, {}},
        {{"--version", "--bogus"}, Action::Version, {}},
        {{"-"}, Action::Refuse, "Unknown option: -"},
        {{"a.sql", "b.sql"}, Action::Refuse, "Only one query file can be opened: a.sql and b.sql."},
        {{"-platform"}, Action::Refuse, "The option -platform needs a value."},
        {{"--profile", "P", "--query-file", "q.sql", "--output", "o.txt"}, Action::Export, {}},
        {{"--profile", "P", "--output", "o.txt"},
         Action::Refuse,
         "A run without a window takes --profile, --query-file and --output, and nothing else."},
        {{"--demo", "q.sql"}, Action::Window, {}, true, "q.sql"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const app::CommandLine line = app::parseCommandLine(QStringList{"quorvane"} + c.args);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.refusal, c.refusal);
        if (c.action == Action::Window) {
            EXPECT_EQ(line.demo, c.demo);
            EXPECT_EQ(line.queryFile, c.queryFile);
        }
    }

    // The program itself, on a system without a display: it must not try to open one.
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    noDisplay.remove(QStringLiteral("DISPLAY"));
    noDisplay.remove(QStringLiteral("WAYLAND_DISPLAY"));
    noDisplay.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const QString program = QStringLiteral(QUORVANE_PROGRAM);
    const Ran help = runProgram(program, {QStringLiteral("--help")}, noDisplay);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out, app::usageText());
    const Ran refused = runProgram(program, {QStringLiteral("--bogus")}, noDisplay);
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_EQ(refused.err, QStringLiteral("quorvane: Unknown option: --bogus\n") + app::usageText());

    // A run without a window on a saved profile appends the Data Output to File format.
    store().save(QStringLiteral("HabExport"), settings::profile::Combo1, QStringLiteral("SQLite"));
    store().save(QStringLiteral("HabExport"), settings::profile::Text8, values);
    const QString query = dir.filePath(QStringLiteral("export.sql"));
    writeFile(query, "select id, v from hab_values where id between 2 and 4 order by id\r\n");
    const QString output = dir.filePath(QStringLiteral("export.txt"));
    QProcessEnvironment ownStore = noDisplay;
    ownStore.insert(QStringLiteral("QUORVANE_SETTINGS"), dir.filePath(QStringLiteral("settings.sqlite")));
    const QStringList exportArgs{"--profile", "HabExport", "--query-file", query, "--output", output};
    const Ran exported = runProgram(program, exportArgs, ownStore);
    EXPECT_EQ(exported.code, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.out, QStringLiteral("Rows: 3\n"));
    EXPECT_EQ(fileBytes(output), QByteArray("id|v|\r\n2||\r\n3|a,b|\r\n4|say \"hi\"|\r\n\r\n"));
    const Ran unknown =
        runProgram(program, {"--profile", "Nobody", "--query-file", query, "--output", output}, ownStore);
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.err,
              QStringLiteral("quorvane: There is no profile named Nobody with a database type.\n"));

    // FILE.sql: into the query box, and the current query file, as File Open does.
    const QString file = dir.filePath(QStringLiteral("start.sql"));
    writeFile(file, "select 42\r\n");
    app::CommandLine line;
    line.queryFile = file;
    app::applyToWindow(line, *form);
    EXPECT_EQ(form->Text1->toPlainText(), QStringLiteral("select 42\n"));
    EXPECT_EQ(query::currentQueryFile(), file); // a missing one: QueryFilesTest
}

} // namespace
