// Query files (File Open, File Save, File Save As (Specify)), Import of a statement log, and
// what the file commands do without a usable file.
#include "results/QueryFiles.h"

#include "results/Export.h"
#include "tests/support/ActionsSupport.h"
#include "tests/support/WithoutRootFileRights.h"
#include "ui/MSFlexGrid.h"

#include <QDir>
#include <functional>
#include <sys/stat.h>

namespace {

using actionstest::ActionsTest;
using actionstest::fileBytes;
using actionstest::writeBytes;

using QueryFiles = ActionsTest;

TEST_F(QueryFiles, SaveKeepsTheEncodingTheFileWasReadInAndReplacesTheWholeFile)
{
    // Opened, one word changed, saved: only that word's bytes change.
    const struct
    {
        const char* what;
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"UTF-8", "select 'caf\xC3\xA9' as x\r\n", "select 'caf\xC3\xA9' as y\r\n"},
        {"UTF-8 with a stray byte, which becomes the character shown for it",
         "select 'caf\xC3\xA9' as x -- \x85\r\n", "select 'caf\xC3\xA9' as y -- \xE2\x80\xA6\r\n"},
        {"Windows-1252", "select 'caf\xE9 \x80' as x\r\n", "select 'caf\xE9 \x80' as y\r\n"},
        {"UTF-8 after a byte-order mark", "\xEF\xBB\xBFselect '\xC3\xA9' as x\r\n",
         "\xEF\xBB\xBFselect '\xC3\xA9' as y\r\n"},
        {"UTF-16 after a byte-order mark", QByteArray("\xFF\xFEx\0\r\0\n\0", 8),
         QByteArray("\xFF\xFEy\0\r\0\n\0", 8)},
    };
    const QString file = path("encoded.sql");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(file, c.before);
        const QString text = results::loadQueryFile(file);
        EXPECT_FALSE(text.contains("\u00c3")) << "no mojibake: " << text.toStdString();
        QString edited = text.chopped(2); // the final CR LF the save adds again
        const qsizetype at = edited.lastIndexOf(QLatin1Char('x'));
        ASSERT_GE(at, 0);
        edited[at] = QLatin1Char('y');
        results::saveQueryFile(file, edited);
        EXPECT_EQ(fileBytes(file), c.after);
    }

    // A save over a longer file replaces it entirely with the trimmed text.
    writeBytes(file, QByteArray(5000, 'x') + "\r\n");
    query::setCurrentQueryFile(file);
    // Only spaces are trimmed, and line breaks become CR LF. (Save, Open and Save after Open
    // through the query box: Habits.FileSaveAsksBeforeWritingOverAFileThatIsNotTheQueryFileAndOpenReads.)
    results::fileSave(nullptr, " \tselect a,\nb from t \n ");
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(fileBytes(file), QByteArray("\tselect a,\r\nb from t \r\n\r\n"));
    // No file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"encoded.sql"});
}

TEST_F(QueryFiles, AFailedSaveLeavesTheOldFileWholeAndSaysSo)
{
    // A folder nobody may write to, holding the old file.
    ASSERT_EQ(::chmod(qPrintable(dir.path()), 0705), 0);
    const QString folder = path("locked");
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    const QString file = folder + "/q.sql";
    writeBytes(file, "the old query\r\n");
    // The file itself may be written by anyone: only a write in place could change it.
    ASSERT_EQ(::chmod(qPrintable(file), 0606), 0);
    ASSERT_EQ(::chmod(qPrintable(folder), 0505), 0);
    query::setCurrentQueryFile(file);
    {
        qvtest::WithoutRootFileRights nobody;
        results::fileSave(nullptr, "select 1");
    }
    ::chmod(qPrintable(folder), 0700);
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QString::number(EACCES) + "\r\n")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(file));
    EXPECT_EQ(fileBytes(file), QByteArray("the old query\r\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"q.sql"});
}

// --- Import ---

using Import = ActionsTest;

TEST_F(Import, AddsTheLogsStatementsInOrderAndEveryTime)
{
    const QString log = path("20240102.log");
    writeBytes(log, "\r\n\r\nA\r\n\r\n\r\nB\r\n\r\n\r\nC\r\n");
    QStringList items{"earlier"};
    auto addItem = [&](const QString& item) { items << item; };

    for (int time = 0; time < 2; ++time) {
        chooseOnModal(log);
        results::importStatements(nullptr, addItem);
        expectChooserShown();
    }
    const QStringList statements{"A", "\r\nB", "\r\nC\r\n"};
    EXPECT_EQ(items, QStringList{"earlier"} + statements + statements);
    EXPECT_EQ(query::currentQueryFile(), log);
}

// A cancelled chooser, or a file that cannot be read or created: the message (a failure's
// number, then its description), the box and the list as they were, no file written.
TEST_F(Import, OpenImportAndExportWithoutAUsableFileReportAndChangeNothing)
{
    QString box = "kept";
    QStringList items;
    ui::MSFlexGrid grid;
    actionstest::fillGrid(grid, {"A"}, {{"1"}});
    writeBytes(path("plain"), "not a folder");
    const auto open = [&] { results::fileOpen(nullptr, [&](const QString& text) { box = text; }); };
    const auto import = [&] {
        results::importStatements(nullptr, [&](const QString& item) { items << item; });
    };
    const struct
    {
        std::function<void()> command;
        const char* chosen; // nullptr: the chooser is cancelled
        QString message;    // the first line
    } cases[] = {
        {open, nullptr, "Invalid File"},
        {open, "missing.sql", QString::number(ENOENT)},
        {[&] { results::exportData(grid, nullptr); }, "plain/export.txt", QString::number(ENOTDIR)},
        {import, "gone.log", QString::number(ENOENT)},
        {import, nullptr, "Invalid File"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        query::setCurrentQueryFile(path("before.sql"));
        if (c.chosen)
            chooseOnModal(path(QString::fromUtf8(c.chosen)));
        else
            cancelOnModal();
        c.command();
        const qvtest::ShownDialog told = messageAfterChooser();
        EXPECT_EQ(told.title, "Quorvane");
        const QStringList lines = told.text.split("\r\n");
        EXPECT_EQ(lines[0], c.message);
        EXPECT_EQ(lines.size(), c.chosen ? 2 : 1) << told.text.toStdString();
        EXPECT_FALSE(lines.last().isEmpty());
    }
    EXPECT_TRUE(query::currentQueryFile().isEmpty()) << "the cancelled import's chooser cleared it";
    EXPECT_EQ(box, "kept");
    EXPECT_TRUE(items.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"plain"});
    EXPECT_EQ(fileBytes(path("plain")), QByteArray("not a folder"));
}

// The log then appends to the imported file:
// StatementLogTest.TheTargetIsTheQueryFileOrTheDailyFileOfTheStart.

} // namespace
