#include "tests/support/TdsServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QThread>

namespace qvtest {

std::optional<TdsEndpoint> sharedTdsServer()
{
    const int port = qEnvironmentVariableIntValue("QUORVANE_TDS_PORT");
    if (port == 0)
        return std::nullopt;
    return TdsEndpoint{port, qEnvironmentVariable("QUORVANE_TDS_USER"), qEnvironmentVariable("QUORVANE_TDS_PASSWORD"),
                       qEnvironmentVariable("QUORVANE_TDS_DATABASE")};
}

bool underCi() { return qEnvironmentVariable("CI") == QLatin1String("true"); }

TdsServer::TdsServer(const QJsonObject& config)
{
    config_ = QJsonObject{{"server_name", "QUORVANE-TDS"},
                          {"default_database", "quorvane"},
                          {"users", QJsonObject{{"tester", "s3cret!"}}},
                          {"databases", QJsonObject{}},
                          {"procedures", QJsonObject{}},
                          {"locks", QJsonArray{}}};
    for (auto it = config.begin(); it != config.end(); ++it)
        config_[it.key()] = it.value();
    writeConfig(config_);

    const QString script = qEnvironmentVariable("QUORVANE_SOURCE_DIR") + QStringLiteral("/tests/support/tds/tds_server.py");
    const QString portFile = dir_.filePath(QStringLiteral("port"));
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(dir_.filePath(QStringLiteral("stderr.log")));
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {script, "--port", "0", "--port-file", portFile, "--db", sqlitePath(), "--config",
                    dir_.filePath(QStringLiteral("config.json")), "--log", dir_.filePath(QStringLiteral("server.log"))});
    if (!process_.waitForStarted(30000)) {
        error_ = QStringLiteral("cannot start /usr/bin/python3: ") + process_.errorString();
        return;
    }
    // The server writes the port file only once it listens.
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        QFile file(portFile);
        if (file.open(QIODevice::ReadOnly)) {
            endpoint_ = {file.readAll().trimmed().toInt(), QStringLiteral("tester"), QStringLiteral("s3cret!"),
                         QStringLiteral("quorvane")};
            if (endpoint_.port != 0)
                return;
        }
        QThread::msleep(20);
    }
    error_ = QStringLiteral("the SQL Server test server did not start:\n") + log();
}

TdsServer::~TdsServer()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString TdsServer::log() const
{
    QString text;
    for (const char* name : {"stderr.log", "server.log"}) {
        QFile file(dir_.filePath(QLatin1String(name)));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}

void TdsServer::writeConfig(const QJsonObject& config)
{
    config_ = config;
    QSaveFile file(dir_.filePath(QStringLiteral("config.json")));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(config_).toJson());
        file.commit();
    }
}

} // namespace qvtest
