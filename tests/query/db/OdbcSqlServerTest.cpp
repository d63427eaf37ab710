// SQL Server strings through the drivers installed here (FreeTDS on Debian): the program's
// strings are translated for the driver and reach the network. (Oracle without its driver:
// OdbcConnectionStringTest, Untranslatable.)
#include "query/db/odbc/OdbcConnectionString.h"
#include "tests/support/OdbcTestSupport.h"

#include <QTcpServer>

namespace {

using odbctest::connect;
using odbctest::errorOf;

bool installed(const char* name)
{
    for (const auto& d : db::odbc::installedDrivers())
        if (d.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

class SqlServerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (installed("SQL Server") || installed("ODBC Driver 18 for SQL Server") ||
            installed("ODBC Driver 17 for SQL Server"))
            GTEST_SKIP() << "a SQL Server driver other than FreeTDS is registered: these tests check FreeTDS";
        if (!installed("FreeTDS")) {
            if (odbctest::underCi())
                FAIL() << "the FreeTDS ODBC driver is not registered (tdsodbc, ODBCSYSINI)";
            GTEST_SKIP() << "the FreeTDS ODBC driver is not registered (install tdsodbc)";
        }
        db::odbc::setDefaultLoginTimeout(1);
    }
    void TearDown() override { db::odbc::setDefaultLoginTimeout(15); }
};

// To a server that answers: EngineLayerTest's SqlServer cases; the translation: Translates.*;
// a refused connection's records: OdbcErrorsTest (FreeTdsRefused).
TEST_F(SqlServerTest, SilentServerEndsAtTheLoginTimeOut)
{
    // Accepts the connection (the kernel does) but never answers the login.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const db::Error e = errorOf([&] {
        connect(QStringLiteral("Driver={SQL Server};Server=127.0.0.1,%1;UID=sa;PWD=x;Database=db;DSN=;")
                    .arg(silent.serverPort()));
    });
    EXPECT_EQ(e.number, db::ErrorNumber::Unreachable);
    // FreeTDS: HYT00 "Timeout expired", then 08001.
    EXPECT_TRUE(qvtest::containsAll(e.description, {"Timeout expired (SQLSTATE HYT00"}));
}

TEST(UnknownDriverTest, DriverNamedButNotRegisteredCannotBeReached)
{
    const db::Error e = errorOf([] { connect("Driver={No Such Driver 9};Server=x"); });
    EXPECT_EQ(e.number, db::ErrorNumber::Unreachable);
    EXPECT_TRUE(e.description.contains(QLatin1String("No Such Driver 9"))) << e.description.toStdString();
}

} // namespace
