#include "mail/SmtpReply.h"

#include <QList>

namespace mail {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool ReplyBuffer::ready() const
{
    if (!text_.endsWith("\r\n"))
        return false;
    const QByteArray lines = text_.chopped(2);
    const qsizetype cut = lines.lastIndexOf("\r\n");
    const QByteArray last = cut < 0 ? lines : lines.mid(cut + 2);
    const bool continued =
        last.size() >= 4 && isDigit(last[0]) && isDigit(last[1]) && isDigit(last[2]) && last[3] == '-';
    return !continued;
}

QByteArray ReplyBuffer::take()
{
    QByteArray reply;
    reply.swap(text_);
    return reply;
}

int replyCode(const QByteArray& reply)
{
    const QByteArray first = reply.trimmed().split(' ').value(0);
    int code = 0;
    for (char c : first) {
        if (!isDigit(c) || code > 99999)
            break;
        code = code * 10 + (c - '0');
    }
    return code;
}

} // namespace mail
