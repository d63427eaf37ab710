#include "results/Export.h"

#include "query/db/Recordset.h"
#include "results/FormFile.h"
#include "results/GridText.h"
#include "text/DataText.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"
#include "ui/MSFlexGrid.h"
#include "ui/TextBuilder.h"
#include "ui/TextFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>

namespace results {
namespace {

const QString exportComplete = QStringLiteral("Export Complete");

// Whether the system code page is UTF-8, so that text kept in UTF-8 is written as it is.
bool systemIsUtf8()
{
    static const bool utf8 =
        ui::encodeText(QStringLiteral("\u00e9\u20ac")) == QByteArray("\xc3\xa9\xe2\x82\xac");
    return utf8;
}

struct FileOutputUtf8
{
    QByteArray text;
    qint64 records = 0;
};

FileOutputUtf8 fileOutputUtf8(db::Recordset& result, const QString& delimiter, bool fieldNames)
{
    FileOutputUtf8 output;
    if (result.State() == db::adStateClosed)
        return output;
    const QByteArray delim = delimiter.toUtf8();
    const int count = result.Fields().Count();
    ui::TextBuilder text;
    ui::EventPump pump;
    while (!result.Eof()) {
        if (output.records == 0 && fieldNames) {
            for (int j = 0; j < count; ++j) {
                text.append(result.Fields().Item(j).Name().toUtf8());
                text.append(delim);
            }
            text.append("\r\n");
        }
        // A null cell reads as the empty text.
        for (int j = 0; j < count; ++j) {
            text.append(result.cellUtf8(j));
            text.append(delim);
        }
        text.append("\r\n");
        ++output.records;
        result.MoveNext();
        pump.tick();
    }
    output.text = text.take();
    return output;
}

} // namespace

void appendToFile(const QString& path, const QString& text)
{
    if (path.isEmpty())
        throw ui::FileError(ENOENT, QString::fromLocal8Bit(std::strerror(ENOENT)));
    ui::appendText(path, text);
}

void appendUtf8ToFile(const QString& path, const QByteArray& utf8)
{
    if (!systemIsUtf8()) {
        appendToFile(path, text::fromUtf8Data(utf8.constData(), utf8.size()));
        return;
    }
    if (path.isEmpty())
        throw ui::FileError(ENOENT, QString::fromLocal8Bit(std::strerror(ENOENT)));
    ui::appendBytes(path, utf8);
}

void exportData(const ui::MSFlexGrid& grid, QWidget* owner)
{
    ui::guarded([&] {
        const QString target = chooseFile(ChosenPath::ExportTarget, owner);
        if (grid.Rows() < 1 || target.isEmpty())
            return;
        appendUtf8ToFile(target, exportFileUtf8(grid, exportDelimiter(), exportColumnHeaders()));
        ui::msgBox(exportComplete);
    });
}

FileOutput fileOutput(db::Recordset& result, const QString& delimiter, bool fieldNames)
{
    const FileOutputUtf8 utf8 = fileOutputUtf8(result, delimiter, fieldNames);
    return {text::fromUtf8Data(utf8.text.constData(), utf8.text.size()), utf8.records};
}

qint64 outputToFile(db::Recordset& result, const QString& path)
{
    FileOutputUtf8 output = fileOutputUtf8(result, exportDelimiter(), exportColumnHeaders());
    keepTrimmed(output.text);
    output.text.append("\r\n", 2);
    appendUtf8ToFile(path, output.text);
    ui::msgBox(exportComplete);
    return output.records;
}

} // namespace results
