#pragma once

#include "mail/MailMessage.h"
#include "mail/SmtpReply.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>

namespace mail {

// The mail standard's client time limits: no wait of the dialogue lasts longer.
inline constexpr std::chrono::minutes connectLimit{5};
inline constexpr std::chrono::minutes greetingLimit{5};
inline constexpr std::chrono::minutes commandLimit{5}; // HELO, MAIL FROM, RCPT TO
inline constexpr std::chrono::minutes dataLimit{2};    // the answer to DATA
inline constexpr std::chrono::minutes endOfDataLimit{10};

// What the socket does next.
struct SmtpStep
{
    QList<QByteArray> send; // pieces to send, in order
    QString message;        // to show the user, when not empty
    bool close = false;     // the dialogue is over: close the socket
    // When not zero, the wait for the next reply starts anew with this limit.
    std::chrono::milliseconds limit{0};
};

// One minimal SMTP dialogue that delivers one plain-text message: the greeting, HELO, MAIL
// FROM, RCPT TO, DATA, the message with its end mark, QUIT. It runs on the socket's events
// and only says what to send; the window owns the socket and the timer.
class SmtpDialogue
{
public:
    enum class Stage { Connecting, Greeting, Helo, MailFrom, RcptTo, Data, EndOfData, Done };

    SmtpDialogue(MailMessage message, QString localHostName);

    Stage stage() const { return stage_; }

    // The connection is established: the greeting is awaited.
    SmtpStep connected();
    // Data arrived from the server.
    SmtpStep received(const QByteArray& data);
    // The current wait has passed its limit.
    SmtpStep timedOut();

private:
    SmtpStep answer(const QByteArray& reply);

    MailMessage message_;
    QString localHostName_;
    ReplyBuffer replies_;
    Stage stage_ = Stage::Connecting;
};

} // namespace mail
