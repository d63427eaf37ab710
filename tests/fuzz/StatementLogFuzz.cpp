// The statement log: Import splits any file text into non-blank pieces without its cuts, and
// a statement logged twice is written once (the duplicate check reads what the log wrote).
#include "query/log/StatementLog.h"
#include "tests/support/FuzzInput.h"

#include <QDate>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir folder;
    fuzz::Input in(data, size);
    const QString statement = in.typedText(40);

    QFile::remove(folder.filePath(QStringLiteral("20240102.log")));
    query::StatementLog log(folder.path(), folder.path(), [] { return QDate(2024, 1, 2); });
    FUZZ_CHECK(log.log(statement));
    FUZZ_CHECK(!log.log(statement));

    const QString anything = in.rest();
    for (const QString& piece : query::importedStatements(anything)) {
        FUZZ_CHECK(piece.count(u' ') < piece.size()); // not only spaces
        FUZZ_CHECK(!piece.contains(QStringLiteral("\r\n\r\n")));
    }
    return 0;
}
