#pragma once

#include <QString>
#include <QStringList>

// The object compare: a table row by row, or a stored procedure line by line, between two
// SQL Server databases; one pair or every object of two lists. Runs on the window's thread
// and lets window events run as it goes.
namespace tools {

enum class ObjectKind { Tables, StoredProcedures };

// What a compare shows while it runs, and how it is stopped.
class CompareWatcher
{
public:
    virtual ~CompareWatcher() = default;
    // The compare frame's status line.
    virtual void status(const QString& text) = 0;
    // Tested before every object and after every row.
    virtual bool stopRequested() const = 0;
};

// One object on both sides.
struct ObjectResult
{
    bool differ = false;
    bool stopped = false;
    // Where the two first differ, one line for the log (empty when they do not differ).
    QString where;
};

// Compares `name1` (connection string 1) with `name2` (connection string 2). The names are
// the texts of the object boxes: a bracketed name is used as it stands, any other text is
// bracketed. Throws db::Error when either side cannot be read.
ObjectResult compareObject(ObjectKind kind, const QString& connection1, const QString& name1,
                           const QString& connection2, const QString& name2, CompareWatcher& watcher);

struct CompareRequest
{
    QString connection1;
    QString connection2;
    ObjectKind kind = ObjectKind::StoredProcedures;
    // One pair ...
    QString name1;
    QString name2;
    // ... or every object of two lists (the names are compared whole).
    bool allObjects = false;
    QStringList names1;
    QStringList names2;
    // The trimmed database names the lines of objects found on one side only name.
    QString database1;
    QString database2;
};

struct CompareOutcome
{
    bool different = false;
    bool stopped = false;
    // The compare log text: a line per object ("name1 = name2" or "name1 <> name2", the
    // latter followed by where they first differ), a line break, then the lines of objects
    // found on one side only. CR LF line ends.
    QString logText;
};

// Throws db::Error as compareObject() does.
CompareOutcome runCompare(const CompareRequest& request, CompareWatcher& watcher);

} // namespace tools
