// Shared by the result-actions tests: a fresh file chooser and fresh paths for every test,
// scripted dialogs, grids filled cell by cell, and small file helpers.
#pragma once

#include "query/log/StatementLog.h"
#include "results/FormFile.h"
#include "settings/SettingsStore.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/MSFlexGrid.h"
#include "ui/TextFile.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

namespace actionstest {

// Every test starts with the chooser not loaded, no remembered file settings and both paths
// empty, as at program start.
class ActionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        delete results::loadedFormFile();
        try {
            settings::store().deleteSection(QStringLiteral("FileSettings"));
        } catch (const settings::StoreError&) {
            // Nothing remembered yet.
        }
        query::setCurrentQueryFile(QString());
        results::setExportTarget(QString());
        ASSERT_TRUE(dir.isValid());
    }

    void TearDown() override { delete results::loadedFormFile(); }

    // The chooser, when shown, gets `path` typed into its file box and OK.
    void chooseOnModal(const QString& path)
    {
        dialogs.onModal([path](QWidget* window) {
            auto* form = qobject_cast<results::FormFile*>(window);
            ASSERT_NE(form, nullptr);
            form->Text2->setText(path);
            form->Command1_Click();
        });
    }
    // The chooser, when shown, is cancelled.
    void cancelOnModal()
    {
        dialogs.onModal([](QWidget* window) {
            auto* form = qobject_cast<results::FormFile*>(window);
            ASSERT_NE(form, nullptr);
            form->Command2_Click();
        });
    }
    // The one modal window shown since the last look was the chooser, and nothing else.
    void expectChooserShown()
    {
        const QList<qvtest::ShownDialog> shown = dialogs.take();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].kind, qvtest::ShownDialog::Modal);
        EXPECT_EQ(shown[0].windowName, QStringLiteral("FormFile"));
        EXPECT_EQ(shown[0].title, QStringLiteral("File"));
    }
    // The chooser was shown, then one message: that message.
    qvtest::ShownDialog messageAfterChooser()
    {
        const QList<qvtest::ShownDialog> shown = dialogs.take();
        if (shown.size() != 2 || shown[0].kind != qvtest::ShownDialog::Modal ||
            shown[1].kind != qvtest::ShownDialog::Message) {
            ADD_FAILURE() << "not the chooser and one message but " << shown.size() << " dialogs";
            return {qvtest::ShownDialog::Message, {}, {}, {}, {}, {}};
        }
        return shown[1];
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    qvtest::ScriptedDialogs dialogs;
};

// A grid holding `names` in row 0 and `records` below, fields from column 2.
inline void fillGrid(ui::MSFlexGrid& grid, std::initializer_list<QString> names,
                     std::initializer_list<std::initializer_list<QString>> records = {})
{
    grid.setCols(static_cast<int>(names.size()) + 2);
    grid.setRows(static_cast<int>(records.size()) + 1);
    int c = 2;
    for (const QString& name : names)
        grid.setTextMatrix(0, c++, name);
    int r = 1;
    for (const auto& record : records) {
        c = 2;
        for (const QString& value : record)
            grid.setTextMatrix(r, c++, value);
        ++r;
    }
}

using qvtest::fileBytes;
using qvtest::writeBytes;

} // namespace actionstest
