// The provider map's translation of the program's connection strings for the installed ODBC
// drivers. Pure: the installed drivers are given, so every choice and key is checked exactly.
#include "query/db/odbc/OdbcConnectionString.h"

#include "query/db/ConnectionString.h"
#include "tests/query/db/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using db::odbc::DriverFamily;
using db::odbc::InstalledDriver;
using db::odbc::OdbcTarget;

const QString kDebianDir = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/");
const InstalledDriver kFreeTds{QStringLiteral("FreeTDS"), kDebianDir + QStringLiteral("libtdsodbc.so")};
const InstalledDriver kMariaDb{QStringLiteral("MariaDB Unicode"),
                               kDebianDir + QStringLiteral("libmaodbc.so")};
const InstalledDriver kMdbTools{QStringLiteral("MDBTools"), kDebianDir + QStringLiteral("libmdbodbcW.so")};
const QList<InstalledDriver> kDebian{kFreeTds, kMariaDb, kMdbTools};

OdbcTarget translate(const QString& connectionString, const QList<InstalledDriver>& installed = kDebian,
                     const QString& provider = {}, std::optional<QString> databasePassword = std::nullopt)
{
    db::odbc::OdbcRequest request;
    request.keys = db::parseConnectionString(connectionString).parts;
    request.provider = provider;
    request.databasePassword = std::move(databasePassword);
    return db::odbc::translate(request, installed);
}

