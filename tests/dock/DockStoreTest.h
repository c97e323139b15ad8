#pragma once

#include "Persistence.h"
#include "app/AppState.h"
#include "app/UserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A test with its own user defaults, data home and object store, and the
// shared state's applications cleared before and after.
class DockStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        UserDefaults::useFile(m_dir.filePath("defaults.conf"));
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dir.filePath("data").toUtf8());
        QString error;
        store = PersistenceController::open(m_dir.filePath("store.sqlite"), &error);
        ASSERT_TRUE(store) << error.toStdString();
        state().allApps.clear();
    }
    void TearDown() override
    {
        state().allApps.clear();
        store.reset();
        qputenv("XDG_DATA_HOME", m_oldDataHome);
        UserDefaults::useFile(QString());
    }

    static AppState& state() { return AppState::shared(); }

    QTemporaryDir m_dir;
    QByteArray m_oldDataHome;
    std::unique_ptr<PersistenceController> store;
};
