// Access database files through mdbtools' ODBC driver, reached with the Jet connection string
// (provider and database password set as connection properties, as the program does).
#include "tests/support/AccessSamples.h"
#include "tests/support/OdbcTestSupport.h"

#include <QDir>
#include <QFileInfo>

namespace {

using odbctest::connect;
using odbctest::errorOf;
using odbctest::query;

class AccessTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (qvtest::accessSampleFolder().isEmpty()) {
            if (odbctest::underCi())
                FAIL() << "the Access sample files are missing (tests/data/access)";
            GTEST_SKIP() << "no Access sample files in tests/data/access";
        }
    }

    // Opens a sample file as the program does; skips when that one file is absent.
    std::unique_ptr<db::BackendConnection> open(const char* fileName)
    {
        const QString path = qvtest::accessSampleFolder() + QLatin1Char('/') + QLatin1String(fileName);
        if (!QFileInfo::exists(path))
            return nullptr;
        return connect("Data Source=" + db::connectionStringValue(path), "Microsoft.Jet.OLEDB.4.0",
                       {{"Jet OLEDB:Database Password", QString()}});
    }
};

#define OPEN_OR_SKIP(var, file)                                                                              \
    auto var = open(file);                                                                                   \
    if (!var)                                                                                                \
        GTEST_SKIP() << file << " is not in " << qvtest::accessSampleFolder().toStdString()                  \
                     << " (listed in its README)";

TEST_F(AccessTest, NullsFileReadsEveryTable)
{
    OPEN_OR_SKIP(c, "testIndexPropertiesV2000.mdb");
    QStringList nulls1 = query(*c, "SELECT row, data FROM TableIgnoreNulls1");
    nulls1.sort();
    EXPECT_EQ(nulls1, (QStringList{"row0|stuff", "row1|<null>", "row2|more", "row3|<null>", "row4|some",
                                   "row5|<null>", "row6|lots of stuff", "row7|another row", "row8|<null>",
                                   "row9|still more rows"}));
    auto empty = c->execute("SELECT * FROM TableIgnoreNulls1_temp");
    EXPECT_EQ(empty->columnCount(), 2);
    EXPECT_FALSE(empty->fetch());
    EXPECT_TRUE(query(*c, "SELECT * FROM TableIgnoreNulls2_temp").isEmpty());
}

TEST_F(AccessTest, UnicodeFileReadsNonAsciiText)
{
    OPEN_OR_SKIP(c, "testUnicodeCompV2003.mdb");
    auto result = c->execute("SELECT ID, Unicode FROM [Table]");
    ASSERT_EQ(result->columnCount(), 2);
    EXPECT_EQ(result->column(1).name, "Unicode");
    QMap<QString, QString> byId;
    while (result->fetch())
        byId.insert(result->text(0), result->text(1));
    EXPECT_EQ(byId.size(), 8);
    EXPECT_EQ(byId.value("2"), "ääkkösiä");
    EXPECT_EQ(byId.value("3"), "Мир");
    // The file writes the accents with the Greek Extended letters (U+1F79 "ύ" for U+03CD):
    // the same text once normalised.
    EXPECT_EQ(byId.value("4").normalized(QString::NormalizationForm_C),
              QStringLiteral("ϰαὶ τότ' ἐγὼ Κύϰλωπα").normalized(QString::NormalizationForm_C));
    EXPECT_EQ(byId.value("5"), "漢字仮名交じり文");
    QString all;
    for (char32_t u = 1; u <= 0xFF; ++u)
        all += QChar(static_cast<char16_t>(u));
    EXPECT_EQ(byId.value("8"), all);
}

TEST_F(AccessTest, AccdbFileReadsEveryColumnTypeOneResultAndNoKeys)
{
    OPEN_OR_SKIP(c, "testV2007.accdb");
    QStringList table1 = query(*c, "SELECT * FROM Table1");
    table1.sort();
    EXPECT_EQ(table1, (QStringList{"abcdefg|hijklmnop|2|222|333333333|444.555|1974-09-21 00:00:00|3.5000|1",
                                   "a|b|0|0|0|0|1981-12-12 00:00:00|0.0000|0"}));
    auto wide = c->execute("SELECT * FROM Table2");
    EXPECT_EQ(wide->columnCount(), 89);
    EXPECT_EQ(wide->column(88).name, "column89");
    EXPECT_FALSE(wide->fetch());
    EXPECT_TRUE(query(*c, "SELECT * FROM Table3").isEmpty());
    EXPECT_TRUE(query(*c, "SELECT * FROM Table4").isEmpty());

    // A trailing semicolon is taken, and a batch has one result only.
    auto result = c->execute("SELECT A FROM Table1 WHERE D = 222 ;  \n");
    EXPECT_EQ(odbctest::rows(*result), QStringList{"abcdefg"});
    // mdbtools has no SQLMoreResults: the batch simply has no second result.
    EXPECT_FALSE(result->nextResult());
    EXPECT_FALSE(result->hasRows());

    // No keys or base tables, but no failure.
    EXPECT_TRUE(c->primaryKey({}, {}, "Table1").isEmpty());
    result = c->execute("SELECT A FROM Table1");
    EXPECT_EQ(result->column(0).name, "A");
    EXPECT_TRUE(result->column(0).baseTable.isEmpty());
    EXPECT_EQ(c->quoteIdentifier("a]b"), "[a]]b]");
    // (mdbtools only reads, and says so before a write: DirectEditAccess in ReadOnlyTest.)
    EXPECT_EQ(c->engine(), db::Engine::Access);
}

// Rejected SQL gives the driver's message; a write is refused naming the driver that writes.
TEST_F(AccessTest, RejectedSqlAndWritesAreRefusedWithTheirReason)
{
    OPEN_OR_SKIP(c, "testV2007.accdb");
    const struct
    {
        const char* sql;
        QStringList words;
    } cases[] = {
        {"SELECT A FROM Table1 ORDER BY A", {"Couldn't parse SQL"}},
        {"INSERT INTO Table1 (A) VALUES ('x')", {"can only read", "Microsoft Access Driver"}},
        {"  update Table1 SET A = 'x'", {"can only read"}},
        {"-- tidy up\n/* all */ Delete FROM Table1", {"can only read"}},
    };
    for (const auto& k : cases) {
        const db::Error e = errorOf([&] { c->execute(QString::fromUtf8(k.sql)); });
        EXPECT_EQ(e.number, db::ErrorNumber::Unreachable) << k.sql;
        EXPECT_TRUE(qvtest::containsAll(e.description, k.words));
    }
}

// A missing file: AccessString.DataSourceBecomesDbqOrWhatCannotBeOpenedIsNamed (the same message, before any
// driver).
TEST_F(AccessTest, FileThatIsNoDatabaseFailsWithItsPath)
{
    // The licence text is a readable file, but no Access database.
    const QString notADatabase = qvtest::accessSampleFolder() + "/LICENSE-Apache-2.0.txt";
    if (!QFileInfo::exists(notADatabase))
        GTEST_SKIP() << "no non-database file in the sample folder";
    const db::Error e = errorOf([&] { connect("Data Source=" + notADatabase, "Microsoft.Jet.OLEDB.4.0"); });
    EXPECT_EQ(e.number, db::ErrorNumber::Unreachable);
    EXPECT_TRUE(e.description.contains(notADatabase)) << e.description.toStdString();
}

} // namespace
