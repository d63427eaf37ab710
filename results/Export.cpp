#include "results/Export.h"

#include "query/db/Recordset.h"
#include "results/ErrorReport.h"
#include "results/FormFile.h"
#include "results/GridText.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/MSFlexGrid.h"
#include "ui/TextFile.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace results {
namespace {

const QString exportComplete = QStringLiteral("Export Complete");

void appendDelimited(std::string& out, std::string_view text, const QByteArray& delimiter)
{
    out.append(text);
    out.append(delimiter.constData(), static_cast<size_t>(delimiter.size()));
}

} // namespace

void appendToFile(const QString& path, const QString& text)
{
    if (path.isEmpty())
        throw ui::FileError(ENOENT, QString::fromLocal8Bit(std::strerror(ENOENT)));
    ui::appendText(path, text);
}

void exportData(const ui::MSFlexGrid& grid, QWidget* owner)
{
    try {
        const QString target = chooseFile(ChosenPath::ExportTarget, owner);
        if (grid.Rows() < 1 || target.isEmpty())
            return;
        appendToFile(target, exportFileText(grid, exportDelimiter(), exportColumnHeaders()));
        ui::msgBox(exportComplete);
    } catch (const ui::FileError& e) {
        ui::msgBox(errorReport(e));
    } catch (const std::bad_alloc&) {
        ui::msgBox(errorReport(7, QStringLiteral("Out of memory")));
    } catch (const std::exception& e) {
        ui::msgBox(QString::fromUtf8(e.what()));
    }
}

FileOutput fileOutput(db::Recordset& result, const QString& delimiter, bool fieldNames)
{
    FileOutput output;
    if (result.State() == db::adStateClosed)
        return output;
    const QByteArray delim = delimiter.toUtf8();
    std::string text;
    ui::EventPump pump;
    while (!result.Eof()) {
        if (output.records == 0 && fieldNames) {
            for (int j = 0; j < result.Fields().Count(); ++j)
                appendDelimited(text, result.Fields().Item(j).Name().toStdString(), delim);
            text.append("\r\n");
        }
        for (int j = 0; j < result.Fields().Count(); ++j)
            appendDelimited(text, result.isNull(j) ? std::string_view() : result.cellUtf8(j), delim);
        text.append("\r\n");
        ++output.records;
        result.MoveNext();
        pump.tick();
    }
    output.text = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return output;
}

qint64 outputToFile(db::Recordset& result, const QString& path)
{
    const FileOutput output = fileOutput(result, exportDelimiter(), exportColumnHeaders());
    appendToFile(path, trimSpaces(output.text) + crlf);
    ui::msgBox(exportComplete);
    return output.records;
}

} // namespace results
