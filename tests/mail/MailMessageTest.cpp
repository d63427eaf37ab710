#include "mail/MailMessage.h"

#include "mail/SmtpReply.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

TEST(SmtpReply, AReplyIsCompleteOnlyAtAFinalLine)
{
    const struct Case
    {
        QList<QByteArray> pieces;
        bool ready;
        int code;
    } cases[] = {
        {{"220 mail.example ESMTP\r\n"}, true, 220},
        {{"220-mail.example\r\n"}, false, 0}, // more lines follow
        {{"220-mail.example\r\n", "220 ready\r\n"}, true, 220},
        {{"250 OK"}, false, 0}, // the line has not ended
        {{"25", "0 OK\r\n"}, true, 250},
        {{"354\r\n"}, true, 354},   // a code alone is a final line
        {{"garbled\r\n"}, true, 0}, // not a reply: taken, and its code matches nothing
        {{"250-a\r\n250-b\r\n250 c\r\n"}, true, 250},
    };
    for (const Case& c : cases) {
        mail::ReplyBuffer buffer;
        for (const QByteArray& piece : c.pieces)
            buffer.append(piece);
        const QByteArray all = c.pieces.join();
        EXPECT_EQ(buffer.ready(), c.ready) << all.constData();
        if (c.ready) {
            EXPECT_EQ(mail::replyCode(buffer.take()), c.code) << all.constData();
            EXPECT_FALSE(buffer.ready());
        }
    }
}

TEST(MailMessage, TheServerBoxNamesAHostAndMayNameAPortAndTheTextIsSentSafely)
{
    const struct
    {
        QString box;
        QString server; // "host port", "" when refused
    } boxes[] = {
        {"mail.example.com", "mail.example.com 25"},
        {" 127.0.0.1:2525 ", "127.0.0.1 2525"},
        {"[::1]:587", "::1 587"},
        {"::1", "::1 25"},
        {"mail.example.com:", ""},
        {"mail.example.com:smtp", ""},
        {"mail.example.com:70000", ""},
    };
    for (const auto& c : boxes) {
        const auto server = mail::mailServer(c.box);
        EXPECT_EQ(server ? server->host + u' ' + QString::number(server->port) : QString(), c.server)
            << c.box.toStdString();
    }
    EXPECT_EQ(mail::refusal({"mail.example.com:smtp", "a@example.com", "b@example.com", "", ""}),
              "The Email SMTP Server box names no valid port: mail.example.com:smtp");

    // The subject and the body are sent safely.
    const struct Message
    {
        QString subject;
        QString body;
        QByteArray subjectLine;
        QByteArray contentType;
        QByteArray bodyBytes;
    } messages[] = {
        // A line of "." alone would end the data: each line starting with "." gets a second one.
        {"Sql Locks", "first\n.\n.hidden\nlast", "Subject: Sql Locks", "text/plain;\tcharset=us-ascii",
         "first\r\n..\r\n..hidden\r\nlast"},
        // Every line end becomes CR LF.
        {"Sql Locks", "a\rb\r\nc\n", "Subject: Sql Locks", "text/plain;\tcharset=us-ascii",
         "a\r\nb\r\nc\r\n"},
        // A stored subject cannot add header lines.
        {"Locks\r\nBcc: someone@example.com", "x", "Subject: Locks Bcc: someone@example.com",
         "text/plain;\tcharset=us-ascii", "x"},
        // Text beyond ASCII goes as UTF-8 and says so.
        {"Sperre \u00e4", "Gr\u00fc\u00dfe",
         "Subject: =?UTF-8?B?U3BlcnJlIMOk?=", "text/plain;\tcharset=utf-8",
         "Gr\xc3\xbc\xc3\x9f"
         "e"},
    };
    for (const Message& c : messages) {
        const QByteArray text =
            mail::messageText({"mail.example.com", "a@example.com", "b@example.com", c.subject, c.body});
        const QList<QByteArray> lines = text.split('\n');
        EXPECT_EQ(lines.value(2), c.subjectLine + "\r") << c.subject.toStdString();
        EXPECT_EQ(lines.value(5), "Content-Type: " + c.contentType + "\r");
        EXPECT_EQ(text.mid(text.indexOf("\r\n\r\n") + 4), c.bodyBytes) << c.body.toStdString();
    }
}

} // namespace
