// The data objects on every engine, each opened with its type's connection settings: a forward
// read, a batch's results, the client-side set's base columns and keys, quoting, and the
// numbers and words of failures. An engine's known differences are the columns of its row.
#include "query/db/Backend.h"
#include "tests/support/EngineDatabase.h"
#include "tests/support/OdbcTestSupport.h"

#include <functional>
#include <vector>

namespace detest {
namespace {

namespace N = db::ErrorNumber;

struct Facts
{
    db::Engine engine;
    const char *syntax, *missingTable, *login; // the engine's words; no login: a file
    const char* quoted;                        // odd"name`x]
    bool namesBases = true; // false: FreeTDS names no base column; the query's names stand in
};

// By engine, in Kind's order.
const Facts kFacts[] = {
    {db::Engine::SQLite, "near \"SELEC\": syntax error", "no such table: nowhere", nullptr,
     "\"odd\"\"name`x]\""},
    {db::Engine::MySql, "You have an error in your SQL syntax", "nowhere' doesn't exist",
     "Access denied for user", "`odd\"name``x]`"},
    {db::Engine::MySql, "You have an error in your SQL syntax", "nowhere' doesn't exist",
     "Access denied for user", "`odd\"name``x]`"},
    {db::Engine::SqlServer, "Incorrect syntax near", "Invalid object name 'nowhere'", "Login failed",
     "[odd\"name`x]]]", false},
    {db::Engine::PostgreSql, "syntax error at or near \"SELEC\"", "\"nowhere\" does not exist",
     "password authentication failed", "\"odd\"\"name`x]\""},
};

using Layer = EngineTest;

// A forward read and a batch, one result per statement; then many rows in order, NULL apart from
// '', across the drivers' row arrays and the client-side set's storage blocks (4,096 rows each),
// read forward and client-side.
TEST_P(Layer, ReadsForwardAndClientSideInOrderAndGivesABatchOneResultPerStatement)
{
    database().run({"CREATE TABLE people (id INT PRIMARY KEY, name VARCHAR(20))",
                    "INSERT INTO people VALUES (1, 'Ann'), (2, NULL)"});
    auto c = database().connect();
    db::Recordset rs = c->Execute("SELECT id, name AS who FROM people ORDER BY id");
    ASSERT_EQ(rs.State(), db::adStateOpen);
    EXPECT_EQ(rs.Fields().Item("WHO").Value().toString(), "Ann");
    EXPECT_TRUE(
        odbctest::errorOf([&] { rs.Fields().Item("nothing"); }).description.contains("Item cannot be found"));
    EXPECT_EQ(Database::rowsOf(rs), (QStringList{"1|Ann", "2|<null>"}));
    rs.Close(); // a streamed read holds the connection until closed

    rs =
        c->Execute("INSERT INTO people VALUES (3, 'Bo'); SELECT name FROM people WHERE id > 2\n-- the end\n");
    EXPECT_EQ(rs.State(), db::adStateClosed);
    rs = rs.NextRecordset();
    ASSERT_EQ(rs.State(), db::adStateOpen);
    EXPECT_EQ(Database::rowsOf(rs), QStringList{"Bo"});
    EXPECT_TRUE(rs.NextRecordset().isNothing());
    rs.Close();

    // Two levels of 100, as MariaDB stops a recursion at 1,000 rows.
    const QString sql =
        "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 99), "
        "n(x) AS (SELECT a.x * 100 + b.x FROM c a, c b) SELECT x, "
        "CASE WHEN x % 7 = 0 THEN NULL WHEN x % 11 = 0 THEN '' ELSE 'ж' END AS t FROM n ORDER BY x";
    QStringList expected;
    for (int x = 0; x < 10000; ++x)
        expected << QString::number(x) + (x % 7 == 0 ? "|<null>" : x % 11 == 0 ? "|" : "|ж");
    for (const int location : {db::adUseServer, db::adUseClient}) {
        rs = db::Recordset();
        rs.CursorLocation = location;
        rs.Open(sql, *c);
        EXPECT_EQ(rs.RecordCount(), location == db::adUseClient ? 10000 : -1);
        EXPECT_TRUE(Database::rowsOf(rs) == expected) << "read with cursor location " << location;
        rs.Close();
    }
}

TEST_P(Layer, FailuresCarryTheirNumberAndTheEnginesWords)
{
    const Facts facts = kFacts[int(GetParam())];
    auto c = database().connect();
    query::ConnectionFields wrongPassword = database().fields(), unknownDatabase = wrongPassword;
    wrongPassword.password = "wrong";
    const bool file = !facts.login;
    QString missing = "no_such_db";
    if (file)
        unknownDatabase.location = missing = unknownDatabase.location + ".missing";
    else
        unknownDatabase.databaseName = missing;
    struct Case
    {
        std::function<void()> call;
        qint32 number;
        QString words;
    };
    std::vector<Case> cases{
        {[&] { c->Execute("SELEC 1"); }, N::CommandRejected, QString::fromUtf8(facts.syntax)},
        {[&] { c->Execute("SELECT * FROM nowhere"); }, N::CommandRejected,
         QString::fromUtf8(facts.missingTable)},
        {[&] { database().connect(&unknownDatabase); }, N::Unreachable, missing},
    };
    if (!file)
        cases.push_back(
            {[&] { database().connect(&wrongPassword); }, N::LoginRefused, QString::fromUtf8(facts.login)});
    for (const auto& k : cases) {
        const db::Error e = odbctest::errorOf(k.call);
        EXPECT_EQ(e.number, k.number) << k.words.toStdString();
        EXPECT_TRUE(e.description.contains(k.words)) << e.description.toStdString();
    }
    // A missing file is not created by the attempt.
    EXPECT_FALSE(file && QFile::exists(missing));
}

TEST_P(Layer, AClientSideSetNamesBaseColumnsAndKeyColumnsInKeyOrder)
{
    const Facts facts = kFacts[int(GetParam())];
    database().run({"CREATE TABLE keyed (a INT, label VARCHAR(20), c INT, PRIMARY KEY (c, a))",
                    "CREATE TABLE nokey (x INT)", "INSERT INTO keyed VALUES (1, 'one', 2)"});
    auto c = database().connect();
    db::Recordset rs;
    rs.CursorLocation = db::adUseClient;
    rs.Open("SELECT label AS who, a, c * 2 AS twice FROM keyed", *c, db::adOpenDynamic, db::adLockOptimistic);
    ASSERT_EQ(rs.RecordCount(), 1);
    const db::ClientCursor* cursor = rs.clientCursor();
    ASSERT_NE(cursor, nullptr);
    const db::ClientColumn& who = cursor->column(0);
    EXPECT_EQ((QStringList{who.name, who.baseTable.toLower(), who.baseColumn, cursor->column(1).baseColumn}),
              (QStringList{"who", "keyed", facts.namesBases ? "label" : "who", "a"}));
    EXPECT_EQ(who.keyColumns, (QStringList{"c", "a"}));
    // (Where the engine names no bases, the grid still refuses a calculated column:
    // tests/results/directedit/WriteTest.cpp, Steps.)
    EXPECT_EQ(cursor->column(2).baseTable.isEmpty(), facts.namesBases) << "a calculated column has no base";

    const auto engine = c->backend();
    EXPECT_TRUE(engine->primaryKey({}, {}, "nokey").isEmpty());
    EXPECT_EQ(engine->quoteIdentifier("odd\"name`x]"), QString::fromUtf8(facts.quoted));
    EXPECT_EQ(engine->engine(), facts.engine);
    EXPECT_FALSE(engine->readOnly());
}

INSTANTIATE_TEST_SUITE_P(Engines, Layer, kEveryEngine, kindName);

} // namespace
} // namespace detest
