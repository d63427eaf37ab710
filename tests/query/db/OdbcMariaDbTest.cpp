// The MySQL type against a real MariaDB server, reached with the MySQL connection string
// exactly as the program builds it, through both backends: the native one (MariaDB
// Connector/C) and the ODBC driver (MariaDB Connector/ODBC).
#include "query/ConnectionSettings.h"
#include "query/db/Connection.h"
#include "tests/support/EngineDatabase.h"
#include "tests/support/OdbcTestSupport.h"

#include <QTcpServer>
#include <QThread>

namespace {

using detest::Kind;
using odbctest::connect;
using odbctest::errorOf;
using odbctest::query;
namespace N = db::ErrorNumber;

// Each test works in a MariaDB database of its own, through the native backend or the ODBC one.
class MariaDbTest : public detest::EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure())
            return;
        f = database().fields();
        c = open();
    }
    void TearDown() override
    {
        c.reset();
        EngineTest::TearDown();
    }

    // The connection string the program builds from the connection fields, as changed.
    QString program(const std::function<void(query::ConnectionFields&)>& change = {}) const
    {
        query::ConnectionFields changed = f;
        if (change)
            change(changed);
        return query::connectionSettings(changed).connectionString;
    }
    std::unique_ptr<db::BackendConnection> open() const { return connect(program()); }

    query::ConnectionFields f;
    std::unique_ptr<db::BackendConnection> c;
};

TEST_P(MariaDbTest, ProgramStringLogsInWithPortAfterCommaOrColonAndAPasswordWithSeparatorsAndBraces)
{
    // (MariaDB's driver trims blanks around a value, braced or not: no password ends in one.)
    for (const char* host : {"127.0.0.1", "localhost"})
        c->execute(QStringLiteral("CREATE OR REPLACE USER 'semi'@'%1' IDENTIFIED BY 'p;w=1}{x'")
                       .arg(QLatin1String(host)));
    c->execute(QStringLiteral("GRANT ALL ON %1.* TO 'semi'@'127.0.0.1'").arg(f.databaseName));
    for (const QString& location : {f.location, QString(f.location).replace(u',', u':')}) {
        auto conn = connect(program([&](auto& x) {
            x.location = location;
            x.user = "semi";
            x.password = "p;w=1}{x";
        }));
        EXPECT_EQ(query(*conn, "SELECT DATABASE(), CURRENT_USER()"),
                  QStringList{f.databaseName + "|semi@127.0.0.1"})
            << location.toStdString();
    }
    for (const char* host : {"127.0.0.1", "localhost"})
        c->execute(QStringLiteral("DROP USER 'semi'@'%1'").arg(QLatin1String(host)));
}

TEST_P(MariaDbTest, ALaterStatementsErrorIsThrownByItsResultAndATooLongStringIsRefusedClearly)
{
    // MariaDB's driver runs the whole batch at execute and reports the failure there.
    const db::Error e = errorOf([&] {
        auto result = c->execute("SELECT 1; SELECT * FROM nowhere");
        odbctest::rows(*result);
        result->nextResult();
    });
    EXPECT_EQ(e.number, N::CommandRejected);
    EXPECT_EQ(e.native, 1146);

    // The driver manager counts the string in 16 bits: a longer one is refused, never cut.
    db::setNativeMySql(false); // the count is the ODBC driver manager's
    for (int length : {40117, 65817}) {
        db::Connection connection;
        connection.ConnectionString = program([&](auto& x) { x.password = QString(length, u'p'); });
        const db::Error tooLong = errorOf([&] { connection.Open(); });
        EXPECT_EQ(tooLong.number, N::Unreachable) << length;
        EXPECT_TRUE(qvtest::containsAll(tooLong.description, {"at most 32767"}));
    }
}

TEST_P(MariaDbTest, TypesReadAsText)
{
    c->execute("CREATE TABLE t (d DATE, ts DATETIME, n DECIMAL(10,3), f DOUBLE, b VARBINARY(4), "
               "big BIGINT, lb LONGBLOB)");
    c->execute("INSERT INTO t VALUES ('1981-12-12', '1974-09-21 10:20:30', -1234.5, 444.555, 0x0aff, "
               "-9223372036854775808, 0x00ff10)");
    // Binary values are shown in hexadecimal digits, as ODBC converts them to text.
    EXPECT_EQ(
        query(*c, "SELECT * FROM t"),
        QStringList{"1981-12-12|1974-09-21 10:20:30|-1234.500|444.555|0AFF|-9223372036854775808|00FF10"});
}

// Text, NULL against '' and long values on every engine: tests/results/directedit/ValuesTest.cpp.

