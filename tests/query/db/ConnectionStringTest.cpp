// Reading connection strings, and writing values into them so that they read back unchanged.
#include "query/db/ConnectionString.h"

#include "tests/query/db/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectionStringParsing, PairsAreReadInOrderWithBlanksAroundKeysAndValuesRemoved)
{
    const db::ConnectionStringParts parts = db::parseConnectionString(
        QStringLiteral("Provider=MSDAORA;Data Source=orcl;User ID=scott; Password=tiger ;Server=db1;"));
    ASSERT_EQ(parts.parts.size(), 5);
    EXPECT_EQ(parts.parts[1].key, QStringLiteral("Data Source"));
    EXPECT_EQ(parts.parts[3].key, QStringLiteral("Password"));
    EXPECT_EQ(parts.parts[3].value, QStringLiteral("tiger"));
    EXPECT_EQ(parts.value(QStringLiteral("server")), QStringLiteral("db1"));
}

TEST(ConnectionStringParsing, KeysMatchInAnyCaseAndTheLastOfTwoWins)
{
    const db::ConnectionStringParts parts =
        db::parseConnectionString(QStringLiteral("pwd=a;UID=me;PWD=b;DSN=;"));
    EXPECT_EQ(parts.value(QStringLiteral("Pwd")), QStringLiteral("b"));
    EXPECT_TRUE(parts.contains(QStringLiteral("dsn")));
    EXPECT_EQ(parts.value(QStringLiteral("DSN")), QString(QLatin1String("")));
    EXPECT_FALSE(parts.value(QStringLiteral("DSN")).isNull());
    EXPECT_TRUE(parts.value(QStringLiteral("Database")).isNull());
    EXPECT_EQ(parts.firstOf({QStringLiteral("Database"), QStringLiteral("uid")}), QStringLiteral("me"));
}

TEST(ConnectionStringParsing, BracedValuesKeepSemicolonsAndDoubledClosingBraces)
{
    const db::ConnectionStringParts parts = db::parseConnectionString(
        QStringLiteral("Driver={MySql};PWD={p;w=1};UID={a}}b};Server= { padded } ;Database=x"));
    EXPECT_EQ(parts.value(QStringLiteral("Driver")), QStringLiteral("MySql"));
    EXPECT_EQ(parts.value(QStringLiteral("PWD")), QStringLiteral("p;w=1"));
    EXPECT_EQ(parts.value(QStringLiteral("UID")), QStringLiteral("a}b"));
    EXPECT_EQ(parts.value(QStringLiteral("Server")), QStringLiteral(" padded "));
    EXPECT_EQ(parts.value(QStringLiteral("Database")), QStringLiteral("x"));
}

TEST(ConnectionStringParsing, OddTextIsReadWithoutLosingPairs)
{
    const db::ConnectionStringParts parts =
        db::parseConnectionString(QStringLiteral(";;Flag;Key=a=b;Open={never closed"));
    ASSERT_EQ(parts.parts.size(), 3);
    EXPECT_EQ(parts.value(QStringLiteral("Flag")), QString(QLatin1String("")));
    EXPECT_EQ(parts.value(QStringLiteral("Key")), QStringLiteral("a=b"));
    EXPECT_EQ(parts.value(QStringLiteral("Open")), QStringLiteral("{never closed"));
    EXPECT_TRUE(db::parseConnectionString(QString()).parts.isEmpty());
}

TEST(ConnectionStringValues, PlainValuesGoInUnchanged)
{
    for (const QString& v :
         {QStringLiteral("sa"), QStringLiteral("p@ss w0rd"), QStringLiteral("host,1433"),
          QStringLiteral("C:\\data\\a b.mdb"), QString(), QStringLiteral("a=b"), QStringLiteral("Пароль")})
        EXPECT_EQ(db::connectionStringValue(v), v);
}

TEST(ConnectionStringValues, AwkwardValuesAreBracedAndReadBackUnchanged)
{
    EXPECT_EQ(db::connectionStringValue(QStringLiteral("p;w=1")), QStringLiteral("{p;w=1}"));
    EXPECT_EQ(db::connectionStringValue(QStringLiteral("a}b")), QStringLiteral("{a}}b}"));
    EXPECT_EQ(db::connectionStringValue(QStringLiteral("{x}")), QStringLiteral("{{x}}}"));
    EXPECT_EQ(db::connectionStringValue(QStringLiteral(" pad")), QStringLiteral("{ pad}"));
    EXPECT_EQ(db::connectionStringValue(QStringLiteral("pad ")), QStringLiteral("{pad }"));

    for (const QString& v : {QStringLiteral("p;w=1"), QStringLiteral("a}b"), QStringLiteral("{x}"),
                             QStringLiteral("}}"), QStringLiteral(" pad "), QStringLiteral(";"),
                             QStringLiteral("{"), QStringLiteral("x;}y{z"), QStringLiteral("plain")}) {
        const QString text =
            QStringLiteral("UID=u;PWD=") + db::connectionStringValue(v) + QStringLiteral(";DB=d");
        const db::ConnectionStringParts parts = db::parseConnectionString(text);
        EXPECT_EQ(parts.value(QStringLiteral("PWD")), v) << text.toStdString();
        EXPECT_EQ(parts.value(QStringLiteral("DB")), QStringLiteral("d")) << text.toStdString();
    }
}

} // namespace
