#include "results/QueryFiles.h"

#include "query/log/StatementLog.h"
#include "results/FormFile.h"
#include "results/GridText.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"
#include "ui/TextFile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace results {
namespace {

const QString invalidFile = QStringLiteral("Invalid File");

// The platform's error number of the failure just seen, EIO when it left none.
int lastErrno(int saved)
{
    return saved != 0 ? saved : EIO;
}

ui::FileError saveError(int number, const QSaveFile& file, const QString& path)
{
    return ui::FileError(lastErrno(number), file.errorString() + QStringLiteral("\r\nThe file ") + path +
                                                QStringLiteral(" was left as it was."));
}


void saveTo(const QString& path, const QString& queryBox)
{
    if (!path.isEmpty())
        saveQueryFile(path, queryBox);
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
        // Unreadable: QSaveFile reports what stands in the way.
    }
    const QByteArray bytes = ui::byteOrderMark(encoding) + ui::encodeText(queryFileText(queryBox), encoding);
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw saveError(errno, file, path);
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int number = errno;
        file.cancelWriting();
        throw saveError(number, file, path);
    }
    errno = 0;
    if (!file.commit())
        throw saveError(errno, file, path);
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
        setQueryBox(loadQueryFile(path));
    });
}

void fileSave(QWidget* owner, const QString& queryBox)
{
    ui::guarded([&] {
        if (query::currentQueryFile().isEmpty())
            chooseFile(ChosenPath::QueryFile, owner);
        saveTo(query::currentQueryFile(), queryBox);
    });
}

void fileSaveAs(QWidget* owner, const QString& queryBox)
{
    ui::guarded([&] { saveTo(chooseFile(ChosenPath::QueryFile, owner), queryBox); });
}

void importStatements(QWidget* owner, const SetText& addItem)
{
    ui::guarded([&] {
        const QString path = chooseFile(ChosenPath::QueryFile, owner);
        if (path.isEmpty()) {
            ui::msgBox(invalidFile);
            return;
        }
        const QStringList statements = query::importedStatements(ui::readTextFile(path));
        ui::EventPump pump;
        for (const QString& statement : statements) {
            pump.tick();
            addItem(statement);
        }
    });
}

} // namespace results
