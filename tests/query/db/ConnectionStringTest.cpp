// Reading connection strings, and writing values into them so that they read back unchanged.
#include "query/db/ConnectionString.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Pairs in order, blanks around keys and plain values removed, braces undone ("}}" is one
// "}"), and odd text read without losing a pair; keys match in any case and the last of two wins.
TEST(ConnectionStringParsing, PairsAreReadInOrderAsTheDriversReadThemAndKeysMatchInAnyCase)
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

    const db::ConnectionStringParts parts = db::parseConnectionString("pwd=a;UID=me;PWD=b;DSN=;");
    EXPECT_EQ(parts.value("Pwd"), "b");
    EXPECT_TRUE(parts.contains("dsn"));
    EXPECT_EQ(parts.value("DSN"), QString(QLatin1String("")));
    EXPECT_FALSE(parts.value("DSN").isNull());
    EXPECT_TRUE(parts.value("Database").isNull());
    EXPECT_EQ(parts.firstOf({"Database", "uid"}), "me");
}

// Plain values go in unchanged, awkward ones braced with "}" doubled; each reads back unchanged.
TEST(ConnectionStringValues, GoInPlainOrBracedAndReadBackUnchanged)
{
    const QStringList plain{"sa", "p@ss w0rd", "host,1433", "C:\\data\\a b.mdb", "", "a=b", "Пароль"};
    for (const QString& v : plain)
        EXPECT_EQ(db::connectionStringValue(v), v);
    EXPECT_EQ(db::connectionStringValue("p;w=1"), "{p;w=1}");
    EXPECT_EQ(db::connectionStringValue("a}b"), "{a}}b}");
    EXPECT_EQ(db::connectionStringValue("{x}"), "{{x}}}");
    EXPECT_EQ(db::connectionStringValue(" pad"), "{ pad}");
    EXPECT_EQ(db::connectionStringValue("pad "), "{pad }");

    for (const QString& v : plain + QStringList{"p;w=1", "a}b", "{x}", "}}", " pad ", ";", "{", "x;}y{z"}) {
        const QString text = "UID=u;PWD=" + db::connectionStringValue(v) + ";DB=d";
        const db::ConnectionStringParts parts = db::parseConnectionString(text);
        EXPECT_EQ(parts.value("PWD"), v) << text.toStdString();
        EXPECT_EQ(parts.value("DB"), "d") << text.toStdString();
    }
}

} // namespace
