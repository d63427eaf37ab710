// A full disk (a small tmpfs the test mounts and fills) under every writer of files: each
// says so (or, for the statement log, says nothing as always) and leaves its file as it was.
#include "query/db/Connection.h"
#include "query/db/Recordset.h"
#include "query/log/StatementLog.h"
#include "results/Export.h"
#include "results/QueryFiles.h"
#include "settings/SettingsStore.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ParamName.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SmallFileSystem.h"
#include "tests/support/SqliteFiles.h"
#include "tests/support/Thrown.h"
#include "ui/TextFile.h"

#include <QDate>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>

namespace {

// More than the slack of the file's last page, so that part of it fits and part does not.
const QString kLong = QString(64 * 1024, u'x');
const QByteArray kBefore = "kept as it was\r\n";

struct Writer
{
    const char* name;
    // Writes to `path`; true when it told of a failure (threw a file error).
    std::function<bool(const QString& path)> write;
};

bool failsWithFileError(const std::function<void()>& write)
{
    const std::optional<ui::FileError> e = qvtest::thrown<ui::FileError>(write);
    EXPECT_TRUE(e && e->number == ENOSPC) << (e ? e->description.toStdString() : "");
    return e.has_value();
}

const Writer kWriters[] = {
    {"Export",
     [](const QString& path) {
         return failsWithFileError([&] { results::appendUtf8ToFile(path, kLong.toUtf8()); });
     }},
    {"DataOutputToFile",
     [](const QString& path) {
         SqliteFiles files; // a one-column result of 5,000 rows
         db::Connection connection;
         connection.Open(SqliteFiles::connectionString(files.create(
             QStringLiteral("numbers.sqlite"),
             "CREATE TABLE n (label TEXT); WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
             "FROM c WHERE i < 5000) INSERT INTO n SELECT 'row number ' || i FROM c")));
         db::Recordset result = connection.Execute(QStringLiteral("SELECT label FROM n"));
         return failsWithFileError([&] { results::outputToFile(result, path); });
     }},
    {"QueryFile",
     [](const QString& path) { return failsWithFileError([&] { results::saveQueryFile(path, kLong); }); }},
    {"StatementLog",
     [](const QString& path) {
         query::setCurrentQueryFile(path);
         query::StatementLog log(QString(), QString(), [] { return QDate(2024, 1, 2); });
         EXPECT_TRUE(log.log(kLong)) << "the list still gets the text";
         query::setCurrentQueryFile({});
         return true; // the log never reports
     }},
};

using FullDisk = testing::TestWithParam<Writer>;

TEST_P(FullDisk, TheWriterSaysSoAndTheFileStaysAsItWas)
{
    qvtest::SmallFileSystem disk(256 * 1024);
    QV_REQUIRE_SMALL_FILE_SYSTEM(disk);
    const QString path = disk.filePath(QStringLiteral("target.txt"));
    ui::appendBytes(path, kBefore);
    disk.fill();
    qvtest::ScriptedDialogs dialogs;
    EXPECT_TRUE(GetParam().write(path));
    EXPECT_EQ(qvtest::fileBytes(path), kBefore);
    EXPECT_TRUE(dialogs.take().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Writers, FullDisk, testing::ValuesIn(kWriters), qvtest::ParamName());

TEST(FullDiskSettings, ASaveThatDoesNotFitFailsAndTheStoreKeepsItsValues)
{
    qvtest::SmallFileSystem disk(256 * 1024);
    QV_REQUIRE_SMALL_FILE_SYSTEM(disk);
    const QString path = disk.filePath(QStringLiteral("settings.sqlite"));
    {
        settings::SettingsStore store(path);
        store.save(settings::OptionBox, "1");
        disk.fill();
        EXPECT_THROW(store.save("Profiles", "Big", kLong + kLong + kLong + kLong), settings::StoreError);
        EXPECT_EQ(store.get(settings::OptionBox), "1");
    }
    settings::SettingsStore reopened(path);
    EXPECT_TRUE(reopened.recoveryNotice().isEmpty()) << reopened.recoveryNotice().toStdString();
    EXPECT_EQ(reopened.get(settings::OptionBox), "1");
    EXPECT_EQ(reopened.get("Profiles", "Big", "none"), "none");
}

} // namespace
