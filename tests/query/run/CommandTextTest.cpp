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

// One row per run: the type, the query box, the selection (run only it unless "-"), what is sent
// and whether the row-count query was appended.
TEST(CommandText, IsTheTrimmedBoxOrSelectionWithTheRowCountQueryForSqlWrites)
{
    const QString count = "\r\n select @@RowCount as 'Affected Rows' ";
    // clang-format off
    const struct { const char *type, *box, *selection, *sent; bool appended; } cases[] = {
        {"SQLite", "  select 1  ", "", "select 1", false},            // only spaces are trimmed
        {"SQLite", "\tselect 1\r\n ", "", "\tselect 1\r\n", false},
        {"SQLite", "     ", "", "", false},
        {"SQLite", "select 1; select 2", " select 2 ", "select 2", false}, // the selection
        {"SQLite", "select 1; select 2", "-select 2", "select 1; select 2", false}, // not asked for
        {"SQL", "  INSERT into t values (1) -- note", "", "INSERT into t values (1) -- note", true},
        {"sql", "update t set a = 'Kept Case'", "", "update t set a = 'Kept Case'", true},
        {"Sql", "Inserted", "", "Inserted", true}, // five letters decide
        {"SQL", "select * from t", "", "select * from t", false},
        {"SQL", "delete from t", "", "delete from t", false},
        {"SQL", "\ninsert into t values (1)", "", "\ninsert into t values (1)", false}, // only spaces trimmed
        {"MySql", "insert into t values (1)", "", "insert into t values (1)", false},
        {"Access", "insert into t values (1)", "", "insert into t values (1)", false},
        {"Suggestion", "insert into t values (1)", "", "insert into t values (1)", false},
    };
    // clang-format on
    for (const auto& c : cases) {
        const bool asked = c.selection[0] != '-';
        query::RunRequest r = request(c.type, c.box, asked ? c.selection : c.selection + 1);
        r.runOnlySelectedText = asked;
        const query::CommandText t = query::commandText(r);
        EXPECT_EQ(t.text, QString::fromUtf8(c.sent) + (c.appended ? count : QString())) << c.type << c.box;
        EXPECT_EQ(t.rowCountAppended, c.appended) << c.type << c.box;
        EXPECT_EQ(t.fromSelection, asked && *c.selection) << c.type << c.box;
    }

    // A text that may hold several statements is a batch.
    for (const char* batch :
         {"insert into t values (1); select 1", "select 1;select 2;", "select ';x'", "select 1; -- done"})
        EXPECT_TRUE(query::commandText(request("MySql", batch)).mayBeBatch) << batch;
    for (const char* single : {"select 1", "select 1;", "select 1 ;  ;\r\n", ""})
        EXPECT_FALSE(query::commandText(request("MySql", single)).mayBeBatch) << single;
}

} // namespace
