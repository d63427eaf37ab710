// A second program on a settings file (tests/support/SettingsPeer.cpp), driven line by line over
// its standard input: for the tests of durability and sharing between running programs.
#pragma once

#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

namespace qvtest {

class SettingsPeer
{
public:
    explicit SettingsPeer(const QString& path)
    {
        process.start(QStringLiteral(SETTINGS_PEER), {path});
        EXPECT_TRUE(process.waitForStarted(30000));
        EXPECT_EQ(reply(), "ready");
    }
    ~SettingsPeer()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(30000))
            process.kill();
    }

    QString send(const QString& line)
    {
        process.write((line + "\n").toUtf8());
        return reply();
    }
    void post(const QString& line) { process.write((line + "\n").toUtf8()); }
    void kill()
    {
        process.kill(); // SIGKILL: no chance to flush or close anything
        process.waitForFinished(30000);
    }

    QProcess process;

    QString reply()
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(30000))
                return QStringLiteral("<no reply>");
        return QString::fromUtf8(process.readLine()).trimmed();
    }
};

} // namespace qvtest
