#include "mail/Form12.h"

#include "settings/SettingsStore.h"
#include "tests/support/ManualClock.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SmtpPeer.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

using namespace std::chrono_literals;

namespace {

const QString sender = QStringLiteral("watch@quorvane.test");
const QString recipient = QStringLiteral("dba@quorvane.test");

class MailWindow : public ::testing::Test
{
protected:
    qvtest::ScriptedDialogs dialogs;
    qvtest::ManualClock clock;
    std::unique_ptr<mail::Form12> form = std::make_unique<mail::Form12>();

    // Server, From, Subject, body, To.
    void fill(const QStringList& values)
    {
        form->Text1->setText(values[0]);
        form->Text2->setText(values[1]);
        form->Text3->setText(values[2]);
        form->Text4->setPlainText(values[3]);
        form->Text5->setText(values[4]);
    }

    void send(const QString& server, const QString& to = recipient)
    {
        fill({server, sender, QStringLiteral("Sql Locks"), QStringLiteral("Sql Locks"), to});
        form->Send();
    }
};

TEST_F(MailWindow, ADeliveryIsSevenPiecesWithQuitLastFailuresAreReportedAndAClosedWindowEndsIt)
{
    qvtest::ScriptedPeer peer({"220 peer ready\r\n", "250 hello\r\n", "250 sender ok\r\n",
                               "250 recipient ok\r\n", "354 go on\r\n", "250 queued\r\n", "221 bye\r\n"});
    send(peer.address());
    ASSERT_TRUE(qvtest::waitUntil([&] { return peer.clientClosed(); }));

    const QByteArray expected =
        "HELO " + QHostInfo::localHostName().toUtf8() + "\r\n" + "MAIL FROM:<watch@quorvane.test>\r\n" +
        "RCPT TO:<dba@quorvane.test>\r\n" + "DATA\r\n" +
        mail::messageText({peer.address(), sender, recipient, "Sql Locks", "Sql Locks"}) + "\r\n.\r\n" +
        "QUIT\r\n";
    EXPECT_EQ(peer.received(), expected);
    EXPECT_FALSE(form->busy());
    EXPECT_TRUE(dialogs.take().isEmpty());

    const QString closed = qvtest::ScriptedPeer().address(); // nothing listens there any more
    send(closed);
    ASSERT_TRUE(qvtest::waitUntil([&] { return !form->busy(); }));
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"Connection refused"});

    // A name is looked up first, so the connection is still being made when the limit passes.
    qvtest::ScriptedPeer slow;
    send(QStringLiteral("localhost:%1").arg(slow.port()));
    clock.advance(5min);
    EXPECT_EQ(
        dialogs.takeMessages(),
        QStringList{QStringLiteral("Could not connect to the mail server localhost:%1 within 5 minutes: the "
                                   "message was not sent.")
                        .arg(slow.port())});
    EXPECT_FALSE(form->busy());

    // An address with a line break is refused before any connection.
    qvtest::ScriptedPeer unused;
    send(unused.address(), QStringLiteral("dba@quorvane.test>\r\nRCPT TO:<other@example.com"));
    form->Text2->setText(QStringLiteral("watch@quorvane.test\nBcc: other@example.com"));
    form->Send();
    qvtest::settle();
    EXPECT_EQ(dialogs.takeMessages(),
              (QStringList{"The Email To: address must not contain a line break.",
                           "The Email From: address must not contain a line break."}));
    EXPECT_EQ(unused.connections(), 0);
    EXPECT_FALSE(form->busy());

    // Closing the window during a wait ends the dialogue, and nothing is shown later.
    qvtest::ScriptedPeer waiting({"220 ok\r\n"});
    send(waiting.address());
    ASSERT_TRUE(qvtest::waitUntil([&] { return waiting.received().startsWith("HELO"); }));
    form.reset();
    EXPECT_TRUE(qvtest::waitUntil([&] { return waiting.clientClosed(); }));
    clock.advance(10min);
    qvtest::settle();
    EXPECT_TRUE(dialogs.take().isEmpty());
}

