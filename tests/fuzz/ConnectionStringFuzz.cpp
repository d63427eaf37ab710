// Connection strings: any text parses and translates without harm, and every key and value
// written by the one escaping rule reads back the same.
#include "query/db/ConnectionString.h"
#include "query/db/Error.h"
#include "query/db/odbc/OdbcConnectionString.h"
#include "tests/support/FuzzInput.h"

namespace {

const QList<db::odbc::InstalledDriver> kDrivers{
    {QStringLiteral("FreeTDS"), QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so")},
    {QStringLiteral("MariaDB Unicode"), QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so")},
    {QStringLiteral("MDBTools"), QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libmdbodbcW.so")},
    {QStringLiteral("Odd}{;Name"), QStringLiteral("/nowhere/libodd.so")}};

// A key as the reader sees one: no "=" or ";", no blanks at either end, not empty.
QString keyFrom(const QString& text)
{
    const QString key = QString(text).remove(u'=').remove(u';').trimmed();
    return key.isEmpty() ? QStringLiteral("K") : key;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const unsigned pairs = in.pick(6);
    QList<db::ConnectionStringPart> written;
    QString text;
    for (unsigned i = 0; i < pairs; ++i) {
        const db::ConnectionStringPart part{keyFrom(in.text(12)), in.text(24)};
        written.append(part);
        text += part.key + u'=' + db::connectionStringValue(part.value) + u';';
    }
    // What goes in comes back the same.
    const QList<db::ConnectionStringPart> read = db::parseConnectionString(text).parts;
    FUZZ_CHECK(read.size() == written.size());
    for (qsizetype i = 0; i < read.size(); ++i) {
        FUZZ_CHECK(read[i].key == written[i].key);
        // The reader trims blanks around an unbraced value; the writer braces such a value.
        FUZZ_CHECK(read[i].value == written[i].value);
    }

    // Any text at all: parsed, then translated for the drivers, fails only with db::Error,
    // and a translated string parses again with the driver it names.
    const QString anything = in.rest() + text;
    db::odbc::OdbcRequest request;
    request.keys = db::parseConnectionString(anything).parts;
    request.multipleStatements = pairs % 2 == 0;
    request.commandTimeout = int(pairs);
    try {
        const db::odbc::OdbcTarget target = db::odbc::translate(request, kDrivers);
        if (!target.driver.isEmpty()) {
            QString named;
            for (const db::ConnectionStringPart& part :
                 db::parseConnectionString(target.connectionString).parts)
                if (named.isNull() && part.key.compare(QLatin1String("Driver"), Qt::CaseInsensitive) == 0)
                    named = part.value;
            FUZZ_CHECK(named == target.driver);
        }
    } catch (const db::Error&) {
    }
    return 0;
}
