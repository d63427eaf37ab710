#include "mail/MailMessage.h"

#include <QRegularExpression>
#include <algorithm>

namespace mail {
namespace {

bool isAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// CR LF, a lone CR and a lone LF all end a line.
QStringList lines(const QString& text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineEnd);
}

QByteArray subjectField(const QString& subject)
{
    // A header is one line: line breaks in a stored subject become blanks.
    QString line = subject;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (isAscii(line))
        return line.toLatin1();
    return "=?UTF-8?B?" + line.toUtf8().toBase64() + "?=";
}

QByteArray bodyText(const QString& body)
{
    QStringList bodyLines = lines(body);
    for (QString& line : bodyLines) {
        if (line.startsWith(QLatin1Char('.')))
            line.prepend(QLatin1Char('.'));
    }
    return bodyLines.join(QStringLiteral("\r\n")).toUtf8();
}

} // namespace

std::optional<MailServer> mailServer(const QString& box)
{
    const QString text = box.trimmed();
    QString host = text;
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return std::nullopt;
        port = rest.mid(1);
        if (rest.startsWith(QLatin1Char(':')) && port.isEmpty())
            return std::nullopt;
    } else if (text.count(QLatin1Char(':')) == 1) {
        host = text.section(QLatin1Char(':'), 0, 0);
        port = text.section(QLatin1Char(':'), 1);
        if (port.isEmpty())
            return std::nullopt;
    }
    MailServer server{host, 25};
    if (!port.isEmpty()) {
        bool ok = false;
        const uint number = port.toUInt(&ok);
        if (!ok || number == 0 || number > 65535)
            return std::nullopt;
        server.port = static_cast<quint16>(number);
    }
    return server;
}

QString refusal(const MailMessage& message)
{
    if (!mailServer(message.server))
        return QStringLiteral("The Email SMTP Server box names no valid port: %1").arg(message.server);
    if (hasLineBreak(message.from))
        return QStringLiteral("The Email From: address must not contain a line break.");
    if (hasLineBreak(message.to))
        return QStringLiteral("The Email To: address must not contain a line break.");
    return {};
}

QByteArray messageText(const MailMessage& message)
{
    const QByteArray charset = isAscii(message.body) ? "us-ascii" : "utf-8";
    QByteArray text;
    text += "From: <" + message.from.toUtf8() + ">\r\n";
    text += "To: " + message.to.toUtf8() + "\r\n";
    text += "Subject: " + subjectField(message.subject) + "\r\n";
    text += "X-Mailer: Mailwren v1.1\r\n";
    text += "Mime-Version: 1.0\r\n";
    text += "Content-Type: text/plain;\tcharset=" + charset + "\r\n";
    text += "\r\n";
    text += bodyText(message.body);
    return text;
}

} // namespace mail
