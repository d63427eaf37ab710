// The connection settings each database type puts on a connection: the strings exactly as
// they are an external interface, Access's provider, time-out and password property, and the
// bracing that keeps awkward values from breaking a string.
#include "query/ConnectionSettings.h"

#include "query/db/Connection.h"
#include "query/db/ConnectionString.h"
#include "tests/query/db/QtPrinters.h"
#include "tests/support/SqliteFiles.h"

#include <gtest/gtest.h>

namespace {

query::ConnectionFields fields(const QString& type)
{
    query::ConnectionFields f;
    f.type = type;
    f.user = QStringLiteral("sa");
    f.password = QStringLiteral("Secret1");
    f.location = QStringLiteral("dbhost");
    f.databaseName = QStringLiteral("Northwind");
    f.dbPassword = QStringLiteral("jet");
    return f;
}

TEST(ConnectionSettingsStrings, EachServerTypeBuildsItsStringAndSetsNothingElse)
{
    const std::pair<const char*, QString> cases[] = {
        {"SQL", QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;pwd=Secret1;Initial Catalog=Northwind;"
                               "Data Source=dbhost")},
        {"MySql", QStringLiteral("Driver={MySql};Server=dbhost;UID=sa;PWD=Secret1;WSID=QUORVANE;"
                                 "Language=us_english;Database=Northwind;DSN=;")},
        // Oracle takes its data source from the database name.
        {"ORACLE", QStringLiteral("Provider=MSDAORA;Data Source=Northwind;User ID=sa; Password=Secret1;"
                                  "Server=dbhost;")},
        {"PostgreSQL",
         QStringLiteral("Driver={PostgreSQL Unicode};Server=dbhost;Port=5432;Database=Northwind;"
                        "UID=sa;PWD=Secret1")},
    };
    for (const auto& [type, expected] : cases) {
        const query::ConnectionSettings s = query::connectionSettings(fields(QString::fromLatin1(type)));
        EXPECT_TRUE(s.recognised) << type;
        EXPECT_EQ(s.connectionString, expected);
        EXPECT_FALSE(s.commandTimeout) << type;
        EXPECT_FALSE(s.provider) << type;
        EXPECT_FALSE(s.databasePassword) << type;
    }
}

TEST(ConnectionSettingsStrings, PostgreSqlTakesThePortFromTheLocation)
{
    for (const char* location : {"dbhost:6543", "dbhost,6543"}) {
        query::ConnectionFields f = fields(QStringLiteral("postgresql"));
        f.location = QString::fromLatin1(location);
        const db::ConnectionStringParts parts =
            db::parseConnectionString(query::connectionSettings(f).connectionString);
        EXPECT_EQ(parts.value(QStringLiteral("Server")), QStringLiteral("dbhost")) << location;
        EXPECT_EQ(parts.value(QStringLiteral("Port")), QStringLiteral("6543")) << location;
    }
}

TEST(ConnectionSettingsStrings, OdbcAddsTheBoxesTheStringDoesNotName)
{
    struct Case
    {
        const char* location;
        const char* user;
        const char* expected;
    };
    const Case cases[] = {
        {"Company DSN", "sa", "DSN=Company DSN;UID=sa;PWD=Secret1;Database=Northwind"},
        {"Driver={SQLite3};Database=/d/a.db", "", "Driver={SQLite3};Database=/d/a.db;PWD=Secret1"},
        {"DSN=pg;uid=me;Password=x;", "sa", "DSN=pg;uid=me;Password=x;Database=Northwind"},
        {"DSN=pg;User=me;DB=other", "sa", "DSN=pg;User=me;DB=other;PWD=Secret1"},
    };
    for (const Case& c : cases) {
        query::ConnectionFields f = fields(QStringLiteral("ODBC"));
        f.location = QString::fromUtf8(c.location);
        f.user = QString::fromUtf8(c.user);
        EXPECT_EQ(query::connectionSettings(f).connectionString, QString::fromUtf8(c.expected)) << c.location;
    }
}

