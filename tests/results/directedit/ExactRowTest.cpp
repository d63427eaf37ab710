// One row, the row the user sees, or nothing: results whose rows are not rows of one table are
// refused before anything is written, rows that differ only by case or trailing blanks are
// told apart, Undo never takes back someone else's value, and a direct-edit batch runs whole.
#include "tests/support/DirectEditFixture.h"

#include <algorithm>

namespace detest {
namespace {

// The table's rows as the database holds them, in byte order (collations sort case apart).
QStringList sortedRows(const Database& database, const char* sql)
{
    QStringList rows = database.rows(QString::fromUtf8(sql));
    std::sort(rows.begin(), rows.end());
    return rows;
}

using ExactRows = DirectEditTest;

// A result whose rows cannot be traced to rows of one table: both an edit and a delete are
// refused with the reason, and no table changes.
TEST_P(ExactRows, ResultsThatAreNotRowsOfOneTableAreRefused)
{
    database().run({QStringLiteral("CREATE TABLE customers (id INT PRIMARY KEY, name VARCHAR(20))"),
                    QStringLiteral("INSERT INTO customers VALUES (1, 'Live One')"),
                    QStringLiteral("INSERT INTO customers VALUES (2, 'Live Two')"),
                    QStringLiteral("CREATE TABLE archived (id INT PRIMARY KEY, name VARCHAR(20))"),
                    QStringLiteral("INSERT INTO archived VALUES (2, 'Old Two')"),
                    QStringLiteral("CREATE TABLE staff (id INT PRIMARY KEY, name VARCHAR(20), boss INT)"),
                    QStringLiteral("INSERT INTO staff VALUES (1, 'Ada', NULL)"),
                    QStringLiteral("INSERT INTO staff VALUES (3, 'Bob', 1)")});
    const QString combined = QStringLiteral(
        "This result combines the rows of several queries (UNION, INTERSECT or EXCEPT), so its rows cannot "
        "be traced to rows of one table, and it cannot be changed in the data grid.");
    const QString staffTwice =
        QStringLiteral("This result reads the table staff more than once, so its rows "
                       "cannot be traced to rows of one table, and it cannot be changed "
                       "in the data grid.");
    // clang-format off
    struct { const char* select; int row; QString message; } cases[] = {
        {"SELECT id, name FROM customers UNION ALL SELECT id, name FROM archived ORDER BY 2", 2, combined},
        {"select id, name from archived union select id, name from customers", 0, combined},
        {"SELECT * FROM (SELECT id, name FROM customers UNION SELECT id, name FROM archived) AS u", 0, combined},
        {"SELECT id, name FROM archived INTERSECT SELECT id, name FROM archived", 0, combined},
        {"SELECT id, name FROM archived EXCEPT SELECT id, name FROM customers", 0, combined},
        {"SELECT e.id, b.name FROM staff e JOIN staff b ON b.id = e.boss", 0, staffTwice},
        {"SELECT id, name FROM staff WHERE boss IN (SELECT id FROM staff)", 0, staffTwice},
    };
    // clang-format on
    const QStringList before = sortedRows(database(), "SELECT id, name FROM customers") +
                               sortedRows(database(), "SELECT id, name FROM archived") +
                               sortedRows(database(), "SELECT id, name FROM staff");
    for (const auto& t : cases) {
        SCOPED_TRACE(t.select);
        auto model = openWritable(QString::fromUtf8(t.select));
        ASSERT_GT(model->rowCount(), t.row);
        const QString shown = model->data(model->index(t.row, 1)).toString();

        EXPECT_FALSE(model->setData(model->index(t.row, 1), QStringLiteral("Changed")));
        EXPECT_FALSE(model->removeRows(t.row, 1));

        EXPECT_EQ(dialogs_.takeMessages(), (QStringList{t.message, t.message}));
        EXPECT_EQ(model->data(model->index(t.row, 1)).toString(), shown);
        EXPECT_EQ(sortedRows(database(), "SELECT id, name FROM customers") +
                      sortedRows(database(), "SELECT id, name FROM archived") +
                      sortedRows(database(), "SELECT id, name FROM staff"),
                  before);
    }
}

// A table without a key whose collation calls 'abc' and 'ABC' (and, on MariaDB and SQL Server,
// 'x' and 'x ') equal: each action changes the row shown and only that one.
TEST_P(ExactRows, RowsEqualOnlyUnderTheCollationAreToldApart)
{
    database().createFoldingTable(QStringLiteral("folk (name VARCHAR(20))"));
    for (const char* name : {"ABC", "abc", "Smith", "smith", "x", "x "})
        database().run(
            {QStringLiteral("INSERT INTO folk (name) VALUES ('%1')").arg(QString::fromUtf8(name))});

    // clang-format off
    struct { const char* shown; const char* action; QStringList after; } cases[] = {
        {"abc", "abd", {"ABC", "Smith", "abd", "smith", "x", "x "}},
        {"smith", "<delete>", {"ABC", "Smith", "abd", "x", "x "}},
        {"x ", "y", {"ABC", "Smith", "abd", "x", "y"}},
        {"ABC", "abd", {"Smith", "abd", "abd", "x", "y"}},
        {"ABC", "<undo>", {"ABC", "Smith", "abd", "x", "y"}}, // one of two identical rows goes back
    };
    // clang-format on
    auto model = openWritable(QStringLiteral("SELECT name FROM folk"));
    const auto rowShowing = [&](const QString& value) {
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->fetchedValue(model->index(r, 0)).toString() == value)
                return r;
        return -1;
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.action);
        const int r = rowShowing(QString::fromUtf8(t.shown));
        ASSERT_GE(r, 0);
        const QString action = QString::fromUtf8(t.action);
        if (action == QLatin1String("<delete>"))
            EXPECT_TRUE(model->removeRows(r, 1));
        else if (action == QLatin1String("<undo>"))
            EXPECT_TRUE(model->restoreFetched(model->index(r, 0)));
        else
            EXPECT_TRUE(model->setData(model->index(r, 0), action));
        EXPECT_TRUE(dialogs_.take().isEmpty());
        EXPECT_EQ(sortedRows(database(), "SELECT name FROM folk"), t.after);
    }
}

