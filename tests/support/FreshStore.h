#pragma once

#include "settings/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

// A test with a settings store of its own: the program's store is pointed at an empty file
// for the test and reopened.
class FreshStore : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        setenv("QUORVANE_SETTINGS", QFile::encodeName(storePath()).constData(), 1);
        settings::reopenStore();
    }

    void TearDown() override { settings::reopenStore(); }

    QString storePath() const { return dir.filePath("settings.sqlite"); }
    settings::SettingsStore& store() { return settings::store(); }

    QTemporaryDir dir;
};
