// The tools window on its own, against two SQL Server test servers (side 1 and side 2 of the
// compare), each reached through the real FreeTDS driver. A test gives itself databases of
// its own, so that object listings hold only its objects.
#pragma once

#include "tests/support/TdsServer.h"
#include "tests/support/WindowFixture.h"
#include "tools/Form2.h"
#include "ui/Events.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

class ToolsFixture : public WindowFixture
{
protected:
    struct Server
    {
        std::unique_ptr<qvtest::TdsServer> process;
        QJsonObject databases;
        QJsonObject procedures;
        QJsonArray objects;
        QJsonArray refused;
        QJsonObject more; // further keys: lock rows, the blocking chain, names

        void configure()
        {
            QJsonObject config{{"server_name", "QUORVANE-TDS"},
                               {"default_database", "quorvane"},
                               {"users", QJsonObject{{"tester", "s3cret!"}}},
                               {"databases", databases},
                               {"procedures", procedures},
                               {"listed_objects", objects},
                               {"refused_procedures", refused}};
            for (auto it = more.begin(); it != more.end(); ++it)
                config[it.key()] = it.value();
            process->writeConfig(config);
        }
    };

    static void SetUpTestSuite()
    {
        for (Server* s : {&one, &two})
            s->process = std::make_unique<qvtest::TdsServer>();
    }
    static void TearDownTestSuite()
    {
        for (Server* s : {&one, &two})
            *s = Server();
    }

    void SetUp() override
    {
        WindowFixture::SetUp();
        for (Server* s : {&one, &two}) {
            if (!s->process || !s->process->started()) {
                const std::string why = s->process ? s->process->error().toStdString() : "not started";
                if (qvtest::underCi())
                    FAIL() << "SQL Server test server: " << why;
                GTEST_SKIP() << "SQL Server test server: " << why;
            }
            s->procedures = QJsonObject();
            s->objects = QJsonArray();
            s->refused = QJsonArray();
            s->more = QJsonObject();
            s->configure();
        }
        // Every step of a loop lets window events run, so a test's timers see each step.
        slice = ui::EventPump::defaultSlice();
        ui::EventPump::setDefaultSlice(std::chrono::milliseconds(0));
        form = std::make_unique<Form2>();
    }

    void TearDown() override
    {
        form.reset();
        ui::EventPump::setDefaultSlice(slice);
        WindowFixture::TearDown();
    }

    // A database of the test's own on `server`, made with `sql` (SQLite).
    QString database(Server& server, const QString& name, const char* sql)
    {
        const QString path =
            dir.filePath(name + QString::number(quintptr(&server)) + QStringLiteral(".sqlite"));
        run(path, sql);
        server.databases[name] = path;
        server.configure();
        return name;
    }

    static void run(const QString& path, const char* sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        char* message = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
        EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
        sqlite3_free(message);
        sqlite3_close(db);
    }

    static QString server(const Server& s) { return s.process->endpoint().location(); }

    // The compare frame's boxes for both sides.
    void compareSides(const QString& database1, const QString& database2, Form2* target = nullptr)
    {
        Form2* form = target ? target : this->form.get();
        form->Text12->setText(server(one));
        form->Text13->setText(QStringLiteral("tester"));
        form->Text14->setText(QStringLiteral("s3cret!"));
        form->Text22->setText(database1);
        form->Text18->setText(server(two));
        form->Text19->setText(QStringLiteral("tester"));
        form->Text20->setText(QStringLiteral("s3cret!"));
        form->Text23->setText(database2);
    }

    // The finder's boxes for a database of server one.
    void finderOn(const QString& database, const QString& searchText, Form2* target = nullptr)
    {
        Form2* form = target ? target : this->form.get();
        form->Text24->setText(server(one));
        form->Text25->setText(database);
        form->Text27->setText(QStringLiteral("tester"));
        form->Text30->setText(QStringLiteral("s3cret!"));
        form->Text28->setText(searchText);
    }

    static void pick(QComboBox* combo, const QString& entry)
    {
        const int i = combo->findText(entry);
        ASSERT_GE(i, 0) << entry.toStdString();
        combo->setCurrentIndex(i);
    }

    inline static Server one;
    inline static Server two;
    std::unique_ptr<Form2> form;
    std::chrono::milliseconds slice{};
};