TEST(ConnectionSettingsStrings, AccessSetsTimeoutProviderStringAndPasswordProperty)
{
    query::ConnectionFields f = fields(QStringLiteral("Access"));
    f.location = QStringLiteral("/data/Nwind 2000.mdb");
    const query::ConnectionSettings s = query::connectionSettings(f);
    EXPECT_EQ(s.connectionString, QStringLiteral("Data Source=/data/Nwind 2000.mdb"));
    EXPECT_EQ(s.commandTimeout, 0);
    EXPECT_EQ(s.provider, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    EXPECT_EQ(s.databasePassword, QStringLiteral("jet"));

    db::Connection conn;
    s.applyTo(conn);
    EXPECT_EQ(conn.CommandTimeout, 0);
    EXPECT_EQ(conn.Provider, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    EXPECT_EQ(conn.ConnectionString, QStringLiteral("Data Source=/data/Nwind 2000.mdb"));
    EXPECT_EQ(conn.Properties.value(QStringLiteral("Jet OLEDB:Database Password")), QStringLiteral("jet"));

    f.dbPassword.clear(); // an empty password is still set
    query::connectionSettings(f).applyTo(conn);
    ASSERT_TRUE(conn.Properties.contains(QStringLiteral("Jet OLEDB:Database Password")));
    EXPECT_EQ(conn.Properties.value(QStringLiteral("Jet OLEDB:Database Password")), QString());
}

TEST(ConnectionSettingsStrings, SqliteNamesTheFileInTheLocationBox)
{
    query::ConnectionFields f = fields(QStringLiteral("SQLite"));
    f.location = QStringLiteral("/home/me/demo.sqlite");
    EXPECT_EQ(query::connectionSettings(f).connectionString,
              QStringLiteral("Provider=SQLite;Data Source=/home/me/demo.sqlite"));
}

TEST(ConnectionSettingsTypes, TheTypeIsMatchedInAnyLetterCase)
{
    for (const char* type : {"sql", "Sql", "sQL"})
        EXPECT_TRUE(query::connectionSettings(fields(QString::fromLatin1(type)))
                        .connectionString.startsWith(QStringLiteral("Provider=SQLOLEDB.1;")))
            << type;
    EXPECT_TRUE(query::connectionSettings(fields(QStringLiteral("access"))).provider.has_value());
    EXPECT_TRUE(query::connectionSettings(fields(QStringLiteral("mysql"))).recognised);
    EXPECT_TRUE(query::connectionSettings(fields(QStringLiteral("oracle"))).recognised);
    for (const char* type : {"sqlite", "postgresql", "PostgreSql", "odbc", "Odbc"})
        EXPECT_TRUE(query::connectionSettings(fields(QString::fromLatin1(type))).recognised) << type;
}

TEST(ConnectionSettingsTypes, AnyOtherTypeSetsNothingAndOpeningFails)
{
    for (const char* type : {"Suggestion", "", "SQL ", "Postgres"}) {
        const query::ConnectionSettings s = query::connectionSettings(fields(QString::fromLatin1(type)));
        EXPECT_FALSE(s.recognised) << type;
        db::Connection conn;
        conn.CommandTimeout = 17;
        s.applyTo(conn);
        EXPECT_EQ(conn.CommandTimeout, 17);
        EXPECT_TRUE(conn.ConnectionString.isEmpty());
        EXPECT_TRUE(conn.Provider.isEmpty());
        EXPECT_TRUE(conn.Properties.isEmpty());
        EXPECT_THROW(conn.Open(), db::Error) << type;
    }
}

TEST(ConnectionSettingsValues, ValuesAreInsertedAsTypedUnlessTheyWouldBreakTheString)
{
    query::ConnectionFields f = fields(QStringLiteral("MYSQL"));
    f.user = QStringLiteral("Jöns Nilsson");
    f.password = QStringLiteral("p;w=1");
    f.databaseName = QStringLiteral("a}b");
    f.location = QStringLiteral(" host ");
    const query::ConnectionSettings s = query::connectionSettings(f);
    EXPECT_EQ(s.connectionString,
              QStringLiteral("Driver={MySql};Server={ host };UID=Jöns Nilsson;PWD={p;w=1};WSID=QUORVANE;"
                             "Language=us_english;Database={a}}b};DSN=;"));

    const db::ConnectionStringParts parts = db::parseConnectionString(s.connectionString);
    EXPECT_EQ(parts.value(QStringLiteral("PWD")), QStringLiteral("p;w=1"));
    EXPECT_EQ(parts.value(QStringLiteral("Database")), QStringLiteral("a}b"));
    EXPECT_EQ(parts.value(QStringLiteral("Server")), QStringLiteral(" host "));
    EXPECT_EQ(parts.value(QStringLiteral("WSID")), QStringLiteral("QUORVANE"));
}

TEST(ConnectionSettingsValues, ASqliteProfileOpensItsFileEvenWithASemicolonInThePath)
{
    SqliteFiles files;
    const QString path =
        files.create(QStringLiteral("odd;name.sqlite"), "CREATE TABLE t (x); INSERT INTO t VALUES (42);");
    query::ConnectionFields f;
    f.type = QStringLiteral("SQLite");
    f.location = path;
    db::Connection conn;
    query::connectionSettings(f).applyTo(conn);
    conn.Open();
    db::Recordset rs = conn.Execute(QStringLiteral("SELECT x FROM t"));
    EXPECT_EQ(rs.Fields().Item(0).Value().toString(), QStringLiteral("42"));
}

} // namespace
