// Writes the grid refuses, one row or nothing: a row someone else changed or deleted, rows that
// cannot be told apart, a result that is not one table, a value the database does not take.
// Each refusal is one message, the database keeps what it had and the cell what it showed.
#include "tests/support/DirectEditFixture.h"

namespace detest {
namespace {

using OneRowOrNothing = DirectEditTest;

// Someone else changes or deletes the row between the fetch and the grid's write: an edit (of
// column c) or a delete (c = -1) is refused, the database keeps the other connection's work and the
// cell shows what the database holds. Each case runs on what the cases before it left.
TEST_P(OneRowOrNothing, AWriteToARowChangedOrDeletedMeanwhileIsRefused)
{
    // clang-format off
    struct {
        const char *select, *otherConnection;
        int r, c;
        const char *value, *message, *check;
        QStringList held;
        const char *shown, *heldAfterRetry; // a retry of the edit starts from the value shown
    } cases[] = {
        // Without the key in the result, the row is named by every value shown.
        {"SELECT title, pages FROM books ORDER BY id", "UPDATE books SET pages = 500 WHERE id = 2", 1, -1, "",
         "The row was changed or deleted by someone else since it was read, so it was not deleted. "
         "Run the query again to see the data as it is now.",
         "SELECT count(*) FROM books", {"3"}, "", ""},
        {"SELECT id, title, author FROM books ORDER BY id",
         "UPDATE books SET author = 'Frank Herbert' WHERE id = 1", 0, 2, "F. Herbert",
         "The row was changed by someone else since it was read, so the change was not saved. "
         "The row now shows what the database holds.",
         "SELECT author FROM books WHERE id = 1", {"Frank Herbert"}, "Frank Herbert", "F. Herbert"},
        {"SELECT id, title FROM books ORDER BY id", "DELETE FROM books WHERE id = 2", 1, 1, "Persuasion",
         "The row was changed or deleted by someone else since it was read, so the change was not saved. "
         "Run the query again to see the data as it is now.",
         "SELECT id, title FROM books ORDER BY id", {"1|Dune", "3|Ulysses"}, "Emma", ""},
    };
    // clang-format on
    for (const auto& t : cases) {
        SCOPED_TRACE(t.otherConnection);
        auto model = openWritable(QString::fromUtf8(t.select));
        database().run({QString::fromUtf8(t.otherConnection)});
        const QString value = QString::fromUtf8(t.value);

        if (t.c < 0) {
            EXPECT_FALSE(model->removeRows(t.r, 1));
            EXPECT_EQ(model->rowCount(), 3);
        } else {
            EXPECT_FALSE(model->setData(model->index(t.r, t.c), value));
            EXPECT_EQ(model->data(model->index(t.r, t.c)).toString(), QString::fromUtf8(t.shown));
        }
        EXPECT_EQ(dialogs_.takeMessages(), QStringList{QString::fromUtf8(t.message)});
        EXPECT_EQ(database().rows(QString::fromUtf8(t.check)), t.held);

        if (*t.heldAfterRetry) {
            EXPECT_TRUE(model->setData(model->index(t.r, t.c), value));
            EXPECT_EQ(database().rows(QString::fromUtf8(t.check)),
                      QStringList{QString::fromUtf8(t.heldAfterRetry)});
        }
    }
}

TEST_P(OneRowOrNothing, RowsThatCannotBeToldApartAreNotChanged)
{
    // Two rows show "same"; the result hides the column that might tell them apart.
    auto model = openWritable(QStringLiteral("SELECT word FROM tally ORDER BY word DESC"));

    EXPECT_FALSE(model->setData(model->index(0, 0), QStringLiteral("changed")));
    EXPECT_FALSE(model->removeRows(0, 1));

    EXPECT_EQ(
        dialogs_.takeMessages(),
        (QStringList{QStringLiteral("2 rows of the table tally hold the values of this row and the table "
                                    "has no key to tell them apart, so the change was not saved."),
                     QStringLiteral("2 rows of the table tally hold the values of this row and the table "
                                    "has no key to tell them apart, so it was not deleted.")}));
    EXPECT_EQ(database().rows(QStringLiteral("SELECT word, n FROM tally ORDER BY word, n")),
              (QStringList{QStringLiteral("other|2"), QStringLiteral("same|1"), QStringLiteral("same|1")}));
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), QStringLiteral("same"));
}

// Rows no key tells apart: on a MariaDB table without transactions nothing can be rolled back,
// so nothing may be written before the rows are known to be one; a SQLite key that is not the
// rowid may hold NULL twice, so a write that reached both rows is rolled back.
TEST(OneRowOrNothingBeyondTheKey, RowsThatCannotBeToldApartAreNotChanged)
{
    // clang-format off
    struct { Kind kind; const char *create, *select; } cases[] = {
        {Kind::MariaDb, "CREATE TABLE plain (word VARCHAR(20), n INT) ENGINE=MyISAM", "SELECT word FROM plain ORDER BY n"},
        {Kind::SQLite, "CREATE TABLE plain (word VARCHAR(20), n INT PRIMARY KEY)", "SELECT word, n FROM plain ORDER BY n"},
    };
    // clang-format on
    for (const auto& t : cases) {
        Database database(t.kind);
        if (!database.unavailable().isEmpty()) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                FAIL() << database.unavailable().toStdString();
            GTEST_SKIP() << database.unavailable().toStdString();
        }
        SCOPED_TRACE(t.create);
        database.run(
            {QString::fromUtf8(t.create),
             QStringLiteral("INSERT INTO plain VALUES ('same', NULL), ('same', NULL), ('alone', 3)")});
        qvtest::ScriptedDialogs dialogs;
        auto model = openModel(database, QString::fromUtf8(t.select));
        model->setAllowUpdate(true);
        model->setAllowDelete(true);

        EXPECT_FALSE(model->setData(model->index(0, 0), QStringLiteral("changed")));
        EXPECT_FALSE(model->removeRows(1, 1));
        EXPECT_TRUE(model->setData(model->index(2, 0), QStringLiteral("single")));

        EXPECT_EQ(dialogs.takeMessages().size(), 2);
        EXPECT_EQ(database.rows(QStringLiteral("SELECT word FROM plain ORDER BY n")),
                  (QStringList{QStringLiteral("same"), QStringLiteral("same"), QStringLiteral("single")}));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, OneRowOrNothing, kEveryEngine, kindName);

