// A driver reached only through an ODBC string: the SQLite ODBC driver, which counts a column
// name's length in bytes. Its non-ASCII names must come without trailing NULs, and a field must
// be found by its real name.
#include "query/db/Connection.h"
#include "query/db/Recordset.h"
#include "tests/support/OdbcTestSupport.h"
#include "tests/support/SqliteFiles.h"

namespace {

TEST(SqliteOdbcDriver, NonAsciiNamesCarryNoNulsAndFindTheirField)
{
    if (qEnvironmentVariable("ODBCSYSINI").isEmpty()) {
        if (odbctest::underCi())
            FAIL() << "ODBCSYSINI is not set: the test services registered no ODBC drivers";
        GTEST_SKIP() << "no private odbcinst.ini (run the tests with scripts/test.sh)";
    }
    SqliteFiles files;
    const QString path =
        files.create(QStringLiteral("names.sqlite"),
                     "CREATE TABLE t (\"nämé\" TEXT, \"ü\" INT); INSERT INTO t VALUES ('x', 3);");
    db::Connection connection;
    connection.ConnectionString = QStringLiteral("Driver={SQLite3};Database=") + path;
    connection.Open();
    db::Recordset set = connection.Execute(QStringLiteral("select \"nämé\", \"ü\" from t"));
    EXPECT_EQ(set.Fields().Item(0).Name(), QStringLiteral("nämé"));
    EXPECT_EQ(set.Fields().Item(1).Name(), QStringLiteral("ü"));
    EXPECT_EQ(set.Fields().Item(QStringLiteral("NÄMÉ")).Value().toString(), QStringLiteral("x"));
    EXPECT_EQ(set.Fields().Item(QStringLiteral("Ü")).Value().toString(), QStringLiteral("3"));
}

} // namespace