db::Error translateError(const QString& connectionString, const QList<InstalledDriver>& installed = kDebian,
                         const QString& provider = {})
{
    try {
        translate(connectionString, installed, provider);
    } catch (const db::Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error for " << connectionString.toStdString();
    return db::Error(QString());
}

// The strings exactly as the program builds them.
const QString kSqlString = QStringLiteral(
    "Provider=SQLOLEDB.1;User ID=sa;pwd=secret;Initial Catalog=pubs;Data Source=db.example.test");
const QString kToolsString = QStringLiteral(
    "Driver={SQL Server};Server=srv;UID=sa;PWD=;WSID=QUORVANE;Language=us_english;Database=db;DSN=;");
const QString kMySqlString = QStringLiteral("Driver={MySql};Server=127.0.0.1,3307;UID=joe;PWD=pw;WSID="
                                            "QUORVANE;Language=us_english;Database=shop;DSN=;");
const QString kOracleString = QStringLiteral(
    "Provider=MSDAORA;Data Source=ORCL;User ID=scott; Password=tiger;Server=ora.example.test;");

const InstalledDriver kSqlServerAlias{QStringLiteral("SQL Server"),
                                      kDebianDir + QStringLiteral("libtdsodbc.so")};
const InstalledDriver kMs17{QStringLiteral("ODBC Driver 17 for SQL Server"),
                            QStringLiteral("/opt/microsoft/msodbcsql17/lib64/libmsodbcsql-17.so")};
const InstalledDriver kMs18{QStringLiteral("ODBC Driver 18 for SQL Server"),
                            QStringLiteral("/opt/microsoft/msodbcsql18/lib64/libmsodbcsql-18.so")};
const InstalledDriver kMySqlAlias{QStringLiteral("MySql"), kDebianDir + QStringLiteral("libmaodbc.so")};
const InstalledDriver kOracleMySql{QStringLiteral("MySQL ODBC 8.0 Unicode Driver"),
                                   QStringLiteral("/usr/lib/libmyodbc8w.so")};
const InstalledDriver kPlainMariaDb{QStringLiteral("MariaDB"), kDebianDir + QStringLiteral("libmaodbc.so")};
const InstalledDriver kOracle{QStringLiteral("Oracle 21 ODBC driver"),
                              QStringLiteral("/opt/oracle/instantclient_21_12/libsqora.so.21.1")};
const InstalledDriver kPgUnicode{QStringLiteral("PostgreSQL Unicode"),
                                 kDebianDir + QStringLiteral("psqlodbcw.so")};
const InstalledDriver kPgAnsi{QStringLiteral("PostgreSQL ANSI"), kDebianDir + QStringLiteral("psqlodbca.so")};
const QString kPgString = QStringLiteral(
    "Driver={PostgreSQL Unicode};Server=pg.example.test;Port=5433;Database=shop;UID=joe;PWD={p;w}");

struct Translation
{
    const char* name;
    QString input;
    QList<InstalledDriver> installed;
    QString expected;
};

class Translates : public testing::TestWithParam<Translation>
{
};

TEST_P(Translates, ToTheInstalledDriversString)
{
    EXPECT_EQ(translate(GetParam().input, GetParam().installed).connectionString, GetParam().expected);
}

const QString kFreeTdsTail = QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8");
const QString kMariaDbTail = QStringLiteral("OPTION=67108864;CHARSET=utf8mb4;CONN_TIMEOUT=15");

const Translation kTranslations[] = {
    // SQL Server through FreeTDS: a port always (TCP), protocol 7.4, UTF-8 text, no empty DSN.
    {"SqlOleDbString", kSqlString, kDebian,
     "Driver={FreeTDS};Server=db.example.test;Port=1433;Database=pubs;UID=sa;PWD=secret;" + kFreeTdsTail},
    {"ToolsString", kToolsString, kDebian,
     "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=sa;PWD=;WSID=QUORVANE;Language=us_english;" +
         kFreeTdsTail},
    {"LockWatchStringBlankBeforeLastSemicolon",
     QStringLiteral("Driver={SQL Server};Server=srv;UID=sa;PWD=pw;WSID=QUORVANE;Language=us_english;"
                    "Database=db ;DSN=;"),
     kDebian,
     "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=sa;PWD=pw;WSID=QUORVANE;Language=us_english;" +
         kFreeTdsTail},
    {"PortAfterComma", QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,1500"), kDebian,
     "Driver={FreeTDS};Server=127.0.0.1;Port=1500;" + kFreeTdsTail},
    {"PortWithTcpPrefixAndBlanks", QStringLiteral("Provider=SQLOLEDB.1;Data Source=tcp: h , 1500 "), kDebian,
     "Driver={FreeTDS};Server=h;Port=1500;" + kFreeTdsTail},
    {"NamedInstanceGetsNoDefaultPort", QStringLiteral("Driver={SQL Server};Server=host\\SQLEXPRESS;UID=a"),
     kDebian, "Driver={FreeTDS};Server=host\\SQLEXPRESS;UID=a;" + kFreeTdsTail},
    {"LocalServer", QStringLiteral("Provider=SQLOLEDB.1;Data Source=(local)"), kDebian,
     "Driver={FreeTDS};Server=localhost;Port=1433;" + kFreeTdsTail},
    {"PasswordWithSeparatorsBracedAgain", QStringLiteral("Provider=SQLOLEDB.1;Data Source=h;pwd={p;w=1}}x}"),
     kDebian, "Driver={FreeTDS};Server=h;Port=1433;PWD={p;w=1}}x};" + kFreeTdsTail},
    {"ConnectTimeoutNotPassedOn", QStringLiteral("Provider=SQLOLEDB.1;Data Source=h;Connect Timeout=3"),
     kDebian, "Driver={FreeTDS};Server=h;Port=1433;" + kFreeTdsTail},
    {"DriverRegisteredAsSqlServerWins",
     kToolsString,
     {kFreeTds, kSqlServerAlias},
     "Driver={SQL Server};Server=srv;Port=1433;Database=db;UID=sa;PWD=;WSID=QUORVANE;Language=us_english;" +
         kFreeTdsTail},
    {"MicrosoftDriverWritesPortWithComma",
     QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;pwd=x;Initial Catalog=d;Data Source=h:1500"),
     {kFreeTds, kMs17},
     "Driver={ODBC Driver 17 for SQL Server};Server=h,1500;Database=d;UID=sa;PWD=x"},
    {"Driver18TrustsTheServerCertificate",
     QStringLiteral("Provider=SQLOLEDB.1;Data Source=h"),
     {kFreeTds, kMs17, kMs18},
     "Driver={ODBC Driver 18 for SQL Server};Server=h;TrustServerCertificate=yes"},
    // MySQL through MariaDB's driver: Port=, batches on, UTF-8 text, no WSID, Language or empty DSN.
    {"MySqlString", kMySqlString, kDebian,
     "Driver={MariaDB Unicode};Server=127.0.0.1;Port=3307;UID=joe;PWD=pw;Database=shop;" + kMariaDbTail},
    {"MySqlNoPort", QStringLiteral("Driver={MySql};Server=h;UID=u"), kDebian,
     "Driver={MariaDB Unicode};Server=h;UID=u;" + kMariaDbTail},
    {"MySqlOptionKeepsItsBits", QStringLiteral("Driver={MySql};Server=h;OPTION=3"), kDebian,
     QStringLiteral("Driver={MariaDB Unicode};Server=h;OPTION=67108867;CHARSET=utf8mb4;CONN_TIMEOUT=15")},
    {"MySqlTimeoutsOfItsOwnKept", QStringLiteral("Driver={MySql};Server=h;CONN_TIMEOUT=4;Connect Timeout=9"),
     kDebian,
     QStringLiteral("Driver={MariaDB Unicode};Server=h;CONN_TIMEOUT=4;OPTION=67108864;CHARSET=utf8mb4")},
    {"MySqlPasswordStaysBraced", QStringLiteral("Driver={MySql};Server=h;PWD={p;w=1};DSN=;"), kDebian,
     "Driver={MariaDB Unicode};Server=h;PWD={p;w=1};" + kMariaDbTail},
    {"DriverRegisteredAsMySqlWins",
     QStringLiteral("Driver={MySql};Server=h"),
     {kMariaDb, kOracleMySql, kMySqlAlias},
     "Driver={MySql};Server=h;" + kMariaDbTail},
    {"MySqlDriverBeforeMariaDb",
     QStringLiteral("Driver={MySql};Server=h"),
     {kMariaDb, kOracleMySql},
     "Driver={MySQL ODBC 8.0 Unicode Driver};Server=h;" + kMariaDbTail},
    {"MariaDbUnicodeBeforePlain",
     QStringLiteral("Driver={MySql};Server=h"),
     {kPlainMariaDb, kMariaDb},
     "Driver={MariaDB Unicode};Server=h;" + kMariaDbTail},
    {"PlainMariaDbLast",
     QStringLiteral("Driver={MySql};Server=h"),
     {kFreeTds, kPlainMariaDb},
     "Driver={MariaDB};Server=h;" + kMariaDbTail},
    // Oracle: Data Source is the TNS name; the server box has no key of its own.
    {"OracleString",
     kOracleString,
     {kFreeTds, kOracle},
     QStringLiteral("Driver={Oracle 21 ODBC driver};DBQ=ORCL;UID=scott;PWD=tiger")},
    // PostgreSQL: the Unicode driver, else the ANSI one; host:port in the server box is split.
    {"PostgreSqlString",
     kPgString,
     {kFreeTds, kPgAnsi, kPgUnicode},
     QStringLiteral(
         "Driver={PostgreSQL Unicode};Server=pg.example.test;Port=5433;Database=shop;UID=joe;PWD={p;w};"
         "BoolsAsChar=0")},
    {"PostgreSqlAnsiWhenAlone",
     QStringLiteral("Driver={PostgreSQL Unicode};Server=h:6000;Database=d"),
     {kPgAnsi},
     QStringLiteral("Driver={PostgreSQL ANSI};Server=h;Port=6000;Database=d;BoolsAsChar=0")},
    {"PostgreSqlDefaultPortAndItsOwnBooleans",
     QStringLiteral("Driver={PostgreSQL Unicode};Server=h;BoolsAsChar=1"),
     {kPgUnicode},
     QStringLiteral("Driver={PostgreSQL Unicode};Server=h;Port=5432;BoolsAsChar=1")},
    // Strings naming a driver or DSN of their own go as written.
    {"OtherDriverUnchanged", QStringLiteral("Driver={FreeTDS};Server=h;Port=2000;UID=u;PWD={a;b}"), kDebian,
     QStringLiteral("Driver={FreeTDS};Server=h;Port=2000;UID=u;PWD={a;b}")},
    {"DsnUnchanged", QStringLiteral("DSN=warehouse;UID=u"), kDebian, QStringLiteral("DSN=warehouse;UID=u")},
    // A brace in a driver's name is doubled like any value's, so the driver manager reads the name back.
    {"DriverNameWithBraces", QStringLiteral("Driver={My}}Driver};UID={a}}b}"), kDebian,
     QStringLiteral("Driver={My}}Driver};UID={a}}b}")},
    {"ChosenDriverNameWithBraces",
     QStringLiteral("Driver={MySql};Server=h"),
     {{QStringLiteral("MySQL ODBC 8.0 {Unicode} Driver"), QStringLiteral("/usr/lib/libmyodbc8w.so")}},
     "Driver={MySQL ODBC 8.0 {Unicode}} Driver};Server=h;" + kMariaDbTail},
};

INSTANTIATE_TEST_SUITE_P(Strings, Translates, testing::ValuesIn(kTranslations),
                         [](const testing::TestParamInfo<Translation>& info) {
                             return std::string(info.param.name);
                         });

TEST(SqlServerString, FreeTdsTargetCarriesFamilyAndLoginTimeout)
{
    const OdbcTarget t = translate(kSqlString);
    EXPECT_EQ(t.driver, QStringLiteral("FreeTDS"));
    EXPECT_EQ(t.family, DriverFamily::SqlServer);
    EXPECT_EQ(t.loginTimeout, 15);
    EXPECT_EQ(translate(QStringLiteral("Provider=SQLOLEDB.1;Data Source=h;Connect Timeout=3")).loginTimeout,
              3);
    db::odbc::setDefaultLoginTimeout(1);
    const int shortened = translate(kSqlString).loginTimeout;
    db::odbc::setDefaultLoginTimeout(15);
    EXPECT_EQ(shortened, 1);
}

// A single statement needs no batches (the MariaDB driver leaks per connection that allows
// them); a command time-out becomes the driver's read time-out, which ends a frozen server.
TEST(MySqlString, BatchesAndReadTimeoutFollowTheConnection)
{
    db::odbc::OdbcRequest request;
    request.keys = db::parseConnectionString(kMySqlString).parts;
    request.multipleStatements = false;
    request.commandTimeout = 7;
    const db::ConnectionStringParts parts =
        db::parseConnectionString(db::odbc::translate(request, kDebian).connectionString);
    EXPECT_FALSE(parts.contains(QStringLiteral("OPTION")));
    EXPECT_EQ(parts.value(QStringLiteral("READ_TIMEOUT")), QStringLiteral("7"));
    EXPECT_EQ(parts.value(QStringLiteral("CONN_TIMEOUT")), QStringLiteral("15"));
}

TEST(DriverChoice, NoneInstalledNamesTheDriversTriedAndThePackage)
{
    db::Error e = translateError(kSqlString, {kMariaDb, kMdbTools});
    EXPECT_EQ(e.number, db::ErrorNumber::Unreachable);
    for (const char* part : {"\"SQL Server\"", "\"ODBC Driver 18 for SQL Server\"",
                             "\"ODBC Driver 17 for SQL Server\"", "\"FreeTDS\"", "tdsodbc"})
        EXPECT_TRUE(e.description.contains(QLatin1String(part)))
            << part << " missing in " << e.description.toStdString();
    e = translateError(kMySqlString, {kFreeTds});
    EXPECT_EQ(e.number, db::ErrorNumber::Unreachable);
    EXPECT_TRUE(e.description.contains(QLatin1String("\"MariaDB Unicode\""))) << e.description.toStdString();
    EXPECT_TRUE(e.description.contains(QLatin1String("odbc-mariadb"))) << e.description.toStdString();
    e = translateError(kPgString, kDebian);
    EXPECT_TRUE(e.description.contains(QLatin1String("\"PostgreSQL ANSI\""))) << e.description.toStdString();
    EXPECT_TRUE(e.description.contains(QLatin1String("odbc-postgresql"))) << e.description.toStdString();
}

// --- Access ---------------------------------------------------------------------------------

class AccessString : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("sales; 2024.mdb"));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not really a database");
    }
    QTemporaryDir dir;
    QString file;
};

