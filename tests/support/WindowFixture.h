// A window test's surroundings: a settings store of its own, scripted dialogs and a program
// end that is only counted.
#pragma once

#include "tests/support/FreshStore.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/Program.h"

#include <QComboBox>
#include <QListWidget>
#include <QStringList>

class WindowFixture : public FreshStore
{
protected:
    void SetUp() override
    {
        FreshStore::SetUp();
        ui::setEndProgramAction([this] { ++programEnds; });
    }

    void TearDown() override
    {
        ui::setEndProgramAction({});
        FreshStore::TearDown();
    }

    static QStringList listed(const QComboBox* combo)
    {
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        return entries;
    }

    static QStringList listed(const QListWidget* list)
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }

    qvtest::ScriptedDialogs dialogs;
    int programEnds = 0;
};
