#include "SettingsOpener/PrePostActionsButtonStyle.h"
#include "SettingsOpener/SettingsOpener.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace SettingsOpener;

namespace {

// A window that answers the two invokables the focus chain is searched for.
class SettingsResponder final : public QWidget {
    Q_OBJECT
public:
    Q_INVOKABLE void showSettingsWindow() { calls.append("showSettingsWindow"); }
    Q_INVOKABLE void showPreferencesWindow() { calls.append("showPreferencesWindow"); }
    QStringList calls;
};

class Opener : public ::testing::Test {
protected:
    void SetUp() override
    {
        setSettingsScene([this] { ++scenesOpened; });
    }
    void TearDown() override
    {
        setOpeningWay(OpeningWay::link);
        setSettingsScene(nullptr);
    }
    int scenesOpened = 0;
};

void click(QWidget* widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
        Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

} // namespace

TEST_F(Opener, WithoutAnOpenerNothingHappens)
{
    for (OpeningWay way :
        { OpeningWay::link, OpeningWay::showSettingsWindow, OpeningWay::showPreferencesWindow }) {
        setOpeningWay(way);
        SettingsResponder window;
        auto* button = new QPushButton(&window);
        window.show();
        button->setFocus();
        openSettings(button)();
        QApplication::processEvents();
        EXPECT_TRUE(window.calls.isEmpty());
        EXPECT_EQ(scenesOpened, 0);
    }
}

TEST_F(Opener, TheTwoInvokablesUpTheFocusChain)
{
    const struct {
        OpeningWay way;
        const char* expected;
    } rows[] = {
        { OpeningWay::showSettingsWindow, "showSettingsWindow" },
        { OpeningWay::showPreferencesWindow, "showPreferencesWindow" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        setOpeningWay(row.way);
        SettingsResponder window;
        auto* page = withSettingsOpener(new QWidget(&window));
        auto* button = new QPushButton(page);
        // No hidden link on these ways: the page holds only its own content.
        EXPECT_EQ(settingsLinkOf(page), nullptr);
        window.show();
        QApplication::setActiveWindow(&window);
        button->setFocus();
        openSettings(button)();
        EXPECT_EQ(window.calls, QStringList({ row.expected }));
        EXPECT_EQ(scenesOpened, 0);
    }

    // Nothing up the chain has the invokable: no effect.
    setOpeningWay(OpeningWay::showSettingsWindow);
    QWidget plain;
    auto* button = new QPushButton(withSettingsOpener(&plain));
    plain.show();
    button->setFocus();
    openSettings(button)();
    EXPECT_EQ(scenesOpened, 0);
}

TEST_F(Opener, TheLinkOpensTheSceneOnceItsTriggerIsPublished)
{
    SettingsResponder window;
    auto* layout = new QVBoxLayout(&window);
    auto* content = new QWidget;
    layout->addWidget(content);
    withSettingsOpener(content);
    auto* button = new QPushButton(QStringLiteral("Settings…"), content);

    QPushButton* link = settingsLinkOf(content);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->size(), QSize(0, 0));
    EXPECT_FALSE(link->isVisibleTo(&window));
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(link->graphicsEffect());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->opacity(), 0.0);
    // Behind the content.
    EXPECT_EQ(content->children().indexOf(link) < content->children().indexOf(button), true);

    // Called twice before the trigger is ready: queued, runs once.
    const Action open = openSettings(button);
    open();
    open();
    EXPECT_EQ(scenesOpened, 0);
    QApplication::processEvents();
    EXPECT_EQ(scenesOpened, 1);
    open();
    EXPECT_EQ(scenesOpened, 2);
    // The link way never asks the focus chain.
    EXPECT_TRUE(window.calls.isEmpty());

    // A second opener on the same content is the same one.
    EXPECT_EQ(withSettingsOpener(content), content);
    EXPECT_EQ(settingsLinkOf(content), link);
}

TEST(PrePostActionsButtonStyle, TapsAndThePublishedTrigger)
{
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("Tap"), &window);
    button->resize(80, 30);
    QStringList log;
    QObject::connect(button, &QPushButton::clicked, [&] { log.append("action"); });
    Action published = [&] { log.append("old"); };
    auto* style = new PrePostActionsButtonStyle(
        button, [&] { log.append("pre"); }, [&] { log.append("post"); },
        { [&] { return published; }, [&](Action a) { published = std::move(a); } });
    window.show();

    // Before the event loop turns the binding holds what it held.
    published();
    EXPECT_EQ(log, QStringList({ "old" }));
    // A tap before publication still runs the button's own action.
    log.clear();
    click(button);
    EXPECT_EQ(log, QStringList({ "pre", "action", "post" }));
    EXPECT_FALSE(button->isDown());

    QApplication::processEvents();
    log.clear();
    published();
    EXPECT_EQ(log, QStringList({ "action" }));

    // Published once per button, whatever else happens to it.
    published = [&] { log.append("replaced"); };
    QApplication::processEvents();
    log.clear();
    published();
    EXPECT_EQ(log, QStringList({ "replaced" }));

    // Without pre and post, a tap is the action alone.
    auto* plain = new QPushButton(&window);
    plain->resize(40, 20);
    QObject::connect(plain, &QPushButton::clicked, [&] { log.append("plain"); });
    Action unused;
    prePostActionsButtonStyle(
        plain, nullptr, nullptr, { [&] { return unused; }, [&](Action a) { unused = a; } });
    log.clear();
    click(plain);
    EXPECT_EQ(log, QStringList({ "plain" }));
    EXPECT_TRUE(style->preTapAction());
}

#include "SettingsOpener_test.moc"
