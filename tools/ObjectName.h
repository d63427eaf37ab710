#pragma once

#include <QString>

// Names of server objects as the tools put them into SQL: every name is built with "]"
// doubled inside brackets and "'" doubled inside quotes, so that no name changes a statement.
namespace tools {

// One entry of an object list: owner and name kept apart.
struct ObjectName
{
    QString owner;
    QString name;

    // "[owner].[name]", each part bracketed.
    QString bracketed() const;

    friend bool operator==(const ObjectName&, const ObjectName&) = default;
};

// "[" + text with "]" doubled + "]".
QString bracketPart(const QString& text);

// True when `text` is a whole bracketed name of one to four parts ("[Orders]",
// "[dbo].[Orders]", "[db].[dbo].[Orders]"), each part's "]" doubled.
bool isBracketedName(const QString& text);

// The table a compare reads: a bracketed name as it stands, any other text bracketed.
QString tableReference(const QString& objectText);
// "select * from " and the table reference.
QString selectAllFrom(const QString& objectText);
// "sp_helptext '" + the name with "'" doubled + "'".
QString helpTextOf(const QString& objectText);

} // namespace tools
