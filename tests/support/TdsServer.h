#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace qvtest {

// Where a SQL Server test server listens and how to log in.
struct TdsEndpoint
{
    int port = 0;
    QString user;
    QString password;
    QString database;

    // The main window's location box form: "127.0.0.1,PORT".
    QString location() const { return QStringLiteral("127.0.0.1,%1").arg(port); }
};

// The server the test command started (QUORVANE_TDS_*), if any.
std::optional<TdsEndpoint> sharedTdsServer();

// True under CI=true, where a missing service is a failure rather than a skip.
bool underCi();

// A private SQL Server test server for tests that change its configuration (users, stored
// procedure sources, lock rows) or need a database of their own. Started in the constructor;
// stopped in the destructor. When it does not start, error() holds its output.
class TdsServer
{
public:
    // `config` is merged over a default with one user, "tester" / "s3cret!", and the database
    // "quorvane" backed by sqlitePath().
    explicit TdsServer(const QJsonObject& config = {});
    ~TdsServer();
    TdsServer(const TdsServer&) = delete;
    TdsServer& operator=(const TdsServer&) = delete;

    bool started() const { return endpoint_.port != 0; }
    QString error() const { return error_; }
    const TdsEndpoint& endpoint() const { return endpoint_; }
    QString sqlitePath() const { return dir_.filePath(QStringLiteral("quorvane.sqlite")); }
    QString log() const;

    // Replaces the configuration; the server reads it afresh on the next request that needs it.
    void writeConfig(const QJsonObject& config);
    const QJsonObject& config() const { return config_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QJsonObject config_;
    TdsEndpoint endpoint_;
    QString error_;
};

} // namespace qvtest
