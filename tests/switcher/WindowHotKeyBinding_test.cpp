#include "tests/switcher/SwitcherFixture.h"

#include "apps/SupportFolder.h"
#include "switcher/WindowHotKeyBinding.h"

using namespace orbitshelf::test;

using WindowHotKeyTest = SwitcherTest;

TEST_F(WindowHotKeyTest, RebindingMovesTheKeyAndLetsGoOfTheOldOne)
{
    // The bar draws its buttons' keys from the bindings: every change is
    // told at once.
    int notices = 0;
    const QMetaObject::Connection counting
        = QObject::connect(&AppState::shared(), &AppState::changed, [&notices] { ++notices; });
    EXPECT_EQ(bindWindowHotKey(4242u, QStringLiteral("a")), QStringLiteral("a"));
    EXPECT_GE(notices, 1);
    EXPECT_EQ(AppState::shared().windowHotkeyCache(), (StringMap { { "a", "4242" } }));
    EXPECT_EQ(registered(), QStringList { "0/0x800" });

    EXPECT_EQ(bindWindowHotKey(4242u, QStringLiteral("b")), QStringLiteral("b"));
    EXPECT_EQ(AppState::shared().windowHotkeyCache(), (StringMap { { "b", "4242" } }));
    EXPECT_EQ(registered(), QStringList { "11/0x800" }) << "Alt+A is no one's any more";

    EXPECT_EQ(bindWindowHotKey(77u, QStringLiteral("b")), QStringLiteral("b"));
    EXPECT_EQ(AppState::shared().windowHotkeyCache(), (StringMap { { "b", "77" } }));
    EXPECT_EQ(boundHotKeyOfWindow(4242), QString());
    EXPECT_EQ(registered(), QStringList { "11/0x800" });

    notices = 0;
    EXPECT_EQ(bindWindowHotKey(77u, QStringLiteral("disable")), QString());
    EXPECT_TRUE(AppState::shared().windowHotkeyCache().isEmpty());
    EXPECT_TRUE(registered().isEmpty());
    EXPECT_GE(notices, 1) << "a key let go is told too";
    QObject::disconnect(counting);
}

TEST_F(WindowHotKeyTest, WindowsWithoutNumbersAndReservedKeysBindNothing)
{
    EXPECT_EQ(bindWindowHotKey(std::nullopt, QStringLiteral("a")), std::nullopt);
    EXPECT_EQ(bindWindowHotKey(5u, QStringLiteral("h")), QString());
    EXPECT_EQ(bindWindowHotKey(5u, QStringLiteral("p")), QString());
    EXPECT_TRUE(AppState::shared().windowHotkeyCache().isEmpty());
    EXPECT_TRUE(registered().isEmpty());
}

TEST_F(WindowHotKeyTest, StoredBindingsOfReservedKeysAreNotRegistered)
{
    const QString one = QString::number(fake.addWindow(100, QStringLiteral("one")));
    const QString two = QString::number(fake.addWindow(100, QStringLiteral("two")));
    AppState::shared().setWindowHotkeyCache({ { "h", one }, { "a", two } });
    startHotKeys(HotKeyModifier::Option);
    EXPECT_TRUE(registered().contains(QStringLiteral("0/0x800")));
    EXPECT_FALSE(registered().contains(QStringLiteral("4/0x800")));
}

TEST(WindowHotKeyChoices, DigitsAndLettersButHAndPThenDisable)
{
    const QStringList choices = hotKeyChoices();
    EXPECT_EQ(choices.size(), 35);
    EXPECT_EQ(choices.first(), QStringLiteral("1"));
    EXPECT_EQ(choices.last(), QStringLiteral("disable"));
    EXPECT_FALSE(choices.contains(QStringLiteral("h")));
    EXPECT_FALSE(choices.contains(QStringLiteral("p")));
    EXPECT_EQ(hotKeyChoiceLabel(QStringLiteral("a")), QStringLiteral("Alt + A"));
    EXPECT_EQ(hotKeyChoiceLabel(QStringLiteral("disable")), QStringLiteral("Disable"));
}
