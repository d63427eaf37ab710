#include "query/db/ConnectionString.h"

namespace db {
namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

QString ConnectionStringParts::value(const QString& key) const
{
    const QString wanted = key.trimmed().toCaseFolded();
    for (auto it = parts.crbegin(); it != parts.crend(); ++it) {
        if (it->key.toCaseFolded() == wanted)
            return it->value;
    }
    return QString();
}

bool ConnectionStringParts::contains(const QString& key) const
{
    return !value(key).isNull();
}

QString ConnectionStringParts::firstOf(std::initializer_list<QString> keys) const
{
    for (const QString& key : keys) {
        const QString found = value(key);
        if (!found.isNull())
            return found;
    }
    return QString();
}

ConnectionStringParts parseConnectionString(const QString& text)
{
    ConnectionStringParts result;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        // The key runs to "=" or to the end of the pair.
        qsizetype keyEnd = i;
        while (keyEnd < n && text[keyEnd] != u'=' && text[keyEnd] != u';')
            ++keyEnd;
        const QString key = text.mid(i, keyEnd - i).trimmed();
        i = keyEnd;
        if (i >= n || text[i] == u';') {
            if (!key.isEmpty())
                result.parts.append({key, QString(QStringLiteral(""))});
            ++i;
            continue;
        }
        ++i; // the "="

        qsizetype valueStart = i;
        while (valueStart < n && isBlank(text[valueStart]))
            ++valueStart;
        QString value;
        if (valueStart < n && text[valueStart] == u'{') {
            // Braced: up to the "}" that is not doubled; "}}" is one "}".
            qsizetype j = valueStart + 1;
            bool closed = false;
            while (j < n) {
                if (text[j] == u'}') {
                    if (j + 1 < n && text[j + 1] == u'}') {
                        value.append(u'}');
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value.append(text[j]);
                ++j;
            }
            if (!closed) {
                // An unclosed brace: keep the text as written rather than guess.
                value = text.mid(valueStart).trimmed();
                j = n;
            }
            // Anything between the closing brace and the next ";" is not part of the value.
            while (j < n && text[j] != u';')
                ++j;
            i = j + 1;
        } else {
            qsizetype j = valueStart;
            while (j < n && text[j] != u';')
                ++j;
            value = text.mid(valueStart, j - valueStart).trimmed();
            i = j + 1;
        }
        if (value.isNull())
            value = QString(QStringLiteral(""));
        if (!key.isEmpty())
            result.parts.append({key, value});
    }
    return result;
}

namespace {
bool allDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (!c.isDigit())
            return false;
    return true;
}

} // namespace

ServerAddress splitServer(QString server)
{
    server = server.trimmed();
    if (server.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        server = server.mid(4);
    ServerAddress a{server, {}};
    qsizetype at = server.lastIndexOf(QLatin1Char(','));
    if (at < 0 && server.count(QLatin1Char(':')) == 1)
        at = server.indexOf(QLatin1Char(':'));
    if (at < 0 && server.startsWith(QLatin1Char('[')) && server.contains(QLatin1String("]:")))
        at = server.lastIndexOf(QLatin1Char(':'));
    if (at >= 0) {
        const QString port = server.mid(at + 1).trimmed();
        if (allDigits(port)) {
            a.host = server.left(at).trimmed();
            a.port = port;
        }
    }
    if (a.host.startsWith(QLatin1Char('[')) && a.host.endsWith(QLatin1Char(']')))
        a.host = a.host.mid(1, a.host.size() - 2);
    return a;
}

QString connectionStringValue(const QString& value)
{
    const bool needsBraces = value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
                             (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    return needsBraces ? bracedConnectionStringValue(value) : value;
}

QString bracedConnectionStringValue(const QString& value)
{
    QString escaped = value;
    escaped.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

} // namespace db