// Undo takes back only what this program wrote, only while the row still holds it; and an edit
// with a key is refused when someone else changed the value, be it only its letter case.
TEST_P(ExactRows, UndoAndEditsNeverOverwriteSomeoneElsesValue)
{
    const QString changed =
        QStringLiteral("The row was changed by someone else since it was read, so the "
                       "change was not saved. The row now shows what the database holds.");
    const QString undoRefused =
        QStringLiteral("The row was changed by someone else since it was read, so Undo "
                       "did not restore the value. The row shows what the database "
                       "holds.");
    // clang-format off
    struct { const char* mine; const char* theirs; bool undo; QStringList messages; const char* held; } cases[] = {
        // Refused over their value; Undo then leaves their value too.
        {"mine", "theirs", true, {changed, undoRefused}, "theirs"},
        // Only the case differs: still their value.
        {"mine", "HERBERT", false, {changed}, "HERBERT"},
        // Written by this program, then changed by someone else: Undo is refused.
        {nullptr, "later", true, {undoRefused}, "later"},
    };
    // clang-format on
    for (const auto& t : cases) {
        SCOPED_TRACE(t.theirs);
        database().run({QStringLiteral("UPDATE books SET author = 'Herbert' WHERE id = 1")});
        auto model = openWritable(QStringLiteral("SELECT id, author FROM books ORDER BY id"));
        const QModelIndex author = model->index(0, 1);
        if (!t.mine) {
            ASSERT_TRUE(model->setData(author, QStringLiteral("written")));
        }
        database().run({QStringLiteral("UPDATE books SET author = '%1' WHERE id = 1").arg(t.theirs)});

        if (t.mine) {
            EXPECT_FALSE(model->setData(author, QString::fromUtf8(t.mine)));
        }
        if (t.undo) {
            EXPECT_FALSE(model->restoreFetched(author));
        }

        EXPECT_EQ(dialogs_.takeMessages(), t.messages);
        EXPECT_EQ(database().rows(QStringLiteral("SELECT author FROM books WHERE id = 1")),
                  QStringList{QString::fromUtf8(t.held)});
    }
}

