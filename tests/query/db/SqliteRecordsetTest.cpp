// The data objects (Connection, Recordset, Fields, Command) on real SQLite files: forward
// reading, batches, closed results, nulls, errors and their numbers (text fidelity on every
// engine: tests/results/directedit/ValuesTest.cpp).
#include "query/db/Command.h"
#include "query/db/Connection.h"
#include "query/db/Recordset.h"
#include "tests/support/EngineDatabase.h"
#include "tests/support/FileBytes.h"
#include "tests/support/OdbcTestSupport.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SqliteFiles.h"

#include <gtest/gtest.h>

namespace {

constexpr qint32 kUnreachable = -2147467259;
constexpr qint32 kRejected = -2147217900;

using odbctest::errorOf;

class SqliteData : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = files.create("library.sqlite", kLibrarySql);
        conn.ConnectionString = SqliteFiles::connectionString(path);
        conn.Open();
    }

    SqliteFiles files;
    QString path;
    db::Connection conn;
};

// The rest of a batch runs when its results are not read; an error before the first rows is
// reported by Execute, and what ran before it stays done, as on a server. A failure while
// running is no rejected command; a file that is no database fails at the open with its path.
TEST_F(SqliteData, BatchesRunWholeOrUpToTheirErrorAndFailuresAreUnreachable)
{
    db::Recordset rs = conn.Execute("SELECT id FROM books; "
                                    "INSERT INTO notes VALUES ('second', NULL); "
                                    "INSERT INTO notes VALUES ('third', NULL)");
    EXPECT_EQ(rs.Fields().Item(0).Value().toString(), "1");
    rs.Close();
    EXPECT_EQ(SqliteFiles::scalar(path, "SELECT group_concat(body) FROM notes"), "first,second,third");

    const db::Error e = errorOf([&] {
        conn.Execute("INSERT INTO notes VALUES ('kept', NULL); INSERT INTO nowhere VALUES (1); "
                     "SELECT 1");
    });
    EXPECT_EQ(e.number, kRejected);
    EXPECT_EQ(e.description, "no such table: nowhere");
    EXPECT_EQ(SqliteFiles::scalar(path, "SELECT count(*) FROM notes WHERE body = 'kept'"), "1");

    const db::Error twice =
        errorOf([&] { conn.Execute("INSERT INTO books VALUES (1, 'again', NULL, NULL)"); });
    EXPECT_EQ(twice.number, kUnreachable);
    EXPECT_EQ(twice.sqlState, "23000");
    EXPECT_TRUE(qvtest::containsAll(twice.description, {"UNIQUE constraint failed: books.id"}));

    const QString bogus = files.path("bogus.sqlite");
    qvtest::writeBytes(bogus, QByteArray(4096, 'x'));
    db::Connection other;
    const db::Error open = errorOf([&] { other.Open(SqliteFiles::connectionString(bogus)); });
    EXPECT_EQ(open.number, kUnreachable);
    EXPECT_TRUE(qvtest::containsAll(open.description, {bogus, "not a database"}));
}

