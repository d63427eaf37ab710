// The main window on the database types an ODBC driver reaches (PostgreSQL, and any driver
// through the ODBC type) and on the engines where exact values were found wrong: one table of
// cases, each run as the user runs it into the grid, the plain text and Data Output to File.
// Real servers and drivers only: the PostgreSQL server of the test services, SQLite files, and
// the SQLite and PostgreSQL ODBC drivers. Failures and their numbers on every engine:
// tests/query/db (EngineLayerTest); the error report: RunTest.
#include "query/db/Connection.h"
#include "tests/support/FormFixture.h"
#include "tests/support/ParamName.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SqliteFiles.h"

#include <QDir>

namespace {

enum class Engine { SQLite, PostgreSql, OdbcSqlite, OdbcDsn };

struct Case
{
    const char* name;
    Engine engine;
    const char* setup; // statements separated by ";" (for the SQLite engines, the file's script)
    const char* query;
    QStringList shown = {}; // the grid's rows, names first, cells joined by "|"; none: the cells stay empty
    const char* then = nullptr; // run afterwards into the grid
    QStringList thenShown = {};
};

const char* const kPgTypes =
    "DROP TABLE IF EXISTS eng_types;"
    "CREATE TABLE eng_types (id int PRIMARY KEY, t text, n numeric(40, 0), ts timestamp(6), b bytea, ok "
    "boolean);"
    "INSERT INTO eng_types VALUES (1, 'äö€ 😀', 1234567890123456789012345678901234567890,"
    " '2024-01-02 03:04:05.123456', '\\x00ff4142', true), (2, '', NULL, NULL, '\\x', false),"
    " (3, NULL, -0.0, '1999-12-31 23:59:59.000001', NULL, NULL)";

// clang-format off
const Case kCases[] = {
    // PostgreSQL: every kind of value, NULL and '' told apart by "t is null".
    {"PostgreSqlValues", Engine::PostgreSql, kPgTypes,
     "select id, t, t is null as tnull, n, ts, b, ok from eng_types order by id",
     {"id|t|tnull|n|ts|b|ok", "1|äö€ 😀|0|1234567890123456789012345678901234567890|2024-01-02 03:04:05.123456|00FF4142|1",
      "2||0||||0", "3||1|0|1999-12-31 23:59:59.000001||"}},
    {"PostgreSqlBatchShowsItsFirstResult", Engine::PostgreSql, nullptr, "select 'first' as a; select 'second' as b",
     {"a", "first"}},
    {"PostgreSqlInsertGivesAClosedResult", Engine::PostgreSql, "DROP TABLE IF EXISTS eng_insert; CREATE TABLE eng_insert (n int)",
     "insert into eng_insert values (7)", {}, "select n from eng_insert", {"n", "7"}},
    // Values found wrong: SQLite blobs as raw bytes and the SQLite ODBC driver's non-ASCII names
    // followed by NULs (MariaDB's bits: OdbcMariaDbTest).
    {"SqliteBlobsInHexadecimal", Engine::SQLite,
     "CREATE TABLE eng_blobs (b BLOB); INSERT INTO eng_blobs VALUES (x'00FF4142'), (x'00FE4142'), (x'')",
     "select b from eng_blobs order by b", {"b", "", "00FE4142", "00FF4142"}},
    {"OdbcSqliteNamesAndBlobs", Engine::OdbcSqlite,
     "CREATE TABLE eng_names (\"nämé\" TEXT, \"ü\" BLOB); INSERT INTO eng_names VALUES ('x', x'00FF')",
     "select \"nämé\", \"ü\" from eng_names", {"nämé|ü", "x|00FF"}},
    // The ODBC type: a data source of odbc.ini with the boxes' user and password (which of the
    // string and the boxes wins: ConnectionSettingsTest).
    {"OdbcDsnWithTheBoxes", Engine::OdbcDsn, nullptr, "select current_user as u, current_database() as d",
     {"u|d", "quorvane|quorvane"}},
};
// clang-format on

class EngineWindow : public FormFixture
{
protected:
    void TearDown() override
    {
        results::setExportTarget(QString());
        FormFixture::TearDown();
    }

