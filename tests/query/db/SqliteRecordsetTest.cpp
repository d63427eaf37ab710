// The data objects (Connection, Recordset, Fields, Command) on real SQLite files: forward
// reading, batches, closed results, nulls, errors and their numbers (text fidelity on every
// engine: tests/results/directedit/ValuesTest.cpp).
#include "query/db/Command.h"
#include "query/db/Connection.h"
#include "query/db/Recordset.h"
#include "tests/query/db/QtPrinters.h"
#include "tests/support/EngineDatabase.h"
#include "tests/support/OdbcTestSupport.h"
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
        path = files.create(QStringLiteral("library.sqlite"), kLibrarySql);
        conn.ConnectionString = SqliteFiles::connectionString(path);
        conn.Open();
    }

    SqliteFiles files;
    QString path;
    db::Connection conn;
};

TEST_F(SqliteData, AnEmptyResultIsAtEofAtOnceAndReadingAFieldThereFails)
{
    db::Recordset empty = conn.Execute(QStringLiteral("SELECT * FROM books WHERE id > 100"));
    EXPECT_EQ(empty.State(), db::adStateOpen);
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.Fields().Count(), 4);

    db::Recordset rs = conn.Execute(QStringLiteral("SELECT title FROM books WHERE id = 1"));
    rs.MoveNext();
    ASSERT_TRUE(rs.Eof());
    const db::Error atEnd = errorOf([&] { rs.Fields().Item(0).Value(); });
    EXPECT_EQ(atEnd.number, kUnreachable);
    EXPECT_TRUE(atEnd.description.contains(QStringLiteral("EOF")));
    EXPECT_THROW(rs.cellUtf8(0), db::Error);
    EXPECT_THROW(rs.MoveNext(), db::Error);
    // The name is still there: only the value needs a record.
    EXPECT_EQ(rs.Fields().Item(0).Name(), QStringLiteral("title"));
}

// A forward set knows no count and cannot go back; a client-side set can do both.
TEST_F(SqliteData, OnlyAClientSideSetKnowsItsCountAndMovesBackToItsFirstRecord)
{
    db::Recordset forward = conn.Execute(QStringLiteral("SELECT id FROM books ORDER BY id"));
    EXPECT_EQ(forward.RecordCount(), -1);
    forward.MoveFirst(); // not moved yet: nothing to do
    forward.MoveNext();
    EXPECT_THROW(forward.MoveFirst(), db::Error);

    db::Recordset client;
    client.CursorLocation = db::adUseClient;
    client.Open(QStringLiteral("SELECT id FROM books ORDER BY id"), conn, db::adOpenDynamic,
                db::adLockOptimistic);
    EXPECT_EQ(client.RecordCount(), 3);
    EXPECT_EQ(detest::Database::rowsOf(client).size(), 3);
    client.MoveFirst();
    EXPECT_EQ(client.Fields().Item(0).Value().toString(), QStringLiteral("1"));
}

TEST_F(SqliteData, AStatementWithoutRowsGivesAClosedResult)
{
    db::Recordset rs = conn.Execute(QStringLiteral("UPDATE books SET price = price + 1 WHERE id = 1"));
    EXPECT_EQ(rs.State(), db::adStateClosed);
    EXPECT_EQ(rs.Fields().Count(), 0);
    // Reading a closed result fails as soon as its end is tested.
    EXPECT_THROW(rs.Eof(), db::Error);
    EXPECT_THROW(rs.RecordCount(), db::Error);
    EXPECT_EQ(SqliteFiles::scalar(path, "SELECT price FROM books WHERE id = 1"), QStringLiteral("10.5"));
}

TEST_F(SqliteData, AClientSideBatchReadsEachResultWhole)
{
    db::Recordset rs;
    rs.CursorLocation = db::adUseClient;
    rs.Open(QStringLiteral("SELECT id FROM books; SELECT body FROM notes"), conn);
    EXPECT_EQ(rs.RecordCount(), 3);
    rs = rs.NextRecordset();
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields().Item(0).Value().toString(), QStringLiteral("first"));
}

TEST_F(SqliteData, TheRestOfABatchStillRunsWhenItsResultsAreNotRead)
{
    db::Recordset rs = conn.Execute(QStringLiteral("SELECT id FROM books; "
                                                   "INSERT INTO notes VALUES ('second', NULL); "
                                                   "INSERT INTO notes VALUES ('third', NULL)"));
    EXPECT_EQ(rs.Fields().Item(0).Value().toString(), QStringLiteral("1"));
    rs.Close();
    EXPECT_EQ(SqliteFiles::scalar(path, "SELECT group_concat(body) FROM notes"),
              QStringLiteral("first,second,third"));
}

