// Error numbers from ODBC diagnostic records, row by row of the team's table, with the
// records the drivers really send (FreeTDS, MariaDB Connector/ODBC, SQL Server, mdbtools).
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
    const char* sqlState; // of the record that decided
    int native;
};

DiagRecord rec(const char* state, int native, const char* message = "message")
{
    return {QString::fromLatin1(state), native, QString::fromUtf8(message)};
}

class Classification : public testing::TestWithParam<Case>
{
};

TEST_P(Classification, GivesTheNumberCallersTest)
{
    const Case& c = GetParam();
    const db::Error e = db::odbc::makeError(c.records, c.family, "SQLDriverConnectW");
    EXPECT_EQ(e.number, c.number);
    EXPECT_EQ(e.sqlState, QString::fromLatin1(c.sqlState));
    EXPECT_EQ(e.native, c.native);
}

const Case kCases[] = {
    // cannot be reached or opened
    {"FreeTdsRefused",
     DriverFamily::SqlServer,
     {rec("08S01", 20009), rec("08001", 0)},
     N::Unreachable,
     "08S01",
     20009},
    {"SqlServerCannotOpenDatabaseWinsOverLogin",
     DriverFamily::SqlServer,
     {rec("42000", 4060), rec("28000", 18456)},
     N::Unreachable,
     "42000",
     4060},
    {"SqlServerCannotOpenDatabaseAfterLogin",
     DriverFamily::SqlServer,
     {rec("28000", 18456), rec("42000", 4060)},
     N::Unreachable,
     "42000",
     4060},
    {"MariaDbUnknownDatabase", DriverFamily::MySql, {rec("42000", 1049)}, N::Unreachable, "42000", 1049},
    {"MariaDbDatabaseAccessDenied", DriverFamily::MySql, {rec("42000", 1044)}, N::Unreachable, "42000", 1044},
    {"MariaDbServerDown", DriverFamily::MySql, {rec("HY000", 2002)}, N::Unreachable, "HY000", 2002},
    {"MariaDbCannotConnect", DriverFamily::MySql, {rec("HY000", 2003)}, N::Unreachable, "HY000", 2003},
    {"MariaDbUnknownHost", DriverFamily::MySql, {rec("HY000", 2005)}, N::Unreachable, "HY000", 2005},
    {"LostConnection", DriverFamily::MySql, {rec("08S01", 2013)}, N::Unreachable, "08S01", 2013},
    {"LoginTimeout08", DriverFamily::Other, {rec("08001", 0)}, N::Unreachable, "08001", 0},
    // login refused
    {"FreeTdsLoginFailedThen08001",
     DriverFamily::SqlServer,
     {rec("42000", 18456), rec("08001", 0)},
     N::LoginRefused,
     "42000",
     18456},
    {"SqlServerLogin28000", DriverFamily::SqlServer, {rec("28000", 18456)}, N::LoginRefused, "28000", 18456},
    {"MariaDbWrongPassword", DriverFamily::MySql, {rec("28000", 1045)}, N::LoginRefused, "28000", 1045},
    {"Any28000", DriverFamily::Other, {rec("01000", 0), rec("28000", 7)}, N::LoginRefused, "28000", 7},
    // command rejected
    {"MariaDbSyntax", DriverFamily::MySql, {rec("42000", 1064)}, N::CommandRejected, "42000", 1064},
    {"MariaDbMissingTable", DriverFamily::MySql, {rec("42S02", 1146)}, N::CommandRejected, "42S02", 1146},
    {"SqlServerSyntax37000", DriverFamily::SqlServer, {rec("37000", 102)}, N::CommandRejected, "37000", 102},
    {"SqlServerInvalidObject",
     DriverFamily::SqlServer,
     {rec("42S02", 208)},
     N::CommandRejected,
     "42S02",
     208},
    // native codes belong to their driver: a MySQL code from another driver means nothing
    {"NativeCodeOfAnotherFamily",
     DriverFamily::SqlServer,
     {rec("42000", 1049)},
     N::CommandRejected,
     "42000",
     1049},
    {"LoginCodeOfAnotherFamily",
     DriverFamily::MySql,
     {rec("42000", 18456)},
     N::CommandRejected,
     "42000",
     18456},
    // anything else
    {"MdbToolsParseError", DriverFamily::Access, {rec("", 1, "Couldn't parse SQL")}, N::Unreachable, "", 1},
    {"UnknownDriverLibrary",
     DriverFamily::Other,
     {rec("01000", 0, "Can't open lib")},
     N::Unreachable,
     "01000",
     0},
    {"NoRecordAtAll", DriverFamily::Access, {}, N::Unreachable, "", 0},
    {"ConstraintViolation", DriverFamily::MySql, {rec("23000", 1062)}, N::Unreachable, "23000", 1062},
};

INSTANTIATE_TEST_SUITE_P(Table, Classification, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

TEST(ErrorDescription, JoinsEveryRecordWithStateAndNativeCode)
{
    const db::Error e =
        db::odbc::makeError({rec("42000", 18456, "[FreeTDS][SQL Server]Login failed for user 'sa'."),
                             rec("08001", 0, "[FreeTDS][SQL Server]Unable to connect to data source")},
                            DriverFamily::SqlServer, "SQLDriverConnectW");
    EXPECT_EQ(
        e.description,
        QStringLiteral("[FreeTDS][SQL Server]Login failed for user 'sa'. (SQLSTATE 42000, native 18456)\n"
                       "[FreeTDS][SQL Server]Unable to connect to data source (SQLSTATE 08001, native 0)"));
    EXPECT_EQ(QString::fromUtf8(e.what()), e.description);
}

TEST(ErrorDescription, NamesTheCallWhenTheDriverGaveNoRecord)
{
    const db::Error e = db::odbc::makeError({}, DriverFamily::Access, "SQLDriverConnectW");
    EXPECT_EQ(e.number, N::Unreachable);
    EXPECT_TRUE(e.description.contains(QLatin1String("SQLDriverConnectW"))) << e.description.toStdString();
    EXPECT_TRUE(e.description.contains(QLatin1String("no diagnostic record"))) << e.description.toStdString();
}

TEST(ErrorDescription, ShowsAnEmptySqlStateAsNone)
{
    const db::Error e =
        db::odbc::makeError({rec("", 1, "Couldn't parse SQL\n")}, DriverFamily::Access, "SQLExecDirectW");
    EXPECT_EQ(e.description, QStringLiteral("Couldn't parse SQL (SQLSTATE none, native 1)"));
}

} // namespace
