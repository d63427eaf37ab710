#include "query/db/odbc/OdbcErrors.h"

#include <QStringList>
#include <algorithm>
#include <initializer_list>

namespace db::odbc {

namespace {

bool contains(std::initializer_list<int> codes, int code)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

int findNative(const QList<DiagRecord>& records, std::initializer_list<int> codes)
{
    for (int i = 0; i < records.size(); ++i)
        if (contains(codes, records[i].native))
            return i;
    return -1;
}

int findState(const QList<DiagRecord>& records, std::initializer_list<const char*> prefixes)
{
    for (int i = 0; i < records.size(); ++i)
        for (const char* prefix : prefixes)
            if (records[i].sqlState.startsWith(QLatin1String(prefix)))
                return i;
    return -1;
}

int findMessage(const QList<DiagRecord>& records, const char* state, const char* text)
{
    for (int i = 0; i < records.size(); ++i)
        if (records[i].sqlState == QLatin1String(state) &&
            records[i].message.contains(QLatin1String(text), Qt::CaseInsensitive))
            return i;
    return -1;
}

} // namespace

Classification classify(const QList<DiagRecord>& records, DriverFamily family)
{
    // Native codes first, in the order of the table: cannot be reached, then login refused.
    if (family == DriverFamily::SqlServer) {
        // A real server sends 4060 (cannot open database) and then 18456 for the same login.
        if (int i = findNative(records, {4060, 20009}); i >= 0)
            return {ErrorNumber::Unreachable, i};
        if (int i = findNative(records, {18456}); i >= 0)
            return {ErrorNumber::LoginRefused, i};
    } else if (family == DriverFamily::MySql) {
        if (int i = findNative(records, {1044, 1049, 2002, 2003, 2005}); i >= 0)
            return {ErrorNumber::Unreachable, i};
        if (int i = findNative(records, {1045}); i >= 0)
            return {ErrorNumber::LoginRefused, i};
    } else if (family == DriverFamily::PostgreSql) {
        // psqlODBC reports every failed connection as 08001; the server's words tell a refused
        // login from a server or database that is not there.
        if (int i = findMessage(records, "08001", "password authentication failed"); i >= 0)
            return {ErrorNumber::LoginRefused, i};
    }
    if (int i = findState(records, {"08"}); i >= 0)
        return {ErrorNumber::Unreachable, i};
    if (int i = findState(records, {"28"}); i >= 0)
        return {ErrorNumber::LoginRefused, i};
    if (int i = findState(records, {"42", "37000"}); i >= 0)
        return {ErrorNumber::CommandRejected, i};
    return {ErrorNumber::Unreachable, -1};
}

QString describe(const QList<DiagRecord>& records)
{
    QStringList lines;
    for (const DiagRecord& r : records) {
        QString state = r.sqlState.isEmpty() ? QStringLiteral("none") : r.sqlState;
        lines << QStringLiteral("%1 (SQLSTATE %2, native %3)").arg(r.message.trimmed(), state).arg(r.native);
    }
    return lines.join(QLatin1Char('\n'));
}

db::Error makeError(const QList<DiagRecord>& records, DriverFamily family, const char* call)
{
    const Classification c = classify(records, family);
    QString description = describe(records);
    if (description.isEmpty())
        description = QStringLiteral("The ODBC call %1 failed and the driver gave no diagnostic record.")
                          .arg(QLatin1String(call));
    const DiagRecord* key = nullptr;
    if (c.deciding >= 0)
        key = &records[c.deciding];
    else if (!records.isEmpty())
        key = &records.front();
    return db::Error(c.number, description, key ? key->sqlState : QString(), key ? key->native : 0);
}

db::Error layerError(qint32 number, const QString& description, const QString& sqlState)
{
    return db::Error(number, description, sqlState);
}

} // namespace db::odbc