TEST_F(AccessString, DataSourceBecomesDbqWithTheProviderSetAsProperty)
{
    const OdbcTarget t = translate(QStringLiteral("Data Source=") + db::connectionStringValue(file), kDebian,
                                   QStringLiteral("Microsoft.Jet.OLEDB.4.0"), QString());
    // mdbtools knows no database password: the (empty) property is not passed on.
    EXPECT_EQ(t.connectionString, QStringLiteral("Driver={MDBTools};DBQ={%1}").arg(file));
    EXPECT_EQ(t.family, DriverFamily::Access);
    EXPECT_EQ(t.accessFile, file);
    EXPECT_TRUE(t.stripTrailingSemicolon);
}

TEST_F(AccessString, MicrosoftDriverGetsTheDatabasePassword)
{
    const InstalledDriver ms{QStringLiteral("Microsoft Access Driver (*.mdb, *.accdb)"),
                             QStringLiteral("ACEODBC.DLL")};
    const OdbcTarget t = translate(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") +
                                       db::connectionStringValue(file),
                                   {kMdbTools, ms}, {}, QStringLiteral("s3cret"));
    EXPECT_EQ(
        t.connectionString,
        QStringLiteral("Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ={%1};PWD=s3cret").arg(file));
    EXPECT_FALSE(t.stripTrailingSemicolon);
}

