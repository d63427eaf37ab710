#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace mail {

// One message as the mail window holds it when it is asked to send.
struct MailMessage
{
    QString server;  // "host" or "host:port"
    QString from;    // the sender address
    QString to;      // the recipient address
    QString subject; // the subject line
    QString body;    // the message text
};

// Where the message goes: the server box's host and its port, 25 unless the box names one.
struct MailServer
{
    QString host;
    quint16 port = 25;
};

// Reads the server box: "host", "host:port", "[v6-address]:port" or a bare v6 address.
// Nothing when the port part is not a port number.
std::optional<MailServer> mailServer(const QString& box);

// Why `message` cannot be sent, in a sentence for the user; empty when it can. An address
// with a line break in it would add commands or header lines of its own.
QString refusal(const MailMessage& message);

// The message text sent after DATA: seven header lines (the last one empty), then the body
// with CR LF line ends and each line that begins with "." given a second one, so that no
// line of the body can end the data. Text that is all ASCII is declared "us-ascii"; other
// text is sent as UTF-8 and declared so (the subject as an encoded word).
QByteArray messageText(const MailMessage& message);

} // namespace mail
