#include "results/QueryFiles.h"

#include "query/log/StatementLog.h"
#include "results/FileReplace.h"
#include "results/FormFile.h"
#include "results/GridText.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"
#include "ui/TextFile.h"

#include <QFileInfo>

namespace results {
namespace {

const QString invalidFile = QStringLiteral("Invalid File");

// The statement log that Import made the current query file; saving the query box over it
// asks first, as over any other file that was not the query file.
QString& importedLog()
{
    static QString path;
    return path;
}

// Saves the query box to `path` unless it holds a file that `ask` says to protect and the user
// answers No. True when the file was written.
bool saveAsked(const QString& path, const QString& queryBox, bool ask)
{
    if (ask && !mayReplace(path))
        return false;
    saveQueryFile(path, queryBox);
    if (path == importedLog())
        importedLog().clear();
    return true;
}

} // namespace

QString queryFileText(const QString& queryBox)
{
    QString text = trimSpaces(queryBox);
    text.replace(crlf, QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), crlf);
    return text + crlf;
}

void saveQueryFile(const QString& path, const QString& queryBox)
{
    // A file is written back in the encoding it holds (its byte-order mark too), so that its
    // bytes change only where its text does; a new file is written in the system code page.
    ui::TextEncoding encoding = ui::TextEncoding::System;
    try {
        if (QFileInfo(path).isFile())
            encoding = ui::readTextFileAndEncoding(path).encoding;
    } catch (const ui::FileError&) {
        // Unreadable: the save reports what stands in the way.
    }
    replaceFile(path, ui::byteOrderMark(encoding) + ui::encodeText(queryFileText(queryBox), encoding));
}

QString loadQueryFile(const QString& path)
{
    return ui::readTextFile(path);
}

void fileOpen(QWidget* owner, const SetText& setQueryBox)
{
    ui::guarded([&] {
        const QString path = chooseFile(ChosenPath::QueryFile, owner);
        if (path.isEmpty()) {
            ui::msgBox(invalidFile);
            return;
        }
        openQueryFile(path, setQueryBox);
    });
}

void openQueryFile(const QString& path, const SetText& setQueryBox)
{
    ui::guarded([&] {
        query::setCurrentQueryFile(path);
        importedLog().clear();
        setQueryBox(loadQueryFile(path));
    });
}

void fileSave(QWidget* owner, const QString& queryBox)
{
    ui::guarded([&] {
        QString path = query::currentQueryFile();
        if (!path.isEmpty()) {
            // The query file itself is saved without a question, a log that Import opened is not.
            saveAsked(path, queryBox, path == importedLog());
            return;
        }
        path = chooseFile(ChosenPath::QueryFile, owner);
        // No leaves no file chosen, so the next File Save asks for one again.
        if (!path.isEmpty() && !saveAsked(path, queryBox, true))
            query::setCurrentQueryFile(QString());
    });
}

void fileSaveAs(QWidget* owner, const QString& queryBox)
{
    ui::guarded([&] {
        const QString before = query::currentQueryFile();
        const QString path = chooseFile(ChosenPath::QueryFile, owner);
        if (path.isEmpty())
            return;
        const bool queryFileAgain = path == before && before != importedLog();
        if (!saveAsked(path, queryBox, !queryFileAgain))
            query::setCurrentQueryFile(QString());
    });
}

void importStatements(QWidget* owner, const SetText& addItem)
{
    ui::guarded([&] {
        const QString path = chooseFile(ChosenPath::QueryFile, owner);
        if (path.isEmpty()) {
            ui::msgBox(invalidFile);
            return;
        }
        importedLog() = path;
        const QStringList statements = query::importedStatements(ui::readTextFile(path));
        ui::EventPump pump;
        for (const QString& statement : statements) {
            pump.tick();
            addItem(statement);
        }
    });
}

} // namespace results
