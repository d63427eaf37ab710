// Reading connection strings, and writing values into them so that they read back unchanged.
#include "query/db/ConnectionString.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Pairs in order, blanks around keys and plain values removed, braces undone ("}}" is one
// "}"), and odd text read without losing a pair.
TEST(ConnectionStringParsing, PairsAreReadInOrderAsTheDriversReadThem)
{
    const struct
    {
        const char* text;
        QStringList pairs;
    } cases[] = {
        {"Provider=MSDAORA;Data Source=orcl;User ID=scott; Password=tiger ;Server=db1;",
         {"Provider=MSDAORA", "Data Source=orcl", "User ID=scott", "Password=tiger", "Server=db1"}},
        {"Driver={MySql};PWD={p;w=1};UID={a}}b};Server= { padded } ;Database=x",
         {"Driver=MySql", "PWD=p;w=1", "UID=a}b", "Server= padded ", "Database=x"}},
        {";;Flag;Key=a=b;Open={never closed", {"Flag=", "Key=a=b", "Open={never closed"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        QStringList pairs;
        for (const db::ConnectionStringPart& p : db::parseConnectionString(QString::fromUtf8(c.text)).parts)
            pairs << p.key + u'=' + p.value;
        EXPECT_EQ(pairs, c.pairs) << c.text;
    }
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

// Plain values go in unchanged, awkward ones braced with "}" doubled; each reads back unchanged.
TEST(ConnectionStringValues, GoInPlainOrBracedAndReadBackUnchanged)
{
    const QStringList plain{"sa", "p@ss w0rd", "host,1433", "C:\\data\\a b.mdb", "", "a=b", "Пароль"};
    for (const QString& v : plain)
        EXPECT_EQ(db::connectionStringValue(v), v);
    EXPECT_EQ(db::connectionStringValue(QStringLiteral("p;w=1")), QStringLiteral("{p;w=1}"));
    EXPECT_EQ(db::connectionStringValue(QStringLiteral("a}b")), QStringLiteral("{a}}b}"));
    EXPECT_EQ(db::connectionStringValue(QStringLiteral("{x}")), QStringLiteral("{{x}}}"));
    EXPECT_EQ(db::connectionStringValue(QStringLiteral(" pad")), QStringLiteral("{ pad}"));
    EXPECT_EQ(db::connectionStringValue(QStringLiteral("pad ")), QStringLiteral("{pad }"));

    for (const QString& v : plain + QStringList{"p;w=1", "a}b", "{x}", "}}", " pad ", ";", "{", "x;}y{z"}) {
        const QString text =
            QStringLiteral("UID=u;PWD=") + db::connectionStringValue(v) + QStringLiteral(";DB=d");
        const db::ConnectionStringParts parts = db::parseConnectionString(text);
        EXPECT_EQ(parts.value(QStringLiteral("PWD")), v) << text.toStdString();
        EXPECT_EQ(parts.value(QStringLiteral("DB")), QStringLiteral("d")) << text.toStdString();
    }
}

} // namespace
