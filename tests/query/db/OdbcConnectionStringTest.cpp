// The provider map's translation of the program's connection strings for the installed ODBC
// drivers. Pure: the installed drivers are given, so every choice and key is checked exactly.
#include "query/db/odbc/OdbcConnectionString.h"

#include "query/db/ConnectionString.h"
#include "tests/support/FileBytes.h"
#include "tests/support/OdbcTestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using db::odbc::DriverFamily;
using db::odbc::InstalledDriver;
using db::odbc::OdbcTarget;

const QString kDebianDir = "/usr/lib/x86_64-linux-gnu/odbc/";

// A driver as odbcinst.ini registers it; a library without a folder is in Debian's.
InstalledDriver driver(const char* name, const char* library)
{
    const QString lib = QString::fromUtf8(library);
    return {QString::fromUtf8(name), lib.startsWith(u'/') ? lib : kDebianDir + lib};
}

const InstalledDriver kFreeTds = driver("FreeTDS", "libtdsodbc.so");
const InstalledDriver kMariaDb = driver("MariaDB Unicode", "libmaodbc.so");
const InstalledDriver kMdbTools = driver("MDBTools", "libmdbodbcW.so");
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

// The strings exactly as the program builds them.
const QString kSqlString =
    "Provider=SQLOLEDB.1;User ID=sa;pwd=secret;Initial Catalog=pubs;Data Source=db.example.test";
const QString kToolsString =
    "Driver={SQL Server};Server=srv;UID=sa;PWD=;WSID=QUORVANE;Language=us_english;Database=db;DSN=;";
const QString kMySqlString = "Driver={MySql};Server=127.0.0.1,3307;UID=joe;PWD=pw;WSID="
                             "QUORVANE;Language=us_english;Database=shop;DSN=;";
const QString kOracleString =
    "Provider=MSDAORA;Data Source=ORCL;User ID=scott; Password=tiger;Server=ora.example.test;";

const InstalledDriver kMs17 = driver("ODBC Driver 17 for SQL Server", "/opt/ms/libmsodbcsql-17.so");
const InstalledDriver kMs18 = driver("ODBC Driver 18 for SQL Server", "/opt/ms/libmsodbcsql-18.so");
const InstalledDriver kOracleMySql = driver("MySQL ODBC 8.0 Unicode Driver", "/usr/lib/libmyodbc8w.so");
const InstalledDriver kPlainMariaDb = driver("MariaDB", "libmaodbc.so");
const InstalledDriver kPgUnicode = driver("PostgreSQL Unicode", "psqlodbcw.so");
const InstalledDriver kPgAnsi = driver("PostgreSQL ANSI", "psqlodbca.so");
const QString kPgString =
    "Driver={PostgreSQL Unicode};Server=pg.example.test;Port=5433;Database=shop;UID=joe;PWD={p;w}";

struct Translation
{
    const char* name;
    QString input;
    QList<InstalledDriver> installed;
    QString expected;
};

const QString kFreeTdsTail = "TDS_Version=7.4;ClientCharset=UTF-8";
const QString kMariaDbTail = "OPTION=67108864;CHARSET=utf8mb4;CONN_TIMEOUT=15";

