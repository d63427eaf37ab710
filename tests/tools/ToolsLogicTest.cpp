// The tools' pure parts: the connection string and object names.
#include "query/db/ConnectionString.h"
#include "tools/ObjectName.h"
#include "tools/ToolsConnection.h"

#include <gtest/gtest.h>

using namespace tools;

TEST(ToolsLogic, ConnectionValuesThatWouldBreakItAreQuotedAndNamesNeverChangeAStatement)
{
    EXPECT_EQ(
        toolsConnectionString(
            {QStringLiteral(" srv "), QStringLiteral("sa"), QString(), QStringLiteral("db ")}),
        "Driver={SQL Server};Server=srv;UID=sa;PWD=;WSID=QUORVANE;Language=us_english;Database=db;DSN=;");
    EXPECT_TRUE(
        toolsConnectionString({QStringLiteral("srv"), QString(), QString(), QString()}, LastPiece::LockWatch)
            .endsWith(";Database= ;DSN=;"));
    // A password with ";" and "}" stays one value: it adds no key.
    const QString s = toolsConnectionString(
        {QStringLiteral("srv"), QStringLiteral("sa"), QStringLiteral("a;b}c"), QStringLiteral("db")});
    const db::ConnectionStringParts keys = db::parseConnectionString(s);
    EXPECT_EQ(keys.value(QStringLiteral("PWD")), "a;b}c");
    EXPECT_EQ(keys.value(QStringLiteral("Database")), "db");
    EXPECT_EQ(keys.parts.size(), 8);

    // Object names never change the statement they are put into.
    EXPECT_EQ((ObjectName{QStringLiteral("dbo"), QStringLiteral("Orders")}.bracketed()), "[dbo].[Orders]");
    EXPECT_EQ((ObjectName{QStringLiteral("o]wn"), QStringLiteral("a]];drop")}.bracketed()),
              "[o]]wn].[a]]]];drop]");
    struct Case
    {
        QString text;
        QString select;
        QString helpText;
    } cases[] = {
        // A picked entry stands as it is; a bare name is bracketed.
        {"[dbo].[Orders]", "select * from [dbo].[Orders]", "sp_helptext '[dbo].[Orders]'"},
        {"Orders", "select * from [Orders]", "sp_helptext 'Orders'"},
        {"[db].[dbo].[x]]y]", "select * from [db].[dbo].[x]]y]", "sp_helptext '[db].[dbo].[x]]y]'"},
        {"a]; drop table t --", "select * from [a]]; drop table t --]", "sp_helptext 'a]; drop table t --'"},
        {"[a]; drop table t --]", "select * from [[a]]; drop table t --]]]",
         "sp_helptext '[a]; drop table t --]'"},
        {"it's", "select * from [it's]", "sp_helptext 'it''s'"},
        {"[dbo].", "select * from [[dbo]].]", "sp_helptext '[dbo].'"},
        {"All", "select * from [All]", "sp_helptext 'All'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(selectAllFrom(c.text), c.select) << c.text.toStdString();
        EXPECT_EQ(helpTextOf(c.text), c.helpText) << c.text.toStdString();
    }
}