TEST_F(AccessString, RelativePathIsMadeAbsolute)
{
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const OdbcTarget t = translate(QStringLiteral("Data Source={sales; 2024.mdb}"), kDebian,
                                   QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    QDir::setCurrent(cwd);
    EXPECT_EQ(t.accessFile, file);
}

// A missing file, a folder, no file at all and no driver: each named, before any driver is tried.
TEST_F(AccessString, WhatCannotBeOpenedIsNamed)
{
    const QString missing = dir.filePath(QStringLiteral("nowhere.mdb"));
    const struct
    {
        QString dataSource;
        QList<InstalledDriver> installed;
        QStringList words;
    } cases[] = {
        {missing, kDebian, {QStringLiteral("Could not find file '%1'.").arg(missing)}},
        {dir.path(), kDebian, {dir.path(), QStringLiteral("is not a file")}},
        {QString(), kDebian, {QStringLiteral("no Access database file")}},
        {file, {kFreeTds}, {QStringLiteral("\"MDBTools\""), QStringLiteral("odbc-mdbtools")}},
    };
    for (const auto& c : cases) {
        const db::Error e =
            translateError(QStringLiteral("Data Source=") + db::connectionStringValue(c.dataSource),
                           c.installed, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
        EXPECT_EQ(e.number, db::ErrorNumber::Unreachable);
        for (const QString& w : c.words)
            EXPECT_TRUE(e.description.contains(w)) << e.description.toStdString();
    }
    // Root reads any file: the unreadable case exists only for other users.
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::WriteOwner));
    if (!QFile(file).open(QIODevice::ReadOnly)) {
        EXPECT_TRUE(translateError(QStringLiteral("Data Source=") + db::connectionStringValue(file), kDebian,
                                   QStringLiteral("Microsoft.Jet.OLEDB.4.0"))
                        .description.contains(file));
    }
}

