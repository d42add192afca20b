// A temporary folder for the program's files at start-up, with the message
// boxes scripted and the database and settings objects released after each
// test.
#pragma once

#include "Database.h"
#include "Dialogs.h"
#include "Settings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

class StartupFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        DialogScript::Begin();
    }
    void TearDown() override
    {
        DialogScript::End();
        TDatabase::ReleaseInstance();
        TSettings::ReleaseInstance();
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};
