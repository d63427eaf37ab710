// What a run sends: the text chosen from the query box and the row-count query of the SQL type.
// (The status panels and the error report are shown by the main window's run tests.)
#include "query/QueryRunner.h"

#include <gtest/gtest.h>

namespace {

query::RunRequest request(const QString& type, const QString& box, const QString& selection = {})
{
    query::RunRequest r;
    r.connection.type = type;
    r.queryBox = box;
    r.selection = selection;
    return r;
}

const QString appended = QStringLiteral("\r\n select @@RowCount as 'Affected Rows' ");

TEST(CommandText, OnlySpacesAreTrimmedFromBothEnds)
{
    EXPECT_EQ(query::commandText(request("SQLite", "  select 1  ")).text, "select 1");
    EXPECT_EQ(query::commandText(request("SQLite", "\tselect 1\r\n ")).text, "\tselect 1\r\n");
    EXPECT_EQ(query::commandText(request("SQLite", "     ")).text, "");
}

TEST(CommandText, TheSelectionRunsWhenAskedForAndNotEmpty)
{
    auto r = request("SQLite", "select 1; select 2", " select 2 ");
    query::CommandText c = query::commandText(r);
    EXPECT_EQ(c.text, "select 2");
    EXPECT_TRUE(c.fromSelection);

    r.runOnlySelectedText = false;
    c = query::commandText(r);
    EXPECT_EQ(c.text, "select 1; select 2");
    EXPECT_FALSE(c.fromSelection);

    r.runOnlySelectedText = true;
    r.selection.clear();
    c = query::commandText(r);
    EXPECT_EQ(c.text, "select 1; select 2");
    EXPECT_FALSE(c.fromSelection);
}

TEST(CommandText, SqlInsertsAndUpdatesGetTheRowCountQueryAfterCrLf)
{
    for (const char* type : {"SQL", "sql", "Sql"}) {
        const query::CommandText c = query::commandText(request(type, "  INSERT into t values (1) -- note"));
        EXPECT_EQ(c.text, QStringLiteral("INSERT into t values (1) -- note") + appended) << type;
        EXPECT_TRUE(c.rowCountAppended);
    }
    EXPECT_TRUE(query::commandText(request("SQL", "update t set a = 'Kept Case'")).rowCountAppended);
    EXPECT_TRUE(query::commandText(request("SQL", "Inserted")).rowCountAppended) << "five letters decide";
    EXPECT_EQ(query::commandText(request("SQL", "update t set a = 'Kept Case'")).text,
              QStringLiteral("update t set a = 'Kept Case'") + appended);
}

TEST(CommandText, OtherStatementsAndOtherTypesRunUnchanged)
{
    EXPECT_FALSE(query::commandText(request("SQL", "select * from t")).rowCountAppended);
    EXPECT_FALSE(query::commandText(request("SQL", "delete from t")).rowCountAppended);
    EXPECT_FALSE(query::commandText(request("SQL", "\ninsert into t values (1)")).rowCountAppended)
        << "only spaces are trimmed before the test";
    for (const char* type : {"MySql", "Access", "Oracle", "SQLite", "Suggestion"}) {
        const query::CommandText c = query::commandText(request(type, "insert into t values (1)"));
        EXPECT_FALSE(c.rowCountAppended) << type;
        EXPECT_EQ(c.text, "insert into t values (1)") << type;
    }
}

} // namespace

TEST(CommandText, ATextThatMayHoldSeveralStatementsIsABatch)
{
    for (const char* batch :
         {"insert into t values (1); select 1", "select 1;select 2;", "select ';x'", "select 1; -- done"})
        EXPECT_TRUE(query::commandText(request("MySql", batch)).mayBeBatch) << batch;
    for (const char* single : {"select 1", "select 1;", "select 1 ;  ;\r\n", ""})
        EXPECT_FALSE(query::commandText(request("MySql", single)).mayBeBatch) << single;
}