// --- other strings --------------------------------------------------------------------------

TEST(OtherStrings, DriverOfTheirOwnDecidesFamily)
{
    EXPECT_EQ(translate(QStringLiteral("Driver={FreeTDS};Server=h")).family, DriverFamily::SqlServer);
    EXPECT_EQ(translate(QStringLiteral("DSN=warehouse;UID=u")).family, DriverFamily::Other);
    EXPECT_TRUE(translate(QStringLiteral("Driver={MDBTools};DBQ=/x.mdb")).stripTrailingSemicolon);
}

TEST(OtherStrings, NothingUsableIsAClearError)
{
    EXPECT_TRUE(translateError(QStringLiteral("Data Source=x;User ID=y"))
                    .description.contains(QLatin1String("names no provider")));
    const db::Error e = translateError(QStringLiteral("Provider=Foo.1;Data Source=x"));
    EXPECT_EQ(e.number, db::ErrorNumber::Unreachable);
    EXPECT_TRUE(e.description.contains(QLatin1String("Foo.1"))) << e.description.toStdString();
}

TEST(DriverFamilies, FromNameOrLibrary)
{
    EXPECT_EQ(db::odbc::familyOf(QStringLiteral("SQL Server"), {}), DriverFamily::SqlServer);
    EXPECT_EQ(db::odbc::familyOf(QStringLiteral("sybase"), kFreeTds.library), DriverFamily::SqlServer);
    EXPECT_EQ(db::odbc::familyOf(QStringLiteral("MySql"), {}), DriverFamily::MySql);
    EXPECT_EQ(db::odbc::familyOf(QStringLiteral("shop"), kMariaDb.library), DriverFamily::MySql);
    EXPECT_EQ(db::odbc::familyOf(QStringLiteral("MDBTools"), {}), DriverFamily::Access);
    EXPECT_EQ(db::odbc::familyOf(QStringLiteral("Oracle 21 ODBC driver"), {}), DriverFamily::Oracle);
    EXPECT_EQ(db::odbc::familyOf(QStringLiteral("PostgreSQL Unicode"), {}), DriverFamily::PostgreSql);
    EXPECT_EQ(db::odbc::familyOf({}, QStringLiteral("psqlodbcw.so")), DriverFamily::PostgreSql);
    EXPECT_EQ(db::odbc::familyOf({}, QStringLiteral("sqlite3odbc.so")), DriverFamily::Sqlite);
    EXPECT_EQ(db::odbc::familyOf(QStringLiteral("Firebird"), QStringLiteral("libOdbcFb.so")),
              DriverFamily::Other);
}

} // namespace
