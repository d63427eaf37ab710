#include "query/log/StatementLog.h"

#include "tests/support/FileBytes.h"
#include "ui/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using query::StatementLog;
using qvtest::fileBytes;

namespace {

class StatementLogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath("program");
        query::setCurrentQueryFile({});
    }
    void TearDown() override { query::setCurrentQueryFile({}); }

    QString programFolder() const { return dir.filePath("program"); }
    QString userFolder() const { return dir.filePath("user/Quorvane/logs"); }
    StatementLog makeLog()
    {
        return StatementLog(programFolder(), userFolder(), [this] { return today; });
    }
    QString dailyFile() const { return programFolder() + "/20240305.log"; }

    QTemporaryDir dir;
    QDate today{2024, 3, 5};
};

} // namespace

TEST_F(StatementLogTest, EachEntryIsWrittenOnceFoundExactlyAsWrittenAndImportedBack)
{
    StatementLog log = makeLog();
    // text, whether it is new; the first entry begins the file with two line breaks.
    const std::pair<const char*, bool> runs[] = {
        {"select 10", true}, {"select 1", true},         {"select 1", false},
        {"select", true},    {"SELECT 1", true},         {"select 2   ", true},
        {"select 2", false}, {"select *\nfrom t", true}, {"select *\r\nfrom t", false},
    };
    for (const auto& [text, isNew] : runs)
        EXPECT_EQ(log.log(text), isNew) << text;
    EXPECT_EQ(fileBytes(dailyFile()), QByteArray("\r\n\r\nselect 10\r\n\r\n\r\nselect 1\r\n\r\n\r\nselect\r\n"
                                                 "\r\n\r\nSELECT 1\r\n\r\n\r\nselect 2\r\n"
                                                 "\r\n\r\nselect *\r\nfrom t\r\n"));
    EXPECT_FALSE(makeLog().log("select 10")) << "an entry an earlier run wrote is found in the file";

    // Import leaves out pieces of spaces alone, and what the log writes comes back.
    EXPECT_EQ(query::importedStatements("  \r\n\r\n x \r\n\r\n\r\n\r\n"), QStringList({" x "}));
    EXPECT_EQ(query::importedStatements(""), QStringList());
    EXPECT_EQ(query::importedStatements("select 1"), QStringList({"select 1"}));
    const QString file = StatementLog::entryFor("select 1") + StatementLog::entryFor("select 2  ");
    EXPECT_EQ(query::importedStatements(file).first(), "select 1");
}

// The log goes to the query file while one is set, else to the daily file, named once at the
// start and kept past midnight; a program folder that cannot be written sends it to the user's;
// a query file that cannot be written or read takes nothing, and the entry stays new.
TEST_F(StatementLogTest, TheTargetIsTheQueryFileOrTheDailyFileOfTheStart)
{
    StatementLog log = makeLog();
    EXPECT_EQ(log.target(), dailyFile());
    today = today.addDays(1);
    const QString queryFile = dir.filePath("work.sql");
    ui::appendText(queryFile, "select 0");
    query::setCurrentQueryFile(queryFile);
    EXPECT_EQ(log.target(), queryFile);
    EXPECT_TRUE(log.log("select 1"));
    EXPECT_EQ(fileBytes(queryFile), QByteArray("select 0\r\n\r\nselect 1\r\n"));
    query::setCurrentQueryFile({});
    EXPECT_EQ(log.target(), dailyFile()) << "back to the daily file once the query file is cleared";
    log.log("select 2");
    EXPECT_EQ(fileBytes(dailyFile()), QByteArray("\r\n\r\nselect 2\r\n"));
    EXPECT_FALSE(QFile::exists(programFolder() + "/20240306.log"));

    StatementLog moved(dir.filePath("no-such-folder"), userFolder(), [this] { return today; });
    EXPECT_TRUE(moved.log("select 1"));
    EXPECT_EQ(moved.target(), userFolder() + "/20240306.log");
    EXPECT_EQ(fileBytes(userFolder() + "/20240306.log"), QByteArray("\r\n\r\nselect 1\r\n"));

    const QString impossible = dir.filePath("missing/folder/queries.sql");
    query::setCurrentQueryFile(impossible);
    EXPECT_TRUE(log.log("select 1"));
    EXPECT_TRUE(log.log("select 1")) << "nothing could be written, so it is new again";
    EXPECT_FALSE(QFile::exists(impossible));

    query::setCurrentQueryFile(dir.path()); // a folder: cannot be read or appended to
    EXPECT_TRUE(log.log("select 1"));
}
