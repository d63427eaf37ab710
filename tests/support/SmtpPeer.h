#pragma once

#include "tests/support/TdsServer.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <deque>
#include <functional>
#include <optional>

namespace qvtest {

// Lets events run until `done` holds or ten seconds have passed; returns `done()`.
inline bool waitUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A few turns of the event loop, for checks that something did not happen.
inline void settle()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A misbehaving SMTP server on loopback: it sends the queued replies one by one, the first
// when a client connects and each next one when the client has sent a whole command (a line,
// or after a 354 reply the data up to its end mark), and stays silent when none is left.
// Everything the client sent is kept.
class ScriptedPeer
{
public:
    explicit ScriptedPeer(QList<QByteArray> replies = {}) : replies_(replies.begin(), replies.end())
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            client_ = server_.nextPendingConnection();
            ++connections_;
            QObject::connect(client_, &QTcpSocket::readyRead, [this] { readCommands(); });
            QObject::connect(client_, &QTcpSocket::disconnected, [this] { closed_ = true; });
            replyNext();
        });
    }

    quint16 port() const { return server_.serverPort(); }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }
    // Sends `bytes` now, as one packet.
    void send(const QByteArray& bytes)
    {
        client_->write(bytes);
        client_->flush();
    }

    const QByteArray& received() const { return received_; }
    int connections() const { return connections_; }
    // Whole commands received (the message with its end mark counts as one).
    qsizetype commands() const { return commands_; }
    bool connected() const { return client_ && !closed_; }
    bool clientClosed() const { return closed_; }

private:
    void replyNext()
    {
        if (replies_.empty())
            return;
        const QByteArray reply = replies_.front();
        replies_.pop_front();
        inData_ = reply.startsWith("354");
        send(reply);
    }

    void readCommands()
    {
        const QByteArray data = client_->readAll();
        received_ += data;
        pending_ += data;
        for (;;) {
            const QByteArray end = inData_ ? QByteArray("\r\n.\r\n") : QByteArray("\r\n");
            const qsizetype at = pending_.indexOf(end);
            if (at < 0)
                return;
            pending_.remove(0, at + end.size());
            ++commands_;
            replyNext();
        }
    }

    QTcpServer server_;
    QPointer<QTcpSocket> client_;
    std::deque<QByteArray> replies_;
    QByteArray received_;
    QByteArray pending_;
    bool inData_ = false;
    bool closed_ = false;
    int connections_ = 0;
    qsizetype commands_ = 0;
};

// One message as the test command's SMTP server (aiosmtpd) accepted it.
struct SpooledMessage
{
    QString helo;
    QString from;
    QStringList to;
    QByteArray data; // the DATA bytes as received, the end mark and dot-doubling taken off
};

// "127.0.0.1:PORT" of the test command's SMTP server, if it runs.
inline std::optional<QString> sharedSmtpServer()
{
    const int port = qEnvironmentVariableIntValue("QUORVANE_SMTP_PORT");
    if (port == 0)
        return std::nullopt;
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

// The messages the shared SMTP server has accepted for `recipient`, oldest first.
inline QList<SpooledMessage> spooledMessages(const QString& recipient)
{
    QList<SpooledMessage> found;
    const QDir spool(qEnvironmentVariable("QUORVANE_SMTP_SPOOL"));
    for (const QString& name : spool.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile file(spool.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject record = QJsonDocument::fromJson(file.readAll()).object();
        QStringList to;
        for (const QJsonValue& address : record.value(QStringLiteral("rcpt_tos")).toArray())
            to << address.toString();
        if (to.contains(recipient))
            found.push_back(
                {record.value(QStringLiteral("helo")).toString(),
                 record.value(QStringLiteral("mail_from")).toString(), to,
                 QByteArray::fromBase64(record.value(QStringLiteral("data")).toString().toLatin1())});
    }
    return found;
}

} // namespace qvtest

// Skips the test outside CI when the shared SMTP server is not running; fails it in CI.
#define QV_REQUIRE_SMTP_SERVER()                                                                             \
    do {                                                                                                     \
        if (!qvtest::sharedSmtpServer()) {                                                                   \
            if (qvtest::underCi())                                                                           \
                FAIL() << "the SMTP server of the test command is not running";                              \
            GTEST_SKIP() << "no SMTP server: run the tests through scripts/test.sh";                         \
        }                                                                                                    \
    } while (false)
