// Edits and deletes that reach the database, on every engine: what the grid writes, what it
// shows afterwards, and the fetched values it keeps for Undo.
#include "tests/support/DirectEditFixture.h"

namespace detest {
namespace {

using Writes = DirectEditTest;

TEST_P(Writes, EditsAndDeletesReachTheDatabaseOnlyAndTheCellShowsWhatItHolds)
{
    auto model = openWritable(QStringLiteral("SELECT id, title, author, pages FROM books ORDER BY id"));
    ASSERT_EQ(model->rowCount(), 3);

    EXPECT_TRUE(model->setData(model->index(1, 2), QStringLiteral("Austen")));
    // An integer column stores "0099" as 99; the grid shows what was stored, not what was typed.
    EXPECT_TRUE(model->setData(model->index(0, 3), QStringLiteral("0099")));
    EXPECT_EQ(model->data(model->index(0, 3)).toString(), QStringLiteral("99"));
    EXPECT_EQ(database().rows(QStringLiteral("SELECT id, title, author, pages FROM books ORDER BY id")),
              (QStringList{QStringLiteral("1|Dune|Herbert|99"), QStringLiteral("2|Emma|Austen|474"),
                           QStringLiteral("3|Ulysses|Joyce|<null>")}));
    // A second edit of the same row is named by what the database now holds.
    EXPECT_TRUE(model->setData(model->index(0, 3), QStringLiteral("100")));
    EXPECT_EQ(database().rows(QStringLiteral("SELECT pages FROM books WHERE id = 1")),
              QStringList{QStringLiteral("100")});

    EXPECT_TRUE(model->removeRows(1, 1));
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->data(model->index(1, 1)).toString(), QStringLiteral("Ulysses"));
    EXPECT_EQ(database().rows(QStringLiteral("SELECT id FROM books ORDER BY id")),
              (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_TRUE(dialogs_.take().isEmpty());
}

TEST_P(Writes, NullIsWrittenAndMatched)
{
    auto model = openWritable(QStringLiteral("SELECT id, author, pages FROM books ORDER BY id"));

    // Row 3 has no pages: writing into it compares the NULL it holds.
    EXPECT_TRUE(model->setData(model->index(2, 2), QStringLiteral("730")));
    // A null value, and an empty text in a number column, both write NULL.
    EXPECT_TRUE(model->setData(model->index(0, 1), QVariant()));
    EXPECT_TRUE(model->setData(model->index(1, 2), QString()));

    EXPECT_EQ(database().rows(QStringLiteral("SELECT id, author, pages FROM books ORDER BY id")),
              (QStringList{QStringLiteral("1|<null>|412"), QStringLiteral("2|<null>|<null>"),
                           QStringLiteral("3|Joyce|730")}));
    EXPECT_TRUE(model->data(model->index(0, 1)).isNull());
    EXPECT_TRUE(dialogs_.take().isEmpty());
}

TEST_P(Writes, AnEditOfTheKeyMovesTheRowAndLaterEditsFollowIt)
{
    auto model = openWritable(QStringLiteral("SELECT id, title FROM books ORDER BY id"));

    EXPECT_TRUE(model->setData(model->index(0, 0), QStringLiteral("10")));
    EXPECT_TRUE(model->setData(model->index(0, 1), QStringLiteral("Dune Messiah")));

    EXPECT_EQ(database().rows(QStringLiteral("SELECT id, title FROM books ORDER BY id")),
              (QStringList{QStringLiteral("2|Emma"), QStringLiteral("3|Ulysses"),
                           QStringLiteral("10|Dune Messiah")}));
}

TEST_P(Writes, RestoringTheFetchedValueWritesItBack)
{
    auto model = openWritable(QStringLiteral("SELECT id, title, author FROM books ORDER BY id"));
    ASSERT_TRUE(model->setData(model->index(0, 1), QStringLiteral("Children of Dune")));
    ASSERT_TRUE(model->setData(model->index(0, 1), QStringLiteral("Chapterhouse")));
    ASSERT_TRUE(model->setData(model->index(1, 2), QStringLiteral("Austen")));

    // The fetched value, whatever came in between; a fetched NULL goes back as NULL.
    EXPECT_EQ(model->fetchedValue(model->index(0, 1)).toString(), QStringLiteral("Dune"));
    EXPECT_TRUE(model->restoreFetched(model->index(0, 1)));
    EXPECT_TRUE(model->restoreFetched(model->index(1, 2)));

    EXPECT_EQ(
        database().rows(QStringLiteral("SELECT title, author FROM books WHERE id IN (1, 2) ORDER BY id")),
        (QStringList{QStringLiteral("Dune|Herbert"), QStringLiteral("Emma|<null>")}));
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), QStringLiteral("Dune"));
    EXPECT_TRUE(model->data(model->index(1, 2)).isNull());
}

TEST_P(Writes, TwoIdenticalRowsWithoutAKeyOneEditChangesOne)
{
    auto model = openWritable(QStringLiteral("SELECT word, n FROM tally ORDER BY word DESC"));
    ASSERT_EQ(model->data(model->index(1, 0)).toString(), QStringLiteral("same"));

    EXPECT_TRUE(model->setData(model->index(1, 1), QStringLiteral("5")));
    EXPECT_TRUE(dialogs_.take().isEmpty());
    EXPECT_EQ(database().rows(QStringLiteral("SELECT word, n FROM tally ORDER BY word, n")),
              (QStringList{QStringLiteral("other|2"), QStringLiteral("same|1"), QStringLiteral("same|5")}));

    // The other one is still there to be deleted, on its own.
    EXPECT_TRUE(model->removeRows(0, 1));
    EXPECT_EQ(database().rows(QStringLiteral("SELECT word, n FROM tally ORDER BY word, n")),
              (QStringList{QStringLiteral("other|2"), QStringLiteral("same|5")}));
}

INSTANTIATE_TEST_SUITE_P(Engines, Writes, kEveryEngine, kindName);

// Bytes are shown in hexadecimal: such a cell is not written (typing "FF" would store the text's
// bytes), and a row without a key is found by its bytes. SQL Server has no such comparison here.
using BinaryCells = DirectEditTest;

TEST_P(BinaryCells, AreNotWrittenButFindTheirRow)
{
    const bool pg = GetParam() == Kind::PostgreSql;
    database().run({QStringLiteral("CREATE TABLE bytes (b %1, name VARCHAR(10))")
                        .arg(pg ? QStringLiteral("bytea") : QStringLiteral("VARBINARY(4)")),
                    pg ? QStringLiteral("INSERT INTO bytes VALUES ('\\x00ff', 'same'), ('\\x00fe', 'same')")
                       : QStringLiteral("INSERT INTO bytes VALUES (x'00FF', 'same'), (x'00FE', 'same')")});
    auto model = openWritable(QStringLiteral("SELECT b, name FROM bytes ORDER BY b"));
    const QString hexOrder = QStringLiteral("SELECT b, name FROM bytes ORDER BY b");

    EXPECT_FALSE(model->setData(model->index(0, 0), QStringLiteral("FF")));
    const QStringList told = dialogs_.takeMessages();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("holds binary data"))) << told[0].toStdString();

    EXPECT_TRUE(model->setData(model->index(0, 1), QStringLiteral("changed")));
    EXPECT_TRUE(dialogs_.take().isEmpty());
    EXPECT_EQ(database().rows(hexOrder),
              (QStringList{QStringLiteral("00FE|changed"), QStringLiteral("00FF|same")}));
}

INSTANTIATE_TEST_SUITE_P(Engines, BinaryCells,
                         ::testing::Values(Kind::SQLite, Kind::MariaDb, Kind::MariaDbOdbc, Kind::PostgreSql),
                         kindName);

} // namespace
} // namespace detest
