// Query files: any bytes decode without harm, valid UTF-8 comes back byte for byte, and a
// query box saved as a file reads back as the text written.
#include "results/QueryFiles.h"
#include "tests/support/FuzzInput.h"
#include "ui/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const QString box = in.typedText(60);
    const QString written = results::queryFileText(box);
    // A file's leading U+FEFF is its byte-order mark, whoever wrote it.
    FUZZ_CHECK(ui::decodeText(ui::encodeText(written)) ==
               (written.startsWith(QChar(0xFEFF)) ? written.mid(1) : written));

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString decoded = ui::decodeText(bytes);
    // Valid UTF-8 is exactly what survives a decode and encode unchanged (an invalid byte
    // becomes U+FFFD, three other bytes).
    const bool validUtf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
    if (validUtf8 && !bytes.startsWith("\xEF\xBB\xBF"))
        FUZZ_CHECK(ui::encodeText(decoded) == bytes);
    return 0;
}
