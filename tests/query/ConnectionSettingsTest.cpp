// The connection settings each database type puts on a connection: the strings exactly as
// they are an external interface, Access's provider, time-out and password property, and the
// bracing that keeps awkward values from breaking a string.
#include "query/ConnectionSettings.h"

#include "query/db/Connection.h"
#include "query/db/ConnectionString.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SqliteFiles.h"

#include <gtest/gtest.h>

namespace {

query::ConnectionFields fields(const char* type, const char* location = "dbhost", const char* user = "sa")
{
    return {QString::fromUtf8(type),     QString::fromUtf8(user),     QStringLiteral("Secret1"),
            QString::fromUtf8(location), QStringLiteral("Northwind"), QStringLiteral("jet")};
}

// Each type in any letter case builds its string; only Access sets anything else.
TEST(ConnectionSettings, EachTypeBuildsItsStringAnyOtherNothingAccessItsProperties)
{
    const struct
    {
        query::ConnectionFields fields;
        const char* expected;
    } cases[] = {
        {fields("sQl"),
         "Provider=SQLOLEDB.1;User ID=sa;pwd=Secret1;Initial Catalog=Northwind;Data Source=dbhost"},
        {fields("mysql"), "Driver={MySql};Server=dbhost;UID=sa;PWD=Secret1;WSID=QUORVANE;Language=us_english;"
                          "Database=Northwind;DSN=;"},
        // Oracle takes its data source from the database name.
        {fields("ORACLE"),
         "Provider=MSDAORA;Data Source=Northwind;User ID=sa; Password=Secret1;Server=dbhost;"},
        {fields("PostgreSQL"),
         "Driver={PostgreSQL Unicode};Server=dbhost;Port=5432;Database=Northwind;UID=sa;PWD=Secret1"},
        {fields("postgresql", "dbhost:6543"),
         "Driver={PostgreSQL Unicode};Server=dbhost;Port=6543;Database=Northwind;UID=sa;PWD=Secret1"},
        {fields("PostgreSql", "dbhost,6543"),
         "Driver={PostgreSQL Unicode};Server=dbhost;Port=6543;Database=Northwind;UID=sa;PWD=Secret1"},
        {fields("SQLite", "/home/me/demo.sqlite"), "Provider=SQLite;Data Source=/home/me/demo.sqlite"},
        // ODBC adds the boxes the string does not name.
        {fields("ODBC", "Company DSN"), "DSN=Company DSN;UID=sa;PWD=Secret1;Database=Northwind"},
        {fields("odbc", "Driver={SQLite3};Database=/d/a.db", ""),
         "Driver={SQLite3};Database=/d/a.db;PWD=Secret1"},
        {fields("Odbc", "DSN=pg;uid=me;Password=x;"), "DSN=pg;uid=me;Password=x;Database=Northwind"},
        {fields("ODBC", "DSN=pg;User=me;DB=other"), "DSN=pg;User=me;DB=other;PWD=Secret1"},
    };
    for (const auto& c : cases) {
        const query::ConnectionSettings s = query::connectionSettings(c.fields);
        EXPECT_TRUE(s.recognised) << c.expected;
        EXPECT_EQ(s.connectionString, QString::fromUtf8(c.expected));
        EXPECT_FALSE(s.commandTimeout || s.provider || s.databasePassword) << c.expected;
    }

    // Any other type sets nothing, and opening fails.
    for (const char* type : {"Suggestion", "", "SQL ", "Postgres"}) {
        const query::ConnectionSettings s = query::connectionSettings(fields(type));
        EXPECT_FALSE(s.recognised) << type;
        db::Connection conn;
        conn.CommandTimeout = 17;
        s.applyTo(conn);
        EXPECT_EQ(conn.CommandTimeout, 17);
        EXPECT_TRUE(conn.ConnectionString.isEmpty() && conn.Provider.isEmpty() && conn.Properties.isEmpty());
        EXPECT_THROW(conn.Open(), db::Error) << type;
    }

    // Access sets its time-out, provider, string and database password property.
    query::ConnectionFields f = fields("access", "/data/Nwind 2000.mdb");
    db::Connection conn;
    query::connectionSettings(f).applyTo(conn);
    EXPECT_EQ((QStringList{QString::number(conn.CommandTimeout), conn.Provider, conn.ConnectionString}),
              (QStringList{"0", "Microsoft.Jet.OLEDB.4.0", "Data Source=/data/Nwind 2000.mdb"}));
    const QString key = "Jet OLEDB:Database Password";
    EXPECT_EQ(conn.Properties, (QMap<QString, QString>{{key, "jet"}}));

    f.dbPassword.clear(); // an empty password is still set
    query::connectionSettings(f).applyTo(conn);
    EXPECT_EQ(conn.Properties, (QMap<QString, QString>{{key, QString()}}));
}

TEST(ConnectionSettings, ValuesAreInsertedAsTypedUnlessTheyWouldBreakTheString)
{
    query::ConnectionFields f = fields("MYSQL", " host ", "Jöns Nilsson");
    f.password = "p;w=1";
    f.databaseName = "a}b";
    const QString s = query::connectionSettings(f).connectionString;
    EXPECT_EQ(s, "Driver={MySql};Server={ host };UID=Jöns Nilsson;PWD={p;w=1};WSID=QUORVANE;"
                 "Language=us_english;Database={a}}b};DSN=;");
    // (Such values read back unchanged: ConnectionStringValues.GoInPlainOrBraced...)

    // A SQLite profile opens its file even with a semicolon in the path.
    SqliteFiles files;
    db::Connection conn;
    query::connectionSettings(
        fields("SQLite",
               qPrintable(files.create("odd;name.sqlite", "CREATE TABLE t (x); INSERT INTO t VALUES (42);"))))
        .applyTo(conn);
    conn.Open();
    db::Recordset rs = conn.Execute("SELECT x FROM t");
    EXPECT_EQ(rs.Fields().Item(0).Value().toString(), "42");
}

} // namespace
