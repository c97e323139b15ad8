#pragma once

#include "state/Persistence.h"
#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "tests/support/TempStores.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

// A fresh state over user defaults of its own, made before the state reads
// them.
class StateTest : public ::testing::Test {
protected:
    // Windows made over this state are deleted once Qt is done with them;
    // they go now, before the state they hold does, so that no event
    // reaches them later with the state gone.
    ~StateTest() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    orbitshelf::test::TempUserDefaults defaults;
    AppState state;
};

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

// A running application of `windows` titled windows numbered pid * 10 + i,
// in bar order `order` when one is given.
inline std::shared_ptr<ActiveApp> addRunningApp(
    AppState& state, int32_t pid, int windows, std::optional<int> order = std::nullopt)
{
    auto app = std::make_shared<ActiveApp>();
    app->appId = pid;
    app->windows = std::vector<std::shared_ptr<Windows>>();
    for (int i = 0; i < windows; ++i) {
        auto window = std::make_shared<Windows>();
        window->appId = pid;
        window->num = uint32_t(pid * 10 + i);
        window->title = QStringLiteral("window %1").arg(i);
        app->windows->push_back(window);
    }
    state.allApps.insert(pid, app);
    if (order)
        state.appOrders.insert(pid, *order);
    return app;
}

// A widget and its children as they would paint, on a transparent image, so
// that tests can check pixels without a display.
inline QImage renderWidget(QWidget& view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The largest difference of one colour channel between two pictures of the
// same size: what a picture drawn once and copied may differ by from one
// drawn afresh.
inline int largestChannelDifference(const QImage& a, const QImage& b)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({ most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                std::abs(qBlue(p) - qBlue(q)) });
        }
    return most;
}
