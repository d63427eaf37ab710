// How direct edit reads a query's text: the single table it names, and what makes a row of its
// result more than one row of one table. (Rows kept as fetched on every engine:
// EngineLayerTest, ReadsForwardAndClientSideInOrder...)
#include "query/db/ClientCursor.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QString tableOf(const char* sql)
{
    const std::optional<db::TableName> name = db::singleTableOf(QString::fromUtf8(sql));
    if (!name)
        return "<none>";
    QStringList parts;
    for (const QString& p : {name->catalog, name->schema, name->table})
        if (!p.isEmpty())
            parts.append(p);
    return parts.join(QLatin1Char('|'));
}

TEST(SingleTableQuery, NamesTheOneTableOfTheFromListOrNone)
{
    EXPECT_EQ(tableOf("select * from books"), "books");
    EXPECT_EQ(tableOf("SELECT a, b FROM Books WHERE a = 1 ORDER BY b"), "Books");
    EXPECT_EQ(tableOf("select x from books b where b.x > 0"), "books");
    EXPECT_EQ(tableOf("select x from books as b;"), "books");
    EXPECT_EQ(tableOf("  select\n*\nfrom\n[My Table]"), "My Table");
    EXPECT_EQ(tableOf("select * from dbo.[Order Details]"), "dbo|Order Details");
    EXPECT_EQ(tableOf("select * from \"Pay\"\"roll\""), "Pay\"roll");
    EXPECT_EQ(tableOf("select * from `shop`.`items`"), "shop|items");
    EXPECT_EQ(tableOf("select * from north.dbo.Клиенты"), "north|dbo|Клиенты");
    EXPECT_EQ(tableOf("select (select max(x) from other) as m, 'from x' from t -- from y"), "t");
    EXPECT_EQ(tableOf("select * /* from a, b */ from t"), "t");
    // Joins, lists, subqueries and other statements name no single table.
    for (const char* sql :
         {"select * from a, b", "select * from a join b on a.x = b.x",
          "select * from a left outer join b on 1 = 1", "select * from (select * from a) s", "select 1",
          "update t set x = 1", "select 1; select * from t", "select * from a.b.c.d"})
        EXPECT_EQ(tableOf(sql), "<none>") << sql;
}

// How a query reads its tables: what makes a row of its result more than one row of one table.
TEST(QueryShape, FindsCombinedQueriesAndTablesReadTwice)
{
    // clang-format off
    struct { const char* sql; bool combined; const char* twice; int timesP; } cases[] = {
        {"select * from p", false, "", 1},
        {"select * from p union all select * from q", true, "", 1},
        {"SELECT * FROM (SELECT a FROM p EXCEPT SELECT a FROM q) x", true, "", 1},
        {"select 'union', [intersect] from p -- except", false, "", 1},
        {"select e.id, b.name from p e join [dbo].p b on b.id = e.boss", false, "p", 2},
        {"select * from p, q, main.p", false, "p", 2},
        {"select * from p where x in (select y from q) and z in (select y from q)", false, "q", 1},
        {"select (select max(a) from q) m, extract(year from d) from v", false, "", 0},
        {"select * from p; delete from p; select * from q union select * from q", false, "", 1},
    };
    // clang-format on
    for (const auto& t : cases) {
        SCOPED_TRACE(t.sql);
        const db::QueryShape shape = db::shapeOf(QString::fromUtf8(t.sql));
        EXPECT_EQ(shape.combined, t.combined);
        EXPECT_EQ(shape.namedTwice().value_or(QString()), QString::fromUtf8(t.twice));
        EXPECT_EQ(shape.timesNamed({QString(), QString(), "P"}), t.timesP);
    }
}

} // namespace