// A reply the step does not expect, or silence past the step's wait: shown once, the
// connection dropped without QUIT, the window free again.
TEST_F(MailWindow, AnUnexpectedReplyOrSilenceEndsTheDialogue)
{
    const QList<QByteArray> toData{"220 ok\r\n", "250 hi\r\n", "250 ok\r\n", "250 ok\r\n"};
    const struct
    {
        QList<QByteArray> replies;  // then the peer falls silent
        std::chrono::minutes limit; // the wait that runs out, 0 for an unexpected reply
        QString message = {};       // for an unexpected reply
        QByteArray lastSent = {};   // what the peer saw last
    } cases[] = {
        {{"554 no service here\r\n"},
         0min,
         "Server returned the following error:\r\n554 no service here\r\n"},
        {{"220 ok\r\n", "250 hi\r\n", "250 ok\r\n", "550-no such user\r\n550 try another\r\n"},
         0min,
         "Error from Server:\r\n550-no such user\r\n550 try another\r\n",
         "RCPT TO:<dba@quorvane.test>\r\n"},
        {QList<QByteArray>(toData) << "451 out of space\r\n", 0min,
         "Error from Server:\r\n451 out of space\r\n", "DATA\r\n"},
        {{}, 5min},                                                          // the greeting
        {{"220 ok\r\n"}, 5min, {}, "\r\n"},                                  // HELO
        {toData, 2min, {}, "DATA\r\n"},                                      // DATA
        {QList<QByteArray>(toData) << "354 go\r\n", 10min, {}, "\r\n.\r\n"}, // the end of the data
    };
    for (const auto& c : cases) {
        qvtest::ScriptedPeer peer(c.replies);
        send(peer.address());
        QString message = c.message;
        if (c.limit > 0min) {
            // The wait has begun once the client has answered the last reply (or connected).
            ASSERT_TRUE(qvtest::waitUntil([&] {
                return form->Winsock1->state() == QAbstractSocket::ConnectedState &&
                       peer.commands() == c.replies.size();
            }));
            qvtest::settle();
            clock.advance(c.limit - 1ms);
            EXPECT_TRUE(dialogs.take().isEmpty());
            EXPECT_TRUE(form->busy());
            clock.advance(1ms);
            message = QStringLiteral(
                          "The mail server %1 did not answer within %2 minutes: the message was not sent.")
                          .arg(peer.address())
                          .arg(c.limit.count());
        }
        ASSERT_TRUE(qvtest::waitUntil([&] { return peer.clientClosed(); })) << message.toStdString();
        EXPECT_EQ(dialogs.takeMessages(), QStringList{message});
        EXPECT_TRUE(peer.received().endsWith(c.lastSent)) << peer.received().constData();
        EXPECT_FALSE(peer.received().contains("QUIT"));
        EXPECT_FALSE(form->busy());
    }
}

TEST_F(MailWindow, TheFiveValuesSurviveOkCancelAndARestart)
{
    const auto boxes = [&] {
        return QStringList{form->Text1->text(), form->Text2->text(), form->Text3->text(),
                           form->Text4->toPlainText(), form->Text5->text()};
    };
    const QStringList saved{"mail.quorvane.test", sender, "subject", "body", recipient};
    form->show();
    fill(saved);
    form->Command1_Click();
    EXPECT_FALSE(form->isVisible());

    form->show();
    fill(QStringList(5, QStringLiteral("edited")));
    form->Command2_Click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(boxes(), saved);

    form.reset();
    settings::reopenStore();
    form = std::make_unique<mail::Form12>();
    form->Form_Load();
    EXPECT_EQ(boxes(), saved);
}

// Against the test command's SMTP server, the window never shown. The message's bytes are
// LockWatchTest's (a whole notice) and MailMessageTest's (dots, line ends, UTF-8).
TEST_F(MailWindow, NoticesSentWithoutTheWindowArriveInTurnWithTheSavedValues)
{
    QV_REQUIRE_SMTP_SERVER();
    const QString to = QStringLiteral("dba-%1@quorvane.test").arg(QCoreApplication::applicationPid());
    settings::store().save(settings::MailServerName, *qvtest::sharedSmtpServer());
    settings::store().save(settings::MailUserName, sender);
    settings::store().save(settings::MailTo, to);

    // The second notice is asked for while the first still holds the socket.
    mail::sendNotice(QStringLiteral("Sql Locks"), QStringLiteral("first"));
    mail::sendNotice(QStringLiteral("Sql No Locks"), QStringLiteral("second"));
    mail::Form12* loaded = mail::loadedForm12();
    ASSERT_TRUE(loaded && !loaded->isVisible());
    ASSERT_TRUE(
        qvtest::waitUntil([&] { return !loaded->busy() && qvtest::spooledMessages(to).size() == 2; }));

    QStringList arrived;
    for (const qvtest::SpooledMessage& message : qvtest::spooledMessages(to))
        arrived << message.helo << message.from << message.to.join(u',')
                << QString::fromUtf8(message.data).section(QStringLiteral("\r\n"), 2, 2)
                << QString::fromUtf8(message.data).section(QStringLiteral("\r\n\r\n"), 1);
    const QString helo = QHostInfo::localHostName();
    EXPECT_EQ(arrived, (QStringList{helo, sender, to, "Subject: Sql Locks", "first\r\n", helo, sender, to,
                                    "Subject: Sql No Locks", "second\r\n"}));
    EXPECT_TRUE(dialogs.take().isEmpty());
    delete loaded;
}

} // namespace
