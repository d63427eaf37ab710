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
#include <functional>
#include <string_view>

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

// Bytes of file text kept in memory before they are written: memory stays flat whatever the
// size of the result.
constexpr qsizetype kChunkBytes = 1 << 20;

// Reads the result into lines of text (see fileOutput) and hands them to `write` in chunks of
// about kChunkBytes, always whole lines; the buffer is empty after each call. `keepReading`,
// when given, is asked before every record and stops the read. Returns the number of records.
qint64 writeLines(db::Recordset& result, const QString& delimiter, bool fieldNames,
                  const std::function<void(QByteArray&)>& write,
                  const std::function<bool()>& keepReading = {})
{
    if (result.State() == db::adStateClosed)
        return 0;
    const QByteArray delim = delimiter.toUtf8();
    const int count = result.Fields().Count();
    QByteArray chunk;
    chunk.reserve(kChunkBytes + kChunkBytes / 4);
    ui::EventPump pump;
    qint64 records = 0;
    while (!result.Eof() && (!keepReading || keepReading())) {
        if (records == 0 && fieldNames) {
            for (int j = 0; j < count; ++j) {
                chunk.append(result.Fields().Item(j).Name().toUtf8());
                chunk.append(delim);
            }
            chunk.append("\r\n");
        }
        // A null cell reads as the empty text.
        for (int j = 0; j < count; ++j) {
            const std::string_view cell = result.cellUtf8(j);
            chunk.append(cell.data(), static_cast<qsizetype>(cell.size()));
            chunk.append(delim);
        }
        chunk.append("\r\n");
        ++records;
        if (chunk.size() >= kChunkBytes) {
            write(chunk);
            chunk.resize(0);
        }
        result.MoveNext();
        pump.tick();
    }
    write(chunk);
    chunk.resize(0);
    return records;
}

// A file appended to in pieces; cutBack() returns it to its length before the first piece.
class AppendingFile
{
public:
    explicit AppendingFile(const QString& path) : file_(path)
    {
        if (path.isEmpty())
            throw ui::FileError(ENOENT, QString::fromLocal8Bit(std::strerror(ENOENT)));
        errno = 0;
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Append))
            throw ui::FileError(errno != 0 ? errno : EIO, file_.errorString());
        before_ = file_.size();
    }

    void append(const QByteArray& utf8)
    {
        const QByteArray bytes = systemIsUtf8() ? utf8 : ui::encodeText(QString::fromUtf8(utf8));
        errno = 0;
        if (file_.write(bytes) != bytes.size() || !file_.flush())
            throw ui::FileError(errno != 0 ? errno : EIO, file_.errorString());
    }

    void cutBack() noexcept
    {
        file_.flush();
        file_.resize(before_);
    }

private:
    QFile file_;
    qint64 before_ = 0;
};

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

void checkCanAppend(const QString& path)
{
    if (path.isEmpty())
        throw ui::FileError(ENOENT, QString::fromLocal8Bit(std::strerror(ENOENT)));
    QFile file(path);
    const bool existed = file.exists();
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw ui::FileError(errno != 0 ? errno : EIO, file.errorString());
    file.close();
    if (!existed)
        file.remove();
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
    ui::TextBuilder text;
    const qint64 records =
        writeLines(result, delimiter, fieldNames, [&text](QByteArray& chunk) { text.append(chunk); });
    const QByteArray utf8 = text.take();
    return {text::fromUtf8Data(utf8.constData(), utf8.size()), records};
}

qint64 outputToFile(db::Recordset& result, const QString& path, const std::function<bool()>& keepReading)
{
    AppendingFile file(path);
    qint64 records = 0;
    bool stopped = false;
    const auto goOn = [&] {
        stopped = stopped || (keepReading && !keepReading());
        return !stopped;
    };
    try {
        // The text is written with spaces trimmed from both ends: lines end in CR LF, so only
        // the leading ones of the first line are left to cut.
        bool started = false;
        records = writeLines(
            result, exportDelimiter(), exportColumnHeaders(),
            [&](QByteArray& chunk) {
                if (!started) {
                    qsizetype spaces = 0;
                    while (spaces < chunk.size() && chunk[spaces] == ' ')
                        ++spaces;
                    chunk.remove(0, spaces);
                    started = !chunk.isEmpty();
                }
                file.append(chunk);
            },
            goOn);
        // A stopped read keeps the whole lines read so far, and nothing tells it complete.
        if (stopped)
            return records;
        file.append(QByteArrayLiteral("\r\n"));
    } catch (...) {
        // Nothing half-written stays behind: the file is as it was before the run.
        file.cutBack();
        throw;
    }
    ui::msgBox(exportComplete);
    return records;
}

} // namespace results