    // Fills the (empty) connection fields of an engine; false when the test services do not offer it.
    bool fieldsFor(Engine engine, const char* setup, query::ConnectionFields& f)
    {
        switch (engine) {
        case Engine::SQLite:
            f.type = QStringLiteral("SQLite");
            f.location = files.create(QStringLiteral("engine.sqlite"), setup);
            return true;
        case Engine::OdbcSqlite:
            if (qEnvironmentVariable("ODBCSYSINI").isEmpty())
                return missing("the private odbcinst.ini with the SQLite ODBC driver");
            f.type = QStringLiteral("ODBC");
            f.location = QStringLiteral("Driver={SQLite3};Database=") +
                         files.create(QStringLiteral("odbc.sqlite"), setup);
            return true;
        case Engine::PostgreSql:
        case Engine::OdbcDsn:
            if (qEnvironmentVariable("QUORVANE_POSTGRES_PORT").isEmpty())
                return missing("the PostgreSQL server");
            f = {QStringLiteral("PostgreSQL"),
                 qEnvironmentVariable("QUORVANE_POSTGRES_USER"),
                 qEnvironmentVariable("QUORVANE_POSTGRES_PASSWORD"),
                 QStringLiteral("127.0.0.1:") + qEnvironmentVariable("QUORVANE_POSTGRES_PORT"),
                 QStringLiteral("quorvane"),
                 {}};
            if (engine == Engine::OdbcDsn) {
                // A user data source of this test's own HOME.
                const QString ini = QDir::home().filePath(QStringLiteral(".odbc.ini"));
                writeFile(ini,
                          QStringLiteral("[QuorvanePg]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\n"
                                         "Port=%1\nDatabase=quorvane\n")
                              .arg(qEnvironmentVariable("QUORVANE_POSTGRES_PORT"))
                              .toUtf8());
                setenv("ODBCINI", QFile::encodeName(ini).constData(), 1);
                f.type = QStringLiteral("ODBC");
                f.location = QStringLiteral("QuorvanePg");
                f.databaseName.clear();
            }
            return true;
        }
        return false;
    }

    // Runs each statement of the setup on a connection of its own, as another program would.
    static void runDirect(const query::ConnectionFields& f, const char* setup)
    {
        db::Connection connection;
        query::connectionSettings(f).applyTo(connection);
        connection.Open();
        for (const QString& sql : QString::fromUtf8(setup).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            connection.Execute(sql);
    }

    SqliteFiles files;
};

class Engines : public EngineWindow, public testing::WithParamInterface<Case>
{
};

TEST_P(Engines, ShowTheirExactValuesInEveryOutput)
{
    const Case& c = GetParam();
    query::ConnectionFields f;
    if (!fieldsFor(c.engine, c.setup ? c.setup : "", f))
        return;
    if (c.engine == Engine::PostgreSql && c.setup) {
        ASSERT_NO_THROW(runDirect(f, c.setup));
    }
    useConnection(f);

    run(QString::fromUtf8(c.query));
    ASSERT_EQ(dialogs.takeMessages(), QStringList());
    const qsizetype records = std::max<qsizetype>(c.shown.size() - 1, 0);
    EXPECT_EQ(panel(1), QStringLiteral("Rows: %1").arg(records));
    if (c.shown.isEmpty()) {
        for (QString row : gridRows())
            EXPECT_TRUE(row.remove(QLatin1Char('|')).isEmpty()) << row.toStdString();
    } else {
        // Compared whole, so a stray control character (a NUL after a name) shows too.
        EXPECT_EQ(gridRows(), c.shown);

        form->PlainText_Click();
        run(QString::fromUtf8(c.query));
        QString plain;
        for (const QString& row : c.shown)
            plain += QString(row).replace(QLatin1Char('|'), QLatin1Char('\t')) + QStringLiteral("\t\n");
        EXPECT_EQ(form->Text2->toPlainText(), plain);
        form->DataGrid_Click();

        const QString out = dir.filePath(QStringLiteral("out.txt"));
        results::setExportTarget(out);
        form->DataOutputtoFile->setChecked(true);
        run(QString::fromUtf8(c.query));
        form->DataOutputtoFile->setChecked(false);
        EXPECT_EQ(dialogs.takeMessages(), QStringList{QStringLiteral("Export Complete")});
        QString block;
        for (const QString& row : c.shown)
            block += row + QStringLiteral("|\r\n");
        EXPECT_EQ(QString::fromUtf8(fileBytes(out)), block + QStringLiteral("\r\n"));
    }
    if (c.then) {
        run(QString::fromUtf8(c.then));
        EXPECT_EQ(dialogs.takeMessages(), QStringList());
        EXPECT_EQ(gridRows(), c.thenShown);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Engines, testing::ValuesIn(kCases), qvtest::ParamName());

} // namespace