// A direct-edit batch runs to its end before the grid is used: the later statements' changes are
// in the database, the connection is free for the grid's writes, and a later statement's error
// is the run's error.
TEST_P(ExactRows, TheRestOfADirectEditBatchRunsBeforeTheGridWrites)
{
    database().run({QStringLiteral("CREATE TABLE counter (id INT PRIMARY KEY, n INT)"),
                    QStringLiteral("INSERT INTO counter VALUES (1, 0)")});
    auto connection = database().connect();
    db::Recordset set;
    set.CursorLocation = db::adUseClient;
    set.Open(QStringLiteral("SELECT id, n FROM counter; UPDATE counter SET n = n + 1"), *connection,
             db::adOpenDynamic, db::adLockOptimistic);
    set.runRestOfBatch();
    EXPECT_EQ(database().rows(QStringLiteral("SELECT n FROM counter")), QStringList{QStringLiteral("1")});

    // The grid shows what the first statement read, and names the row by it.
    set.MoveFirst();
    results::RecordsetModel model(std::move(set));
    model.setAllowUpdate(true);
    EXPECT_FALSE(model.setData(model.index(0, 1), QStringLiteral("5")));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("1"));
    EXPECT_TRUE(model.setData(model.index(0, 1), QStringLiteral("5")));
    EXPECT_EQ(database().rows(QStringLiteral("SELECT n FROM counter")), QStringList{QStringLiteral("5")});
    dialogs_.take();

    // The engine reports the error when it reaches it: at the open (ODBC) or at the run of the rest.
    db::Recordset failing;
    failing.CursorLocation = db::adUseClient;
    EXPECT_THROW(
        {
            failing.Open(QStringLiteral("SELECT id, n FROM counter; UPDATE no_such_table SET n = 1"),
                         *connection, db::adOpenDynamic, db::adLockOptimistic);
            failing.runRestOfBatch();
        },
        db::Error);
}

INSTANTIATE_TEST_SUITE_P(Engines, ExactRows, kEveryEngine, kindName);

// SQLite keeps a storage class per value: a row is named by the value as stored (an integer in
// a column declared without a type, a real whose text rounds it), and a number typed into such
// a column is stored as a number.
TEST(SqliteValues, RowsAreNamedByTheStoredValueAndNumbersStayNumbers)
{
    Database database(Kind::SQLite);
    ASSERT_TRUE(database.unavailable().isEmpty());
    database.run(
        {QStringLiteral("CREATE TABLE u (a, b)"), QStringLiteral("INSERT INTO u VALUES (1, 'x')"),
         QStringLiteral("INSERT INTO u VALUES (1.0, 'x')"), QStringLiteral("CREATE TABLE m (v REAL)"),
         QStringLiteral("INSERT INTO m VALUES (0.1 + 0.2)"), QStringLiteral("INSERT INTO m VALUES (0.3)")});
    qvtest::ScriptedDialogs dialogs;

    // 1 = 1.0 in SQLite: the edits go to the real shown first, not to the integer row before it.
    auto u = openModel(database, QStringLiteral("SELECT a, b FROM u ORDER BY typeof(a) DESC"));
    u->setAllowUpdate(true);
    EXPECT_TRUE(u->setData(u->index(0, 1), QStringLiteral("y")));
    EXPECT_TRUE(u->setData(u->index(0, 0), QStringLiteral("42")));
    EXPECT_TRUE(u->setData(u->index(0, 1), QStringLiteral("2.5")));
    EXPECT_EQ(database.rows(QStringLiteral("SELECT typeof(a), a, typeof(b), b FROM u ORDER BY rowid")),
              (QStringList{QStringLiteral("integer|1|text|x"), QStringLiteral("integer|42|real|2.5")}));

    // Both rows show 0.3; the edit goes to the one shown, and Undo finds the 7 it wrote.
    auto m = openModel(database, QStringLiteral("SELECT v FROM m ORDER BY v DESC"));
    m->setAllowUpdate(true);
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), m->data(m->index(1, 0)).toString());
    EXPECT_TRUE(m->setData(m->index(0, 0), QStringLiteral("7")));
    EXPECT_EQ(database.rows(QStringLiteral("SELECT v = 0.3 FROM m ORDER BY v")),
              (QStringList{QStringLiteral("1"), QStringLiteral("0")}));
    EXPECT_TRUE(m->restoreFetched(m->index(0, 0)));
    EXPECT_EQ(database.rows(QStringLiteral("SELECT v = 0.1 + 0.2, v = 0.3 FROM m ORDER BY v DESC")),
              (QStringList{QStringLiteral("1|0"), QStringLiteral("0|1")}));
    EXPECT_TRUE(dialogs.take().isEmpty());
}

} // namespace
} // namespace detest
