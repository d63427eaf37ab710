#pragma once

#include <QString>

// The value finder: every user table of one database read in full, each row's fields joined
// with "|" and searched for a text. Runs on the window's thread and lets window events run
// as it goes.
namespace tools {

class FindWatcher
{
public:
    virtual ~FindWatcher() = default;
    // The finder's status line.
    virtual void status(const QString& text) = 0;
    // The listing is open: the list of hits starts empty.
    virtual void clear() = 0;
    // Appends to the list of hits.
    virtual void append(const QString& text) = 0;
    // Tested before every table and every row.
    virtual bool stopRequested() const = 0;
};

struct FindRequest
{
    QString connection;
    // Exactly as typed: blanks count.
    QString searchText;
    // Every matching row instead of the first one.
    bool findAll = false;
    // System tables and views too; an object that cannot be read is then skipped with a line.
    bool checkSystems = false;
};

// The hit of one row: "Found Data in Table:" and the table, CR LF, the row text, CR LF CR LF.
QString hitText(const QString& table, const QString& rowText);

// Searches one table (a bracketed name). Returns false when the search is to end: after the
// first hit without Find All, or on a stop. Throws db::Error when the table cannot be read.
bool searchTable(const FindRequest& request, const QString& table, FindWatcher& watcher);

// Lists the objects ("execute sp_help") and searches each admitted one. Throws db::Error
// when the listing, or without Check Systems a table, cannot be read; hits found before stay.
void findValue(const FindRequest& request, FindWatcher& watcher);

} // namespace tools
