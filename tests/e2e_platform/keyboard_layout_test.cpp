// The shortcut kit's X11 layout source follows the server's keyboard: a
// new layout from setxkbmap renames the source and the keys.
#include "KeyComboKit/KCKeyCodeTransformer.h"
#include "KeyComboKit/x11/KCX11KeyLayoutSource.h"
#include "tests/support/XvfbSession.h"

#include <gtest/gtest.h>

using orbitshelf::test::runTool;
using orbitshelf::test::waitUntil;

namespace {

// Runs setxkbmap and waits until the source has announced the layout.
bool switchTo(KCX11KeyLayoutSource& source, const QString& layout)
{
    int changes = 0;
    const auto connection = QObject::connect(&source, &KCKeyLayoutSource::layoutChanged, [&] { ++changes; });
    runTool(QStringLiteral("setxkbmap"), { layout });
    const bool switched = waitUntil([&] {
        return changes > 0 && source.currentKeyboardLayout()
            && source.currentKeyboardLayout()->identifier() == layout;
    });
    QObject::disconnect(connection);
    return switched;
}

} // namespace

TEST(X11KeyboardLayouts, SetxkbmapRenamesTheSourceAndItsKeys)
{
    KCX11KeyLayoutSource source;
    ASSERT_TRUE(source.isValid());
    KCSetKeyLayoutSource(&source);
    const auto yKey = [] {
        return KCLiteralKeyCodeTransformer::sharedTransformer().literalForKeyCode(16, 0, 0, Qt::LeftToRight);
    };

    ASSERT_TRUE(switchTo(source, QStringLiteral("de")));
    EXPECT_EQ(yKey(), "Z");
    EXPECT_EQ(source.currentASCIICapableKeyboardLayout()->identifier(), "de");

    ASSERT_TRUE(switchTo(source, QStringLiteral("us")));
    EXPECT_EQ(yKey(), "Y");
    KCSetKeyLayoutSource(nullptr);
}
