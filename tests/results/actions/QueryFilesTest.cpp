// Query files (File Open, File Save, File Save As (Specify)) and Import of a statement log.
#include "results/QueryFiles.h"

#include "tests/support/ActionsSupport.h"
#include "tests/support/WithoutRootFileRights.h"

#include <QDir>
#include <sys/stat.h>

namespace {

using actionstest::ActionsTest;
using actionstest::fileBytes;
using actionstest::writeBytes;

// The query box of these tests.
struct Box
{
    QString text;
    results::SetText setter()
    {
        return [this](const QString& t) { text = t; };
    }
};

using QueryFiles = ActionsTest;

// Save, Open and Save after Open through the query box:
// Habits.FileSaveAsksBeforeWritingOverAFileThatIsNotTheQueryFileAndOpenReads.
TEST(QueryFileText, OnlySpacesAreTrimmedAndLineBreaksBecomeCrLf)
{
    EXPECT_EQ(results::queryFileText(QStringLiteral(" \tselect a,\nb from t \n ")),
              QStringLiteral("\tselect a,\r\nb from t \r\n\r\n"));
}

TEST_F(QueryFiles, SaveKeepsTheEncodingTheFileWasReadIn)
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = path(QStringLiteral("encoded.sql"));
        writeBytes(file, c.before);
        const QString text = results::loadQueryFile(file);
        EXPECT_FALSE(text.contains(QStringLiteral("\u00c3"))) << "no mojibake: " << text.toStdString();
        QString edited = text.chopped(2); // the final CR LF the save adds again
        const qsizetype at = edited.lastIndexOf(QLatin1Char('x'));
        ASSERT_GE(at, 0);
        edited[at] = QLatin1Char('y');
        results::saveQueryFile(file, edited);
        EXPECT_EQ(fileBytes(file), c.after);
    }
}

TEST_F(QueryFiles, SavingOverALongerFileReplacesItEntirely)
{
    const QString file = path(QStringLiteral("q.sql"));
    writeBytes(file, QByteArray(5000, 'x') + "\r\n");
    query::setCurrentQueryFile(file);
    results::fileSave(nullptr, QStringLiteral("select 1"));
    EXPECT_TRUE(dialogs.take().isEmpty());
    EXPECT_EQ(fileBytes(file), QByteArray("select 1\r\n"));
    // No file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("q.sql")});
}

TEST_F(QueryFiles, OpenWithoutAFileOrOfAMissingFileReportsAndKeepsTheBox)
{
    Box box{QStringLiteral("kept")};
    cancelOnModal();
    results::fileOpen(nullptr, box.setter());
    QList<qvtest::ShownDialog> shown = dialogs.take();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].text, QStringLiteral("Invalid File"));
    EXPECT_EQ(shown[1].title, QStringLiteral("Quorvane"));

    chooseOnModal(path(QStringLiteral("missing.sql")));
    results::fileOpen(nullptr, box.setter());
    shown = dialogs.take();
    ASSERT_EQ(shown.size(), 2);
    const QStringList lines = shown[1].text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 2) << shown[1].text.toStdString();
    EXPECT_EQ(lines[0], QString::number(ENOENT));
    EXPECT_FALSE(lines[1].isEmpty());
    EXPECT_EQ(box.text, QStringLiteral("kept"));
}

TEST_F(QueryFiles, AFailedSaveLeavesTheOldFileWholeAndSaysSo)
{
    // A folder nobody may write to, holding the old file.
    ASSERT_EQ(::chmod(qPrintable(dir.path()), 0705), 0);
    const QString folder = path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    const QString file = folder + QStringLiteral("/q.sql");
    writeBytes(file, "the old query\r\n");
    // The file itself may be written by anyone: only a write in place could change it.
    ASSERT_EQ(::chmod(qPrintable(file), 0606), 0);
    ASSERT_EQ(::chmod(qPrintable(folder), 0505), 0);
    query::setCurrentQueryFile(file);
    {
        qvtest::WithoutRootFileRights nobody;
        results::fileSave(nullptr, QStringLiteral("select 1"));
    }
    ::chmod(qPrintable(folder), 0700);
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QString::number(EACCES) + QStringLiteral("\r\n")))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(file));
    EXPECT_EQ(fileBytes(file), QByteArray("the old query\r\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("q.sql")});
}

// --- Import ---

using Import = ActionsTest;

TEST_F(Import, AddsTheLogsStatementsInOrderAndEveryTime)
{
    const QString log = path(QStringLiteral("20240102.log"));
    writeBytes(log, "\r\n\r\nA\r\n\r\n\r\nB\r\n\r\n\r\nC\r\n");
    QStringList items{QStringLiteral("earlier")};
    auto addItem = [&](const QString& item) { items << item; };

    chooseOnModal(log);
    results::importStatements(nullptr, addItem);
    expectChooserShown();
    EXPECT_EQ(items, (QStringList{QStringLiteral("earlier"), QStringLiteral("A"), QStringLiteral("\r\nB"),
                                  QStringLiteral("\r\nC\r\n")}));
    EXPECT_EQ(query::currentQueryFile(), log);

    chooseOnModal(log);
    results::importStatements(nullptr, addItem);
    expectChooserShown();
    EXPECT_EQ(items.size(), 7);
    EXPECT_EQ(items.mid(4), items.mid(1, 3));
}

TEST_F(Import, ACancelledChooserOrAnUnreadableFileAddsNothing)
{
    query::setCurrentQueryFile(path(QStringLiteral("before.sql")));
    QStringList items;
    cancelOnModal();
    results::importStatements(nullptr, [&](const QString& item) { items << item; });
    const QList<qvtest::ShownDialog> shown = dialogs.take();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].kind, qvtest::ShownDialog::Message);
    EXPECT_EQ(shown[1].text, QStringLiteral("Invalid File"));
    EXPECT_TRUE(query::currentQueryFile().isEmpty());
    EXPECT_TRUE(items.isEmpty());

    // A file that cannot be read: the error report, and nothing added.
    chooseOnModal(path(QStringLiteral("gone.log")));
    results::importStatements(nullptr, [&](const QString& item) { items << item; });
    const QList<qvtest::ShownDialog> report = dialogs.take();
    ASSERT_EQ(report.size(), 2);
    EXPECT_EQ(report[1].text.section(QStringLiteral("\r\n"), 0, 0), QString::number(ENOENT));
    EXPECT_TRUE(items.isEmpty());
}

// The log then appends to the imported file: StatementLogTest.WithAQueryFileSetTheLogAppendsToIt.

} // namespace
