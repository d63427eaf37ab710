#include "query/log/StatementLog.h"

#include "ui/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace query {
namespace {

const QString crlf = QStringLiteral("\r\n");
const QString cut = QStringLiteral("\r\n\r\n");

QString& currentQueryFileStorage()
{
    static QString path;
    return path;
}

// Spaces only, as the log has always trimmed; tabs and line breaks stay.
QString withoutTrailingSpaces(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end);
}

bool isBlank(const QString& piece)
{
    for (QChar c : piece) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

// Line breaks as the file keeps them: a lone LF (as the query box gives them) becomes
// CR LF; CR LF stays.
QString withCrLf(const QString& text)
{
    QString out = text;
    out.replace(crlf, QStringLiteral("\n"));
    out.replace(QLatin1Char('\n'), crlf);
    return out;
}

// True when `entry` stands in `content` as a whole entry: at the start of the file or
// after the line end that closes the entry before it, and followed by the end of the file
// or by the next entry. A piece of a longer entry does not count.
bool holdsEntry(const QString& content, const QString& entry)
{
    const QStringView text(content);
    for (qsizetype at = text.indexOf(entry); at >= 0; at = text.indexOf(entry, at + 1)) {
        const qsizetype end = at + entry.size();
        const bool starts = at == 0 || text.mid(at - crlf.size(), crlf.size()) == crlf;
        const bool ends = end == text.size() || text.mid(end).startsWith(cut);
        if (starts && ends)
            return true;
    }
    return false;
}

bool canWriteIn(const QString& folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isWritable();
}

} // namespace

QString currentQueryFile() { return currentQueryFileStorage(); }

void setCurrentQueryFile(const QString& path) { currentQueryFileStorage() = path; }

StatementLog::StatementLog(QString programFolder, QString userFolder, std::function<QDate()> today)
    : programFolder_(std::move(programFolder)), userFolder_(std::move(userFolder)), today_(std::move(today))
{
}

QString StatementLog::defaultProgramFolder() { return QCoreApplication::applicationDirPath(); }

QString StatementLog::defaultUserFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quorvane/logs");
}

QString StatementLog::dailyLogPath()
{
    if (dailyLog_.isEmpty()) {
        QString folder = programFolder_;
        if (!canWriteIn(folder)) {
            folder = userFolder_;
            QDir().mkpath(folder);
        }
        const QString name = today_().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log");
        dailyLog_ = QDir::toNativeSeparators(QDir(folder).filePath(name));
    }
    return dailyLog_;
}

QString StatementLog::target()
{
    const QString file = currentQueryFile();
    return file.isEmpty() ? dailyLogPath() : file;
}

QString StatementLog::entryFor(const QString& queryText)
{
    return cut + withCrLf(withoutTrailingSpaces(queryText)) + crlf;
}

bool StatementLog::log(const QString& queryText)
{
    const QString path = target();
    const QString entry = entryFor(queryText);
    ui::DecodedText content;
    try {
        content = ui::readTextFileAndEncoding(path);
    } catch (const ui::FileError&) {
        // Not there yet (or unreadable): counts as empty.
    }
    if (holdsEntry(content.text, entry))
        return false;
    try {
        // In the encoding of the file, which may be a query file of another system.
        ui::appendText(path, entry, content.encoding);
    } catch (const ui::FileError&) {
        // The log never reports; the list still gets the text.
    }
    return true;
}

StatementLog& statementLog()
{
    static StatementLog log(StatementLog::defaultProgramFolder(), StatementLog::defaultUserFolder(),
                            [] { return QDate::currentDate(); });
    return log;
}

QStringList importedStatements(const QString& fileText)
{
    QStringList items;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = fileText.indexOf(cut, from);
        const QString piece = fileText.mid(from, at < 0 ? -1 : at - from);
        if (!isBlank(piece))
            items.append(piece);
        if (at < 0)
            break;
        from = at + cut.size();
    }
    return items;
}

} // namespace query