// clang-format off
const Translation kTranslations[] = {
    // SQL Server through FreeTDS: a port always (TCP), protocol 7.4, UTF-8 text, no empty DSN.
    {"SqlOleDbString", kSqlString, kDebian,
     "Driver={FreeTDS};Server=db.example.test;Port=1433;Database=pubs;UID=sa;PWD=secret;" + kFreeTdsTail},
    {"ToolsString", kToolsString, kDebian,
     "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=sa;PWD=;WSID=QUORVANE;Language=us_english;"
         + kFreeTdsTail},
    {"PortAfterComma", "Provider=SQLOLEDB.1;Data Source=127.0.0.1,1500", kDebian,
     "Driver={FreeTDS};Server=127.0.0.1;Port=1500;" + kFreeTdsTail},
    {"PortWithTcpPrefixAndBlanks", "Provider=SQLOLEDB.1;Data Source=tcp: h , 1500 ", kDebian,
     "Driver={FreeTDS};Server=h;Port=1500;" + kFreeTdsTail},
    {"NamedInstanceGetsNoDefaultPort", "Driver={SQL Server};Server=host\\SQLEXPRESS;UID=a", kDebian,
     "Driver={FreeTDS};Server=host\\SQLEXPRESS;UID=a;" + kFreeTdsTail},
    {"LocalServer", "Provider=SQLOLEDB.1;Data Source=(local)", kDebian,
     "Driver={FreeTDS};Server=localhost;Port=1433;" + kFreeTdsTail},
    {"PasswordWithSeparatorsBracedAgain", "Provider=SQLOLEDB.1;Data Source=h;pwd={p;w=1}}x}", kDebian,
     "Driver={FreeTDS};Server=h;Port=1433;PWD={p;w=1}}x};" + kFreeTdsTail},
    {"ConnectTimeoutNotPassedOn", "Provider=SQLOLEDB.1;Data Source=h;Connect Timeout=3", kDebian,
     "Driver={FreeTDS};Server=h;Port=1433;" + kFreeTdsTail},
    {"DriverRegisteredAsSqlServerWins", kToolsString, {kFreeTds, driver("SQL Server", "libtdsodbc.so")},
     "Driver={SQL Server};Server=srv;Port=1433;Database=db;UID=sa;PWD=;WSID=QUORVANE;Language=us_english;"
         + kFreeTdsTail},
    {"MicrosoftDriverWritesPortWithComma",
     "Provider=SQLOLEDB.1;User ID=sa;pwd=x;Initial Catalog=d;Data Source=h:1500", {kFreeTds, kMs17},
     "Driver={ODBC Driver 17 for SQL Server};Server=h,1500;Database=d;UID=sa;PWD=x"},
    {"Driver18TrustsTheServerCertificate", "Provider=SQLOLEDB.1;Data Source=h", {kFreeTds, kMs17, kMs18},
     "Driver={ODBC Driver 18 for SQL Server};Server=h;TrustServerCertificate=yes"},
    // MySQL through MariaDB's driver: Port=, batches on, UTF-8 text, no WSID, Language or empty DSN.
    // (A braced password reaching the server: OdbcMariaDbTest, ProgramStringLogsIn...)
    {"MySqlString", kMySqlString, kDebian,
     "Driver={MariaDB Unicode};Server=127.0.0.1;Port=3307;UID=joe;PWD=pw;Database=shop;" + kMariaDbTail},
    {"MySqlOptionKeepsItsBits", "Driver={MySql};Server=h;OPTION=3", kDebian,
     "Driver={MariaDB Unicode};Server=h;OPTION=67108867;CHARSET=utf8mb4;CONN_TIMEOUT=15"},
    {"MySqlTimeoutsOfItsOwnKept", "Driver={MySql};Server=h;CONN_TIMEOUT=4;Connect Timeout=9", kDebian,
     "Driver={MariaDB Unicode};Server=h;CONN_TIMEOUT=4;OPTION=67108864;CHARSET=utf8mb4"},
    {"DriverRegisteredAsMySqlWins", "Driver={MySql};Server=h",
     {kMariaDb, kOracleMySql, driver("MySql", "libmaodbc.so")}, "Driver={MySql};Server=h;" + kMariaDbTail},
    {"MySqlDriverBeforeMariaDb", "Driver={MySql};Server=h", {kMariaDb, kOracleMySql},
     "Driver={MySQL ODBC 8.0 Unicode Driver};Server=h;" + kMariaDbTail},
    {"MariaDbUnicodeBeforePlain", "Driver={MySql};Server=h", {kPlainMariaDb, kMariaDb},
     "Driver={MariaDB Unicode};Server=h;" + kMariaDbTail},
    {"PlainMariaDbLast", "Driver={MySql};Server=h", {kFreeTds, kPlainMariaDb},
     "Driver={MariaDB};Server=h;" + kMariaDbTail},
    // Oracle: Data Source is the TNS name; the server box has no key of its own.
    {"OracleString", kOracleString,
     {kFreeTds, driver("Oracle 21 ODBC driver", "/opt/oracle/libsqora.so.21.1")},
     "Driver={Oracle 21 ODBC driver};DBQ=ORCL;UID=scott;PWD=tiger"},
    // PostgreSQL: the Unicode driver, else the ANSI one; host:port in the server box is split.
    {"PostgreSqlString", kPgString, {kFreeTds, kPgAnsi, kPgUnicode},
     "Driver={PostgreSQL Unicode};Server=pg.example.test;Port=5433;Database=shop;UID=joe;PWD={p;w};"
         "BoolsAsChar=0"},
    {"PostgreSqlAnsiWhenAlone", "Driver={PostgreSQL Unicode};Server=h:6000;Database=d", {kPgAnsi},
     "Driver={PostgreSQL ANSI};Server=h;Port=6000;Database=d;BoolsAsChar=0"},
    {"PostgreSqlDefaultPortAndItsOwnBooleans", "Driver={PostgreSQL Unicode};Server=h;BoolsAsChar=1",
     {kPgUnicode}, "Driver={PostgreSQL Unicode};Server=h;Port=5432;BoolsAsChar=1"},
    // Strings naming a driver or DSN of their own go as written.
    {"OtherDriverUnchanged", "Driver={FreeTDS};Server=h;Port=2000;UID=u;PWD={a;b}", kDebian,
     "Driver={FreeTDS};Server=h;Port=2000;UID=u;PWD={a;b}"},
    {"DsnUnchanged", "DSN=warehouse;UID=u", kDebian, "DSN=warehouse;UID=u"},
    // A brace in a driver's name is doubled like any value's, so the driver manager reads the name back.
    {"DriverNameWithBraces", "Driver={My}}Driver};UID={a}}b}", kDebian, "Driver={My}}Driver};UID={a}}b}"},
    {"ChosenDriverNameWithBraces", "Driver={MySql};Server=h",
     {driver("MySQL ODBC 8.0 {Unicode} Driver", "/usr/lib/libmyodbc8w.so")},
     "Driver={MySQL ODBC 8.0 {Unicode}} Driver};Server=h;" + kMariaDbTail},
};
// clang-format on

