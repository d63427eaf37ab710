// The SQL Server type end to end: the program's own connection string, the provider map, the
// real FreeTDS driver and our SQL Server test server on loopback.
#include "query/ConnectionSettings.h"
#include "query/db/Connection.h"
#include "query/db/Recordset.h"
#include "tests/support/TdsServer.h"

#include <QTcpServer>
#include <gtest/gtest.h>
#include <memory>

namespace {

class SqlServerLayer : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (qvtest::sharedTdsServer())
            return;
        // Run on its own (outside the test command): start a private server.
        privateServer = std::make_unique<qvtest::TdsServer>();
    }
    static void TearDownTestSuite() { privateServer.reset(); }

    void SetUp() override
    {
        if (auto shared = qvtest::sharedTdsServer()) {
            server = *shared;
            return;
        }
        if (!privateServer || !privateServer->started()) {
            const std::string why = privateServer ? privateServer->error().toStdString() : "not started";
            if (qvtest::underCi())
                FAIL() << "SQL Server test server: " << why;
            GTEST_SKIP() << "SQL Server test server: " << why;
        }
        server = privateServer->endpoint();
    }

    // The connection string the main window builds for the type "SQL".
    QString sqlString(const QString& password, const QString& database, const QString& location) const
    {
        query::ConnectionFields fields;
        fields.type = QStringLiteral("SQL");
        fields.user = server.user;
        fields.password = password;
        fields.databaseName = database;
        fields.location = location;
        return query::connectionSettings(fields).connectionString;
    }

    void open(db::Connection& c) { c.Open(sqlString(server.password, server.database, server.location())); }

    db::Error openFailure(const QString& connectionString)
    {
        db::Connection c;
        try {
            c.Open(connectionString);
        } catch (const db::Error& e) {
            return e;
        }
        ADD_FAILURE() << "the connection opened";
        return db::Error(0, QStringLiteral("no error"));
    }

    static std::unique_ptr<qvtest::TdsServer> privateServer;
    qvtest::TdsEndpoint server;
};

std::unique_ptr<qvtest::TdsServer> SqlServerLayer::privateServer;

TEST_F(SqlServerLayer, TheProgramsStringRunsAQueryAndABatchWithItsRowCount)
{
    ASSERT_EQ(sqlString("pw", "db", "127.0.0.1,1433"),
              "Provider=SQLOLEDB.1;User ID=" + server.user +
                  ";pwd=pw;Initial Catalog=db;Data Source=127.0.0.1,1433");
    db::Connection c;
    open(c);
    ASSERT_EQ(c.State(), 1);
    c.Execute("create table layer_people (id int primary key, name nvarchar(50) null)");
    c.Execute("insert into layer_people values (1, N'Ann')");

    db::Recordset rs = c.Execute("select id, name from [dbo].[layer_people]");
    ASSERT_EQ(rs.State(), 1);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields().Item("ID").Value().toString(), "1");
    EXPECT_EQ(rs.Fields().Item("Name").Value().toString(), "Ann");
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    rs.Close();

    // An insert with the row-count query behind it: first the count-only result, then the row.
    db::Recordset inserted = c.Execute("INSERT into layer_people values (2, N'Bo')\r\n"
                                       " select @@RowCount as 'Affected Rows' ");
    EXPECT_EQ(inserted.State(), 0);
    db::Recordset count = inserted.NextRecordset();
    ASSERT_EQ(count.State(), 1);
    ASSERT_EQ(count.Fields().Count(), 1);
    EXPECT_EQ(count.Fields().Item(0).Name(), "Affected Rows");
    EXPECT_EQ(count.Fields().Item(0).Value().toString(), "1");
}

TEST_F(SqlServerLayer, AClientSideSetFindsTheKeyColumnsOfItsTable)
{
    db::Connection c;
    open(c);
    c.Execute("create table layer_keys (region nvarchar(10), code int, label nvarchar(20), "
              "primary key (region, code))");
    c.Execute("insert into layer_keys values (N'north', 1, N'one')");

    db::Recordset rs;
    rs.CursorLocation = db::adUseClient;
    rs.Open("select label, code, region from layer_keys", c, db::adOpenDynamic, db::adLockOptimistic);
    ASSERT_EQ(rs.RecordCount(), 1);
    const db::ClientCursor* cursor = rs.clientCursor();
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->column(0).baseTable.toLower(), "layer_keys");
    EXPECT_EQ(cursor->column(0).keyColumns, QStringList({"region", "code"}));
}

TEST_F(SqlServerLayer, FailuresCarryTheClassicNumbers)
{
    const db::Error refused = openFailure(sqlString("wrong", server.database, server.location()));
    EXPECT_EQ(refused.number, -2147217843);
    EXPECT_TRUE(refused.description.contains("Login failed")) << refused.description.toStdString();

    const db::Error unknownDatabase =
        openFailure(sqlString(server.password, "no_such_db", server.location()));
    EXPECT_EQ(unknownDatabase.number, -2147467259);
    EXPECT_TRUE(unknownDatabase.description.contains("no_such_db"))
        << unknownDatabase.description.toStdString();

    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString closed = QStringLiteral("127.0.0.1,%1").arg(probe.serverPort());
    probe.close();
    const db::Error unreachable = openFailure(sqlString(server.password, server.database, closed));
    EXPECT_EQ(unreachable.number, -2147467259);

    db::Connection c;
    open(c);
    try {
        c.Execute("select * from no_such_table_here");
        ADD_FAILURE() << "a missing table was accepted";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.number, -2147217900);
        EXPECT_TRUE(e.description.contains("Invalid object name")) << e.description.toStdString();
    }
}

} // namespace
