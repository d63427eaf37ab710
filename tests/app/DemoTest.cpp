#include "app/Demo.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// Runs one query and returns its single value as text.
QString scalar(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    QString value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

} // namespace

TEST(Demo, TheDemoDatabaseHoldsRelatedTablesWithUnicodeAndNulls)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/demo.sqlite");
    demo::ensureDatabase(path);

    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(path + ".building"));
    EXPECT_EQ(scalar(path, "select count(*) from customers"), "60");
    EXPECT_EQ(scalar(path, "select count(*) from products"), "40");
    EXPECT_EQ(scalar(path, "select count(*) from orders"), "250");
    EXPECT_GE(scalar(path, "select count(*) from order_items").toInt(), 250);
    EXPECT_EQ(scalar(path, "select count(*) from order_items i left join orders o on o.id = i.order_id "
                           "where o.id is null"),
              "0")
        << "every item belongs to an order";
    EXPECT_NE(scalar(path, "select count(*) from customers where email is null"), "0");
    EXPECT_NE(scalar(path, "select count(*) from customers where name glob '*[^ -~]*'"), "0")
        << "names beyond ASCII";

}

TEST(Demo, AnExistingDemoDatabaseIsKeptAsItIs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("demo.sqlite");
    demo::ensureDatabase(path);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "delete from order_items where order_id > 10", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const QString before = scalar(path, "select count(*) from order_items");

    demo::ensureDatabase(path);
    EXPECT_EQ(scalar(path, "select count(*) from order_items"), before);
}

TEST(Demo, TheSampleQueryRunsOnTheDemo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("demo.sqlite");
    demo::ensureDatabase(path);
    const QByteArray sql = "select count(*) from (" + demo::sampleQuery().toUtf8() + ")";
    EXPECT_EQ(scalar(path, sql.constData()), "60") << "one row per customer";
}
