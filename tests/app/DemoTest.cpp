#include "app/Demo.h"

#include "tests/support/SqliteFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// What the demo shows when run: Run.TheDemoIsASavedProfileThatTheStartUpOpensAndRuns.
TEST(Demo, TheDemoDatabaseIsBuiltWholeOnceAndThenKeptAsItIs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/demo.sqlite");
    demo::ensureDatabase(path);
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(path + ".building"));
    EXPECT_EQ(SqliteFiles::scalar(path, "select count(*) from order_items i left join orders o on o.id = "
                                        "i.order_id where o.id is null"),
              "0");
    EXPECT_NE(SqliteFiles::scalar(path, "select count(*) from customers where email is null"), "0");

    // An existing demo database is kept as it is.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "delete from order_items where order_id > 10", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const QString before = SqliteFiles::scalar(path, "select count(*) from order_items");

    demo::ensureDatabase(path);
    EXPECT_EQ(SqliteFiles::scalar(path, "select count(*) from order_items"), before);
}