// A connection works only while open and opens once; a recordset opened with a connection
// string has a connection of its own; one opened with a command is a keyset read-only; an open
// one cannot be opened again until closed. At the end of a result only the field names remain;
// a forward set cannot go back, a client-side set can; a statement without rows gives a closed
// result, whose end cannot even be tested. (Counts and closed results on every engine:
// EngineLayerTest.)
TEST_F(SqliteData, RecordsetsOpenOnceOnAConnectionAStringOrACommandAndEndOrCloseAsTheyMay)
{
    db::Recordset empty = conn.Execute("SELECT * FROM books WHERE id > 100");
    EXPECT_EQ(empty.State(), db::adStateOpen);
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.Fields().Count(), 4);

    db::Recordset forward = conn.Execute("SELECT title FROM books ORDER BY id");
    forward.MoveFirst(); // not moved yet: nothing to do
    forward.MoveNext();
    EXPECT_THROW(forward.MoveFirst(), db::Error);
    forward.MoveNext();
    forward.MoveNext();
    ASSERT_TRUE(forward.Eof());
    const db::Error atEnd = errorOf([&] { forward.Fields().Item(0).Value(); });
    EXPECT_EQ(atEnd.number, kUnreachable);
    EXPECT_TRUE(atEnd.description.contains("EOF"));
    EXPECT_THROW(forward.cellUtf8(0), db::Error);
    EXPECT_THROW(forward.MoveNext(), db::Error);
    EXPECT_EQ(forward.Fields().Item(0).Name(), "title");

    db::Recordset client;
    client.CursorLocation = db::adUseClient;
    client.Open("SELECT id FROM books ORDER BY id; SELECT body FROM notes", conn);
    EXPECT_EQ(detest::Database::rowsOf(client).size(), 3);
    client.MoveFirst();
    EXPECT_EQ(client.Fields().Item(0).Value().toString(), "1");
    client = client.NextRecordset(); // each result of a client-side batch is read whole
    EXPECT_EQ(client.RecordCount(), 1);
    EXPECT_EQ(client.Fields().Item(0).Value().toString(), "first");

    db::Recordset closed = conn.Execute("UPDATE books SET price = price + 1 WHERE id = 1");
    EXPECT_EQ(closed.Fields().Count(), 0);
    EXPECT_THROW(closed.Eof(), db::Error);
    EXPECT_THROW(closed.RecordCount(), db::Error);

    db::Connection other;
    EXPECT_EQ(other.State(), db::adStateClosed);
    EXPECT_THROW(other.Execute("SELECT 1"), db::Error);
    other.Provider = "SQLite";
    other.ConnectionString = "Data Source=" + path;
    other.Open();
    EXPECT_EQ(other.State(), db::adStateOpen);
    EXPECT_THROW(other.Open(), db::Error);

    // A set that is still being read keeps its engine when the connection is released.
    db::Recordset rs = other.Execute("SELECT id FROM books ORDER BY id");
    other.Close();
    EXPECT_EQ(other.State(), db::adStateClosed);
    EXPECT_EQ(detest::Database::rowsOf(rs).size(), 3);

    // A temporary table lives only in the connection that made it.
    db::Recordset(conn.Execute("CREATE TEMP TABLE mine (x TEXT); INSERT INTO mine VALUES ('here')")).Close();
    db::Recordset shared;
    shared.Open("SELECT x FROM mine", conn);
    EXPECT_EQ(shared.Fields().Item(0).Value().toString(), "here");
    EXPECT_THROW(shared.Open("SELECT 2", conn), db::Error);
    shared.Close();
    shared.Close();
    EXPECT_EQ(shared.State(), db::adStateClosed);

    db::Recordset own;
    const db::Error e = errorOf([&] { own.Open("SELECT x FROM mine", SqliteFiles::connectionString(path)); });
    EXPECT_EQ(e.description, "no such table: mine");
    own.Open("SELECT title FROM books WHERE id = 2", SqliteFiles::connectionString(path));
    EXPECT_EQ(own.Fields().Item(0).Value().toString(), "Emma");
    EXPECT_NE(own.backendConnection(), conn.backend());

    db::Command cmd;
    cmd.ActiveConnection = &conn;
    cmd.CommandText = "SELECT reader, book FROM loans";
    db::Recordset keyset;
    keyset.Open(cmd, db::adOpenKeyset, db::adLockReadOnly);
    EXPECT_EQ(keyset.RecordCount(), 1);
    EXPECT_EQ(keyset.Fields().Item("reader").Value().toString(), "ann");
    db::Command unbound;
    unbound.CommandText = "SELECT 1";
    db::Recordset none;
    EXPECT_THROW(none.Open(unbound), db::Error);
}

} // namespace
