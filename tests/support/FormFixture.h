// The main window as the program starts it, on a settings store and a statement log of its
// own, with scripted dialogs and a program end that is only counted.
#pragma once

#include "app/Form1.h"
#include "app/StatusBar.h"
#include "query/ConnectionSettings.h"
#include "query/log/StatementLog.h"
#include "results/FormFile.h"
#include "settings/SettingsStore.h"
#include "tests/support/WindowFixture.h"
#include "ui/MSFlexGrid.h"

// The window's control types, complete, for every window test.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <gtest/gtest.h>
#include <memory>

class FormFixture : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        query::setCurrentQueryFile(logFile());
        start();
    }

    void TearDown() override
    {
        form.reset();
        query::setCurrentQueryFile({});
        WindowFixture::TearDown();
    }

    // A program start: a new main window on the same store.
    void start()
    {
        form.reset();
        form = std::make_unique<Form1>();
        form->Form_Load();
    }

    QString logFile() const { return dir.filePath("statements.log"); }

    void useSqlite(const QString& path)
    {
        form->Combo1->setEditText(QStringLiteral("SQLite"));
        form->Text8->setText(path);
    }

    // A test service the test needs is missing: the test is skipped, or fails under CI. False.
    static bool missing(const std::string& what)
    {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            [&] { FAIL() << what << " is missing: the test services did not start it"; }();
        else
            [&] { GTEST_SKIP() << what << " is missing (run the tests with scripts/test.sh)"; }();
        return false;
    }

    // Types the connection fields into their boxes (the database password box is left alone).
    void useConnection(const query::ConnectionFields& f)
    {
        form->Combo1->setEditText(f.type);
        form->Text4->setText(f.user);
        form->Text5->setText(f.password);
        form->Text8->setText(f.location);
        form->Text9->setText(f.databaseName);
    }

    // Fills the connection fields for the MariaDB server of the test services; false (and the
    // caller returns) without one.
    bool useMariaDb()
    {
        const QString port = qEnvironmentVariable("QUORVANE_MARIADB_PORT");
        if (port.isEmpty())
            return missing("the MariaDB server");
        useConnection({QStringLiteral("MySql"),
                       qEnvironmentVariable("QUORVANE_MARIADB_USER"),
                       qEnvironmentVariable("QUORVANE_MARIADB_PASSWORD"),
                       QStringLiteral("127.0.0.1,") + port,
                       QStringLiteral("quorvane"),
                       {}});
        return true;
    }

    // Types the query into the box and presses Run.
    void run(const QString& sql)
    {
        form->Text1->setPlainText(sql);
        form->Command1_Click();
    }

    QString panel(int i) const { return form->StatusBar1->panelText(i); }

    static QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static void writeFile(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // The file chooser, when shown, gets `path` typed into its file box and OK; an empty path
    // is Cancel.
    void choose(const QString& path)
    {
        dialogs.onModal([path](QWidget* window) {
            auto* chooser = qobject_cast<results::FormFile*>(window);
            ASSERT_NE(chooser, nullptr);
            if (path.isEmpty()) {
                chooser->Command2->click();
                return;
            }
            chooser->Text2->setText(path);
            chooser->Command1->click();
        });
    }

    // Every dialog shown since the last look, as "chooser", "?question" (asked with No as the
    // default) or the message's text.
    QStringList shown()
    {
        QStringList seen;
        for (const qvtest::ShownDialog& d : dialogs.take()) {
            if (d.kind == qvtest::ShownDialog::Modal)
                seen << QStringLiteral("chooser");
            else if (d.kind == qvtest::ShownDialog::Question)
                seen << (d.defaultNo && d.title.isEmpty() ? QStringLiteral("?") : QStringLiteral("?!")) +
                            d.text;
            else
                seen << d.text;
        }
        return seen;
    }

    // Presses and releases `button` over `cell` of `view`.
    static void click(QAbstractItemView* view, const QModelIndex& cell, Qt::MouseButton button)
    {
        QWidget* viewport = view->viewport();
        const QPoint at = view->visualRect(cell).center();
        for (const bool down : {true, false}) {
            QMouseEvent event(down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, at,
                              viewport->mapToGlobal(at), button, down ? button : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        }
        QApplication::processEvents();
    }

    static void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent down(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(target, &up);
        QApplication::processEvents();
    }

    // The grid's cells from row 0, columns 2 on, joined by "|" per row.
    QStringList gridRows() const
    {
        QStringList rows;
        const ui::MSFlexGrid* g = form->MSFlexGrid1;
        for (int r = 0; r < g->Rows(); ++r) {
            QStringList cells;
            for (int c = ui::MSFlexGrid::firstFieldCol; c < g->Cols(); ++c)
                cells << g->TextMatrix(r, c);
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

    std::unique_ptr<Form1> form;
};
