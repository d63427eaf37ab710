#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

// The statement log: every run's query box text appended once per distinct text to a log
// file, and the previous-queries list that shows them.
//
// File format: plain text in the system code page, no header; a sequence of entries, each
// CR LF, CR LF, the query text with the spaces at its end removed (its line breaks as
// CR LF), CR LF. A file written only by the log begins with CR LF CR LF.
namespace query {

// The current query file: set by the query-file commands and by Import, cleared before the
// file chooser is shown; "" when none. While set, logged statements go to it.
QString currentQueryFile();
void setCurrentQueryFile(const QString& path);

class StatementLog
{
public:
    // The daily log lands in `programFolder` when it can be written there, else in
    // `userFolder` (created when needed). `today` gives the date that names the file.
    StatementLog(QString programFolder, QString userFolder, std::function<QDate()> today);

    // The program's folder and ~/.local/share/Quorvane/logs (the per-user data folder).
    static QString defaultProgramFolder();
    static QString defaultUserFolder();

    // The current query file when one is set; else the daily log file "yyyymmdd.log",
    // named after the date of the first time it is asked for and kept from then on, so a
    // run past midnight goes on writing to the same file.
    QString target();

    // Logs `queryText` (the whole query box) unless the target already holds it as a whole
    // entry, exactly as the log writes it (a piece of a longer entry does not count). Returns
    // true when the text was new to the target, also when the file could not be written,
    // which is never reported.
    //
    // The format cannot tell an entry whose text holds two empty lines in a row from two
    // entries: a text equal to the part before or after them counts as logged.
    bool log(const QString& queryText);

    // The entry as written for `queryText`.
    static QString entryFor(const QString& queryText);

private:
    QString dailyLogPath();

    QString programFolder_;
    QString userFolder_;
    std::function<QDate()> today_;
    QString dailyLog_;
};

// The program's log (program folder, per-user data folder, today's date).
StatementLog& statementLog();

// Import: the pieces of a log file's text between its CR LF CR LF cuts, in order, that are
// not blank once spaces are removed from both ends; each piece is kept unchanged.
QStringList importedStatements(const QString& fileText);

} // namespace query
