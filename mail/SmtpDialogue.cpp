#include "mail/SmtpDialogue.h"

#include <utility>

namespace mail {
namespace {

struct Expected
{
    int code;
    const char* failure;
};

Expected expected(SmtpDialogue::Stage stage)
{
    using Stage = SmtpDialogue::Stage;
    switch (stage) {
    case Stage::Greeting:
        return {220, "Server returned the following error:"};
    case Stage::Data:
        return {354, "Error from Server:"};
    default:
        return {250, "Error from Server:"};
    }
}

SmtpStep sending(QList<QByteArray> pieces, std::chrono::milliseconds limit)
{
    SmtpStep step;
    step.send = std::move(pieces);
    step.limit = limit;
    return step;
}

SmtpStep closing(QString message)
{
    SmtpStep step;
    step.message = std::move(message);
    step.close = true;
    return step;
}

} // namespace

SmtpDialogue::SmtpDialogue(MailMessage message, QString localHostName)
    : message_(std::move(message)), localHostName_(std::move(localHostName))
{
}

SmtpStep SmtpDialogue::connected()
{
    stage_ = Stage::Greeting;
    return sending({}, greetingLimit);
}

SmtpStep SmtpDialogue::received(const QByteArray& data)
{
    if (stage_ == Stage::Connecting || stage_ == Stage::Done)
        return {};
    replies_.append(data);
    if (!replies_.ready())
        return {};
    return answer(replies_.take());
}

SmtpStep SmtpDialogue::answer(const QByteArray& reply)
{
    const Expected expect = expected(stage_);
    if (replyCode(reply) != expect.code) {
        stage_ = Stage::Done;
        return closing(QLatin1String(expect.failure) + QStringLiteral("\r\n") + QString::fromUtf8(reply));
    }
    switch (stage_) {
    case Stage::Greeting:
        stage_ = Stage::Helo;
        return sending({"HELO " + localHostName_.toUtf8() + "\r\n"}, commandLimit);
    case Stage::Helo:
        stage_ = Stage::MailFrom;
        return sending({"MAIL FROM:<" + message_.from.toUtf8() + ">\r\n"}, commandLimit);
    case Stage::MailFrom:
        stage_ = Stage::RcptTo;
        return sending({"RCPT TO:<" + message_.to.toUtf8() + ">\r\n"}, commandLimit);
    case Stage::RcptTo:
        stage_ = Stage::Data;
        return sending({"DATA\r\n"}, dataLimit);
    case Stage::Data:
        stage_ = Stage::EndOfData;
        return sending({messageText(message_), "\r\n.\r\n"}, endOfDataLimit);
    default: {
        // Delivered: QUIT, and the socket closes at once; the goodbye is not awaited.
        stage_ = Stage::Done;
        SmtpStep step = closing({});
        step.send = {"QUIT\r\n"};
        return step;
    }
    }
}

SmtpStep SmtpDialogue::timedOut()
{
    const Stage stage = std::exchange(stage_, Stage::Done);
    const QString server = message_.server.trimmed();
    if (stage == Stage::Connecting)
        return closing(
            QStringLiteral("Could not connect to the mail server %1 within %2 minutes: the message "
                           "was not sent.")
                .arg(server)
                .arg(connectLimit.count()));
    const std::chrono::minutes limit = stage == Stage::Data        ? dataLimit
                                       : stage == Stage::EndOfData ? endOfDataLimit
                                                                   : commandLimit;
    return closing(
        QStringLiteral("The mail server %1 did not answer within %2 minutes: the message was not sent.")
            .arg(server)
            .arg(limit.count()));
}

} // namespace mail