TEST_F(SqliteData, AnErrorInTheStatementsBeforeTheFirstRowsIsReportedByExecute)
{
    const db::Error e = errorOf([&] {
        conn.Execute(
            QStringLiteral("INSERT INTO notes VALUES ('kept', NULL); INSERT INTO nowhere VALUES (1); "
                           "SELECT 1"));
    });
    EXPECT_EQ(e.number, kRejected);
    EXPECT_EQ(e.description, QStringLiteral("no such table: nowhere"));
    // What ran before the failing statement stays done, as on a server.
    EXPECT_EQ(SqliteFiles::scalar(path, "SELECT count(*) FROM notes WHERE body = 'kept'"),
              QStringLiteral("1"));
}

TEST_F(SqliteData, AFailureWhileRunningIsNotARejectedCommand)
{
    const db::Error e =
        errorOf([&] { conn.Execute(QStringLiteral("INSERT INTO books VALUES (1, 'again', NULL, NULL)")); });
    EXPECT_EQ(e.number, kUnreachable);
    EXPECT_EQ(e.sqlState, QStringLiteral("23000"));
    EXPECT_TRUE(e.description.contains(QStringLiteral("UNIQUE constraint failed: books.id")))
        << e.description.toStdString();
}

TEST_F(SqliteData, AFileThatIsNoDatabaseFailsAtOpenWithItsPath)
{
    const QString bogus = files.path(QStringLiteral("bogus.sqlite"));
    QFile f(bogus);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    db::Connection other;
    const db::Error e = errorOf([&] { other.Open(SqliteFiles::connectionString(bogus)); });
    EXPECT_EQ(e.number, kUnreachable);
    EXPECT_TRUE(e.description.contains(bogus));
    EXPECT_TRUE(e.description.contains(QStringLiteral("not a database")));
}

TEST_F(SqliteData, TheConnectionOpensAndClosesAndRefusesWorkWhenClosed)
{
    db::Connection other;
    EXPECT_EQ(other.State(), db::adStateClosed);
    EXPECT_THROW(other.Execute(QStringLiteral("SELECT 1")), db::Error);
    other.Provider = QStringLiteral("SQLite");
    other.ConnectionString = QStringLiteral("Data Source=") + path;
    other.Open();
    EXPECT_EQ(other.State(), db::adStateOpen);
    EXPECT_THROW(other.Open(), db::Error);

    // A set that is still being read keeps its engine when the connection is released.
    db::Recordset rs = other.Execute(QStringLiteral("SELECT id FROM books ORDER BY id"));
    other.Close();
    EXPECT_EQ(other.State(), db::adStateClosed);
    EXPECT_EQ(detest::Database::rowsOf(rs).size(), 3);
}

TEST_F(SqliteData, ARecordsetOpenedWithAConnectionStringHasAConnectionOfItsOwn)
{
    // A temporary table lives only in the connection that made it.
    db::Recordset(
        conn.Execute(QStringLiteral("CREATE TEMP TABLE mine (x TEXT); INSERT INTO mine VALUES ('here')")))
        .Close();

    db::Recordset shared;
    shared.Open(QStringLiteral("SELECT x FROM mine"), conn);
    EXPECT_EQ(shared.Fields().Item(0).Value().toString(), QStringLiteral("here"));

    db::Recordset own;
    const db::Error e =
        errorOf([&] { own.Open(QStringLiteral("SELECT x FROM mine"), SqliteFiles::connectionString(path)); });
    EXPECT_EQ(e.description, QStringLiteral("no such table: mine"));

    own.Open(QStringLiteral("SELECT title FROM books WHERE id = 2"), SqliteFiles::connectionString(path));
    EXPECT_EQ(own.Fields().Item(0).Value().toString(), QStringLiteral("Emma"));
    EXPECT_NE(own.backendConnection(), conn.backend());
}

TEST_F(SqliteData, ACommandIsASourceOpenedKeysetReadOnly)
{
    db::Command cmd;
    cmd.ActiveConnection = &conn;
    cmd.CommandText = QStringLiteral("SELECT reader, book FROM loans");
    db::Recordset rs;
    rs.Open(cmd, db::adOpenKeyset, db::adLockReadOnly);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields().Item(QStringLiteral("READER")).Value().toString(), QStringLiteral("ann"));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());

    db::Command unbound;
    unbound.CommandText = QStringLiteral("SELECT 1");
    db::Recordset none;
    EXPECT_THROW(none.Open(unbound), db::Error);
}

TEST_F(SqliteData, AnOpenRecordsetCannotBeOpenedAgainUntilClosed)
{
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT 1"), conn);
    EXPECT_THROW(rs.Open(QStringLiteral("SELECT 2"), conn), db::Error);
    rs.Close();
    rs.Close();
    EXPECT_EQ(rs.State(), db::adStateClosed);
    rs.Open(QStringLiteral("SELECT 2"), conn);
    EXPECT_EQ(rs.Fields().Item(0).Value().toString(), QStringLiteral("2"));
}

} // namespace