using NotOneTable = DirectEditTest;

TEST_P(NotOneTable, AJoinsColumnsAreNotChanged)
{
    auto model = openWritable(QStringLiteral(
        "SELECT books.title, loans.reader FROM books INNER JOIN loans ON loans.book = books.id"));
    ASSERT_EQ(model->rowCount(), 1);

    EXPECT_FALSE(model->setData(model->index(0, 1), QStringLiteral("bob")));
    EXPECT_FALSE(model->removeRows(0, 1));

    // SQLite and MariaDB name each column's table; FreeTDS names none, and the query text names two.
    const QString message =
        GetParam() == Kind::SqlServer
            ? QStringLiteral(
                  "This result does not come from a single table, so it cannot be changed in the data "
                  "grid.")
            : QStringLiteral(
                  "This result comes from more than one table (books, loans), so it cannot be changed "
                  "in the data grid.");
    EXPECT_EQ(dialogs_.takeMessages(), (QStringList{message, message}));
    EXPECT_EQ(database().rows(QStringLiteral("SELECT reader FROM loans")),
              QStringList{QStringLiteral("ann")});
    EXPECT_EQ(database().rows(QStringLiteral("SELECT count(*) FROM books")),
              QStringList{QStringLiteral("3")});
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), QStringLiteral("ann"));
}

TEST_P(NotOneTable, ACalculatedColumnIsNotChangedButTheTablesColumnsAre)
{
    auto model =
        openWritable(QStringLiteral("SELECT id, pages + 1 AS next_page, title FROM books ORDER BY id"));

    EXPECT_FALSE(model->setData(model->index(0, 1), QStringLiteral("7")));
    EXPECT_EQ(
        dialogs_.takeMessages(),
        QStringList{QStringLiteral("The column next_page is calculated by the query, not taken from the "
                                   "table books, so it cannot be changed.")});
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), QStringLiteral("413"));

    EXPECT_TRUE(model->setData(model->index(0, 2), QStringLiteral("Dune!")));
    EXPECT_EQ(database().rows(QStringLiteral("SELECT title, pages FROM books WHERE id = 1")),
              QStringList{QStringLiteral("Dune!|412")});
}

INSTANTIATE_TEST_SUITE_P(Engines, NotOneTable, kEveryEngine, kindName);

using RefusedValues = DirectEditTest;

// The database's own words for a refused value, by engine: NOT NULL, then CHECK.
QStringList refusalWords(Kind kind)
{
    switch (kind) {
    case Kind::SQLite:
        return {QStringLiteral("NOT NULL constraint failed: books.title"),
                QStringLiteral("CHECK constraint failed")};
    case Kind::MariaDb:
    case Kind::MariaDbOdbc:
        return {QStringLiteral("Column 'title' cannot be null"), QStringLiteral("native 4025")};
    case Kind::SqlServer:
        return {QStringLiteral("Cannot insert the value NULL into column 'title'"),
                QStringLiteral("native 547")};
    case Kind::PostgreSql:
        return {QStringLiteral("null value in column \"title\""),
                QStringLiteral("violates check constraint")};
    }
    return {};
}

TEST_P(RefusedValues, AValueTheColumnCannotTakeIsRefusedWithTheDatabasesMessage)
{
    auto model = openWritable(QStringLiteral("SELECT id, title, pages FROM books ORDER BY id"));
    const QStringList words = refusalWords(GetParam());

    EXPECT_FALSE(model->setData(model->index(0, 1), QVariant()));
    EXPECT_FALSE(model->setData(model->index(1, 2), QStringLiteral("-3")));

    const QStringList messages = dialogs_.takeMessages();
    ASSERT_EQ(messages.size(), 2);
    for (int i = 0; i < 2; ++i) {
        // The program's error report: what did not happen, the error number, the database's words.
        EXPECT_TRUE(
            messages[i].startsWith(QStringLiteral("The database did not accept the change:\r\n-21474")))
            << messages[i].toStdString();
        EXPECT_TRUE(messages[i].contains(words[i])) << messages[i].toStdString();
    }
    EXPECT_EQ(
        database().rows(QStringLiteral("SELECT id, title, pages FROM books WHERE id IN (1, 2) ORDER BY id")),
        (QStringList{QStringLiteral("1|Dune|412"), QStringLiteral("2|Emma|474")}));
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), QStringLiteral("Dune"));
    EXPECT_EQ(model->data(model->index(1, 2)).toString(), QStringLiteral("474"));

    // Nothing was left half done: the next edit of the same rows goes through.
    EXPECT_TRUE(model->setData(model->index(0, 1), QStringLiteral("Dune II")));
    EXPECT_EQ(database().rows(QStringLiteral("SELECT title FROM books WHERE id = 1")),
              QStringList{QStringLiteral("Dune II")});
}

INSTANTIATE_TEST_SUITE_P(Engines, RefusedValues, kEveryEngine, kindName);

} // namespace
} // namespace detest