TEST(Translates, ToTheInstalledDriversString)
{
    for (const Translation& t : kTranslations)
        EXPECT_EQ(translate(t.input, t.installed).connectionString, t.expected) << t.name;
}

TEST(Target, CarriesFamilyLoginTimeoutBatchesAndReadTimeout)
{
    const OdbcTarget t = translate(kSqlString);
    EXPECT_EQ(t.driver, "FreeTDS");
    EXPECT_EQ(t.family, DriverFamily::SqlServer);
    EXPECT_EQ(t.loginTimeout, 15);
    EXPECT_EQ(translate("Provider=SQLOLEDB.1;Data Source=h;Connect Timeout=3").loginTimeout, 3);
    db::odbc::setDefaultLoginTimeout(1);
    const int shortened = translate(kSqlString).loginTimeout;
    db::odbc::setDefaultLoginTimeout(15);
    EXPECT_EQ(shortened, 1);

    // A single statement needs no batches (the MariaDB driver leaks per connection that allows
    // them); a command time-out becomes the driver's read time-out, which ends a frozen server.
    db::odbc::OdbcRequest request;
    request.keys = db::parseConnectionString(kMySqlString).parts;
    request.multipleStatements = false;
    request.commandTimeout = 7;
    const db::ConnectionStringParts parts =
        db::parseConnectionString(db::odbc::translate(request, kDebian).connectionString);
    EXPECT_FALSE(parts.contains("OPTION"));
    EXPECT_EQ(parts.value("READ_TIMEOUT"), "7");
    EXPECT_EQ(parts.value("CONN_TIMEOUT"), "15");
}

// What cannot be translated says why: the drivers tried and the package that brings one, a
// provider this program does not know, a string naming nothing usable.
TEST(Untranslatable, NamesTheDriversTriedThePackageOrWhatIsMissing)
{
    const struct
    {
        QString input;
        QList<InstalledDriver> installed;
        QStringList words;
    } cases[] = {
        {kSqlString,
         {kMariaDb, kMdbTools},
         {"\"SQL Server\"", "\"ODBC Driver 18 for SQL Server\"", "\"ODBC Driver 17 for SQL Server\"",
          "\"FreeTDS\"", "tdsodbc"}},
        {kMySqlString, {kFreeTds}, {"\"MariaDB Unicode\"", "odbc-mariadb"}},
        {kPgString, kDebian, {"\"PostgreSQL ANSI\"", "odbc-postgresql"}},
        {kOracleString, kDebian, {"No ODBC driver for Oracle is installed", "Instant Client ODBC"}},
        {"Provider=Foo.1;Data Source=x", kDebian, {"Foo.1"}},
        {"Data Source=x;User ID=y", kDebian, {"names no provider"}},
    };
    for (const auto& c : cases) {
        const db::Error e = odbctest::errorOf([&] { translate(c.input, c.installed); });
        EXPECT_EQ(e.number, db::ErrorNumber::Unreachable) << c.input.toStdString();
        EXPECT_TRUE(qvtest::containsAll(e.description, c.words));
    }
}