INSTANTIATE_TEST_SUITE_P(Backends, MariaDbTest, testing::Values(Kind::MariaDb, Kind::MariaDbOdbc),
                         detest::kindName);

// --- the native backend's own: bit fields, streamed reads, Cancel -----------------------------

using NativeMariaDb = MariaDbTest;

TEST_P(NativeMariaDb, BitFieldsReadAsNumbersAndBytesAsHexadecimal)
{
    c->execute("CREATE TABLE bits (f BIT(1), w BIT(10), b BINARY(2), t TINYBLOB)");
    c->execute("INSERT INTO bits VALUES (1, b'1000000001', 0x00ff, 0x0a), (0, 0, NULL, '')");
    EXPECT_EQ(query(*c, "SELECT * FROM bits"), (QStringList{"1|513|00FF|0A", "0|0|<null>|"}));
}

TEST_P(NativeMariaDb, AStreamedReadHoldsTheConnectionAClientSideOneFreesIt)
{
    auto streamed = c->execute("SELECT seq FROM seq_1_to_3");
    ASSERT_TRUE(streamed->fetch());
    const db::Error busy = errorOf([&] { c->executeUpdate("DO ?", {QStringLiteral("1")}); });
    EXPECT_TRUE(busy.description.contains(QLatin1String("still reading"))) << busy.description.toStdString();
    EXPECT_EQ(odbctest::rows(*streamed), (QStringList{"2", "3"}));
    EXPECT_FALSE(streamed->nextResult());
    EXPECT_EQ(query(*c, "SELECT 'free'"), QStringList{"free"});

    c->setClientSide(true);
    auto stored = c->execute("SELECT 1; SELECT 2; SELECT * FROM nowhere");
    EXPECT_EQ(query(*c, "SELECT 'between'"), QStringList{"between"});
    EXPECT_EQ(odbctest::rows(*stored), QStringList{"1"});
    ASSERT_TRUE(stored->nextResult());
    EXPECT_EQ(odbctest::rows(*stored), QStringList{"2"});
    EXPECT_EQ(errorOf([&] { stored->nextResult(); }).native, 1146);
}

TEST_P(NativeMariaDb, CancelStopsAStreamedReadAtOnceOrLetsItEndAndGoOn)
{
    const QString endless = "SELECT seq, REPEAT('x', 100) FROM seq_1_to_50000000";
    // Read on after Cancel: the server ends the read with 1317 and the connection goes on.
    auto result = c->execute(endless);
    ASSERT_TRUE(result->fetch());
    c->cancel();
    qint64 read = 1;
    const db::Error e = errorOf([&] {
        while (result->fetch())
            ++read;
    });
    EXPECT_EQ(e.native, 1317) << e.description.toStdString();
    EXPECT_LT(read, 50000000);
    result.reset();
    EXPECT_EQ(query(*c, "SELECT 'after'"), QStringList{"after"});

    // Let go after Cancel with rows on their way: nothing more is read off the socket, the
    // connection says it was closed, and the server lets the statement and the session go.
    const QString id = query(*c, "SELECT CONNECTION_ID()").value(0);
    result = c->execute(endless);
    ASSERT_TRUE(result->fetch());
    c->cancel();
    result.reset();
    const db::Error closed = errorOf([&] { c->execute("SELECT 1"); });
    EXPECT_TRUE(qvtest::containsAll(closed.description, {"closed when its statement was cancelled"}));
    auto admin = open();
    QStringList left{id};
    for (int i = 0; i < 200 && !left.isEmpty(); ++i) {
        QThread::msleep(50);
        left = query(*admin, "SELECT ID FROM information_schema.PROCESSLIST WHERE ID = " + id);
    }
    EXPECT_EQ(left, QStringList()) << "the server still runs the cancelled session";

    // Cancel while a client-side set loads ends the execute, and the next statement runs.
    c = open();
    c->setClientSide(true);
    std::unique_ptr<QThread> canceller(QThread::create([&] {
        QThread::msleep(300);
        c->cancel();
    }));
    canceller->start();
    EXPECT_EQ(errorOf([&] { c->execute("SELECT MAX(MD5(seq)) FROM seq_1_to_10000000000"); }).native, 1317);
    canceller->wait();
    EXPECT_EQ(query(*c, "SELECT 'next'"), QStringList{"next"});

    // A cancel before the execute stops it at once.
    c->cancel();
    EXPECT_EQ(errorOf([&] { c->execute("SELECT 1"); }).sqlState, "HY008");
    EXPECT_EQ(query(*c, "SELECT 'again'"), QStringList{"again"});
}

INSTANTIATE_TEST_SUITE_P(Native, NativeMariaDb, testing::Values(Kind::MariaDb), detest::kindName);

} // namespace
