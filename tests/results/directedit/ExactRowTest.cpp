// Beyond WriteTest's steps: a direct-edit batch runs whole, SQLite's storage classes, and rows that no key
// tells apart where nothing can be rolled back: one row, the row the user sees, or nothing.
#include "tests/support/DirectEditFixture.h"

namespace detest {
namespace {

using ExactRows = DirectEditTest;

// A direct-edit batch runs to its end before the grid is used: the later statements' changes are
// in the database, the connection is free for the grid's writes, and a later statement's error is
// the run's error.
TEST_P(ExactRows, TheRestOfADirectEditBatchRunsBeforeTheGridWrites)
{
    database().run({"CREATE TABLE counter (id INT PRIMARY KEY, n INT)", "INSERT INTO counter VALUES (1, 0)"});
    auto connection = database().connect();
    db::Recordset set;
    set.CursorLocation = db::adUseClient;
    set.Open("SELECT id, n FROM counter; UPDATE counter SET n = n + 1", *connection, db::adOpenDynamic,
             db::adLockOptimistic);
    set.runRestOfBatch();
    EXPECT_EQ(database().rows("SELECT n FROM counter"), QStringList{"1"});

    // The grid shows what the first statement read, and names the row by it.
    set.MoveFirst();
    results::RecordsetModel model(std::move(set));
    model.setAllowUpdate(true);
    EXPECT_FALSE(model.setData(model.index(0, 1), "5"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), "1");
    EXPECT_TRUE(model.setData(model.index(0, 1), "5"));
    EXPECT_EQ(database().rows("SELECT n FROM counter"), QStringList{"5"});
    dialogs_.take();

    // The engine reports the error when it reaches it: at the open (ODBC) or at the run of the rest.
    db::Recordset failing;
    failing.CursorLocation = db::adUseClient;
    EXPECT_THROW(
        {
            failing.Open("SELECT id, n FROM counter; UPDATE no_such_table SET n = 1", *connection,
                         db::adOpenDynamic, db::adLockOptimistic);
            failing.runRestOfBatch();
        },
        db::Error);
}

INSTANTIATE_TEST_SUITE_P(Engines, ExactRows, kEveryEngine, kindName);

// SQLite keeps a storage class per value: a row is named by the value as stored (an integer in a
// column declared without a type, a real whose text rounds it), and a number typed into such a
// column is stored as a number.
TEST(SqliteValues, RowsAreNamedByTheStoredValueAndNumbersStayNumbers)
{
    Database database(Kind::SQLite);
    ASSERT_TRUE(database.unavailable().isEmpty());
    database.run({"CREATE TABLE u (a, b)", "INSERT INTO u VALUES (1, 'x'), (1.0, 'x')",
                  "CREATE TABLE m (v REAL)", "INSERT INTO m VALUES (0.1 + 0.2), (0.3)"});
    qvtest::ScriptedDialogs dialogs;

    // 1 = 1.0 in SQLite: the edits go to the real shown first, not to the integer row before it.
    auto u = openModel(database, "SELECT a, b FROM u ORDER BY typeof(a) DESC");
    u->setAllowUpdate(true);
    EXPECT_TRUE(u->setData(u->index(0, 1), "y"));
    EXPECT_TRUE(u->setData(u->index(0, 0), "42"));
    EXPECT_TRUE(u->setData(u->index(0, 1), "2.5"));
    EXPECT_EQ(database.rows("SELECT typeof(a), a, typeof(b), b FROM u ORDER BY rowid"),
              (QStringList{"integer|1|text|x", "integer|42|real|2.5"}));

    // Both rows show 0.3; the edit goes to the one shown, and Undo finds the 7 it wrote.
    auto m = openModel(database, "SELECT v FROM m ORDER BY v DESC");
    m->setAllowUpdate(true);
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), m->data(m->index(1, 0)).toString());
    EXPECT_TRUE(m->setData(m->index(0, 0), "7"));
    EXPECT_EQ(database.rows("SELECT v = 0.3 FROM m ORDER BY v"), (QStringList{"1", "0"}));
    EXPECT_TRUE(m->restoreFetched(m->index(0, 0)));
    EXPECT_EQ(database.rows("SELECT v = 0.1 + 0.2, v = 0.3 FROM m ORDER BY v DESC"),
              (QStringList{"1|0", "0|1"}));
    EXPECT_TRUE(dialogs.take().isEmpty());
}

// Rows no key tells apart: on a MariaDB table without transactions nothing can be rolled back, so
// nothing may be written before the rows are known to be one; a SQLite key that is not the rowid
// may hold NULL twice, so a write that reached both rows is rolled back.
using BeyondTheKey = DirectEditTest;

TEST_P(BeyondTheKey, RowsThatCannotBeToldApartAreNotChanged)
{
    const bool mariaDb = GetParam() == Kind::MariaDb;
    database().run({mariaDb ? "CREATE TABLE plain (word VARCHAR(20), n INT) ENGINE=MyISAM"
                            : "CREATE TABLE plain (word VARCHAR(20), n INT PRIMARY KEY)",
                    "INSERT INTO plain VALUES ('same', NULL), ('same', NULL), ('alone', 3)"});
    auto model =
        openWritable(mariaDb ? "SELECT word FROM plain ORDER BY n" : "SELECT word, n FROM plain ORDER BY n");

    EXPECT_FALSE(model->setData(model->index(0, 0), "changed"));
    EXPECT_FALSE(model->removeRows(1, 1));
    EXPECT_TRUE(model->setData(model->index(2, 0), "single"));

    EXPECT_EQ(dialogs_.takeMessages().size(), 2);
    EXPECT_EQ(database().rows("SELECT word FROM plain ORDER BY n"), (QStringList{"same", "same", "single"}));
}

INSTANTIATE_TEST_SUITE_P(Engines, BeyondTheKey, ::testing::Values(Kind::MariaDb, Kind::SQLite), kindName);

} // namespace
} // namespace detest