// Access: Data Source (made absolute) becomes DBQ; the database password goes only to the
// Microsoft driver, as mdbtools knows none. A missing file, a folder, no file at all and no
// driver are each named, before any driver is tried.
TEST(AccessString, DataSourceBecomesDbqOrWhatCannotBeOpenedIsNamed)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("sales; 2024.mdb");
    qvtest::writeBytes(file, "not really a database");
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto access = [](const QString& dataSource) {
        return "Data Source=" + db::connectionStringValue(dataSource);
    };
    const QString jet = "Microsoft.Jet.OLEDB.4.0";
    for (const QString& dataSource : {file, QStringLiteral("sales; 2024.mdb")}) {
        const OdbcTarget t = translate(access(dataSource), kDebian, jet, "s3cret");
        EXPECT_EQ(t.connectionString, QStringLiteral("Driver={MDBTools};DBQ={%1}").arg(file));
        EXPECT_EQ(t.family, DriverFamily::Access);
        EXPECT_EQ(t.accessFile, file);
        EXPECT_TRUE(t.stripTrailingSemicolon);
    }
    const InstalledDriver ms{"Microsoft Access Driver (*.mdb, *.accdb)", "ACEODBC.DLL"};
    const OdbcTarget t = translate(access(file), {kMdbTools, ms}, jet, "s3cret");
    EXPECT_EQ(
        t.connectionString,
        QStringLiteral("Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ={%1};PWD=s3cret").arg(file));
    EXPECT_FALSE(t.stripTrailingSemicolon);

    const QString missing = dir.filePath("nowhere.mdb");
    const struct
    {
        QString dataSource;
        QList<InstalledDriver> installed;
        QStringList words;
    } cases[] = {
        {missing, kDebian, {QStringLiteral("Could not find file '%1'.").arg(missing)}},
        {dir.path(), kDebian, {dir.path(), "is not a file"}},
        {QString(), kDebian, {"no Access database file"}},
        {file, {kFreeTds}, {"\"MDBTools\"", "odbc-mdbtools"}},
    };
    for (const auto& c : cases) {
        const db::Error e = odbctest::errorOf([&] { translate(access(c.dataSource), c.installed, jet); });
        EXPECT_EQ(e.number, db::ErrorNumber::Unreachable);
        EXPECT_TRUE(qvtest::containsAll(e.description, c.words));
    }
    QDir::setCurrent(cwd);
}

TEST(DriverFamilies, FromNameOrLibrary)
{
    const struct
    {
        const char *name, *library;
        DriverFamily family;
    } cases[] = {
        {"SQL Server", "", DriverFamily::SqlServer},
        {"sybase", "libtdsodbc.so", DriverFamily::SqlServer},
        {"MySql", "", DriverFamily::MySql},
        {"shop", "libmaodbc.so", DriverFamily::MySql},
        {"MDBTools", "", DriverFamily::Access},
        {"Oracle 21 ODBC driver", "", DriverFamily::Oracle},
        {"PostgreSQL Unicode", "", DriverFamily::PostgreSql},
        {"", "psqlodbcw.so", DriverFamily::PostgreSql},
        {"", "sqlite3odbc.so", DriverFamily::Sqlite},
        {"Firebird", "libOdbcFb.so", DriverFamily::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(db::odbc::familyOf(QString::fromUtf8(c.name), kDebianDir + QString::fromUtf8(c.library)),
                  c.family)
            << c.name << c.library;
    // A string naming a driver of its own takes that driver's family.
    EXPECT_EQ(translate("Driver={FreeTDS};Server=h").family, DriverFamily::SqlServer);
    EXPECT_EQ(translate("DSN=warehouse;UID=u").family, DriverFamily::Other);
    EXPECT_TRUE(translate("Driver={MDBTools};DBQ=/x.mdb").stripTrailingSemicolon);
}

} // namespace
