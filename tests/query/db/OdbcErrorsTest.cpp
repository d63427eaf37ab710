// Error numbers from ODBC diagnostic records, row by row of the team's table, with the
// records the drivers really send (FreeTDS, MariaDB Connector/ODBC, SQL Server, mdbtools,
// psqlODBC).
#include "query/db/odbc/OdbcErrors.h"

#include <gtest/gtest.h>

namespace {

using db::odbc::DiagRecord;
using db::odbc::DriverFamily;
namespace N = db::ErrorNumber;

struct Case
{
    const char* name;
    DriverFamily family;
    QList<DiagRecord> records;
    qint32 number;
    int decides; // the record whose state and native code the error carries; -1: none
};

DiagRecord rec(const char* state, int native, const char* message = "message")
{
    return {QString::fromLatin1(state), native, QString::fromUtf8(message)};
}

constexpr DriverFamily Ss = DriverFamily::SqlServer, My = DriverFamily::MySql, Acc = DriverFamily::Access,
                       Pg = DriverFamily::PostgreSql, Other = DriverFamily::Other;
constexpr const char* kPgRefused =
    "connection to server at \"127.0.0.1\", port 5432 failed: FATAL:  password "
    "authentication failed for user \"quorvane\"";
constexpr qint32 Unreachable = N::Unreachable, Refused = N::LoginRefused, Rejected = N::CommandRejected;

// clang-format off
// (What MariaDB's and psqlODBC's drivers send for a syntax error, a missing table, an unknown
// database and a wrong password: EngineLayerTest, FailuresCarryTheirNumberAndTheEnginesWords;
// a connection lost in a read: ServerFaultsTest; mdbtools' parse error: OdbcAccessTest; a driver
// that is not registered: OdbcSqlServerTest.)
const Case kCases[] = {
    // cannot be reached or opened
    {"FreeTdsRefused", Ss, {rec("08S01", 20009), rec("08001", 0)}, Unreachable, 0},
    {"CannotOpenDatabaseWinsOverLogin", Ss, {rec("42000", 4060), rec("28000", 18456)}, Unreachable, 0},
    {"CannotOpenDatabaseAfterLogin", Ss, {rec("28000", 18456), rec("42000", 4060)}, Unreachable, 1},
    {"MariaDbDatabaseAccessDenied", My, {rec("42000", 1044)}, Unreachable, 0},
    {"MariaDbServerDown", My, {rec("HY000", 2002)}, Unreachable, 0},
    {"LoginTimeout08", Other, {rec("08001", 0)}, Unreachable, 0},
    {"PostgreSqlRefusedConnection", Pg, {rec("08001", 101, "Connection refused")}, Unreachable, 0},
    // login refused
    {"FreeTdsLoginFailedThen08001", Ss, {rec("42000", 18456), rec("08001", 0)}, Refused, 0},
    {"SqlServerLogin28000", Ss, {rec("28000", 18456)}, Refused, 0},
    {"Any28000", Other, {rec("01000", 0), rec("28000", 7)}, Refused, 1},
    {"PostgreSql28P01", Pg, {rec("28P01", 1)}, Refused, 0},
    {"PasswordWordsOfAnotherFamily", Other, {rec("08001", 101, kPgRefused)}, Unreachable, 0},
    // command rejected
    {"SqlServerSyntax37000", Ss, {rec("37000", 102)}, Rejected, 0},
    {"SqlServerInvalidObject", Ss, {rec("42S02", 208)}, Rejected, 0},
    // native codes belong to their driver: a MySQL code from another driver means nothing
    {"NativeCodeOfAnotherFamily", Ss, {rec("42000", 1049)}, Rejected, 0},
    {"LoginCodeOfAnotherFamily", My, {rec("42000", 18456)}, Rejected, 0},
    // anything else
    {"NoRecordAtAll", Acc, {}, Unreachable, -1},
    {"ConstraintViolation", My, {rec("23000", 1062)}, Unreachable, 0},
};
// clang-format on

TEST(Classification, GivesTheNumberCallersTest)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const db::Error e = db::odbc::makeError(c.records, c.family, "SQLDriverConnectW");
        const DiagRecord decided = c.decides < 0 ? DiagRecord{} : c.records[c.decides];
        EXPECT_EQ(e.number, c.number);
        EXPECT_EQ(e.sqlState, decided.sqlState);
        EXPECT_EQ(e.native, decided.native);
    }
}

// Every record with its state (an empty one shown as none) and native code; without a record,
// the failed call is named.
TEST(ErrorDescription, JoinsEveryRecordOrNamesTheCall)
{
    const struct
    {
        QList<DiagRecord> records;
        QString expected;
    } cases[] = {
        {{rec("42000", 18456, "[FreeTDS][SQL Server]Login failed for user 'sa'."),
          rec("08001", 0, "[FreeTDS][SQL Server]Unable to connect to data source")},
         "[FreeTDS][SQL Server]Login failed for user 'sa'. (SQLSTATE 42000, native 18456)\n"
         "[FreeTDS][SQL Server]Unable to connect to data source (SQLSTATE 08001, native 0)"},
        {{rec("", 1, "Couldn't parse SQL\n")}, "Couldn't parse SQL (SQLSTATE none, native 1)"},
        {{}, "The ODBC call SQLExecDirectW failed and the driver gave no diagnostic record."},
    };
    for (const auto& c : cases) {
        const db::Error e = db::odbc::makeError(c.records, DriverFamily::Access, "SQLExecDirectW");
        EXPECT_EQ(e.description, c.expected);
        EXPECT_EQ(QString::fromUtf8(e.what()), c.expected);
    }
}

} // namespace
