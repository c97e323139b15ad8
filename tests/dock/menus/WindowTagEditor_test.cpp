// The tag editor's behaviour: prefill, OK, Reset, Cancel and picked colours.
#include "apps/ModelSettings.h"
#include "apps/Windows.h"
#include "dock/menus/WindowTagEditor.h"

#include <gtest/gtest.h>

namespace {

class TagEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<Windows>();
        window->num = 4711;
        window->title = QStringLiteral("notes.txt - editor");
    }
    // The editor as it appears, prefilled.
    WindowTagEditor shown()
    {
        WindowTagEditor editor(window, settings, [this] { ++closes; });
        editor.appear();
        return editor;
    }

    InMemoryModelSettings settings;
    std::shared_ptr<Windows> window;
    int closes = 0;
    const QString key = QStringLiteral("Optional(4711)");
};

TEST_F(TagEditor, PrefillsTheStoredTagElseTheTitle)
{
    EXPECT_EQ(shown().tagName, "notes.txt - editor");
    settings.tagNames.insert(key, QStringLiteral("Work"));
    EXPECT_EQ(shown().tagName, "Work");
    window->title.reset();
    settings.tagNames.clear();
    window->tag.reset();
    EXPECT_EQ(shown().tagName, QString());
}

TEST_F(TagEditor, OkStoresNameAndPickedColour)
{
    WindowTagEditor e = shown();
    e.colourPicked(QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(settings.tagColors.value(key), "123456") << "stored the moment it is picked";
    EXPECT_EQ(settings.publishCount, 1) << "the chips redraw";
    e.tagName = QStringLiteral("Mail");
    e.ok();
    EXPECT_EQ(settings.tagNames.value(key), "Mail");
    EXPECT_EQ(settings.publishCount, 2) << "the chips show the new name at once";
    EXPECT_EQ(closes, 1);

    WindowTagEditor cleared = shown();
    cleared.tagName.clear();
    cleared.ok();
    EXPECT_EQ(settings.tagNames.value(key, "absent"), QString()) << "an empty name is stored";
}

TEST_F(TagEditor, ResetRestoresTitleAndDockColour)
{
    settings.dockColorValue = QStringLiteral("00cec9");
    settings.tagNames.insert(key, QStringLiteral("Old"));
    settings.tagColors.insert(key, QStringLiteral("FF0000"));
    WindowTagEditor e = shown();
    e.reset();
    EXPECT_EQ(settings.tagNames.value(key), "notes.txt - editor");
    EXPECT_EQ(settings.tagColors.value(key), "00cec9");
    EXPECT_EQ(closes, 1);
}

TEST_F(TagEditor, CancelKeepsThePickedColourButNotTheName)
{
    WindowTagEditor e = shown();
    e.colourPicked(QColor(Qt::red));
    e.tagName = QStringLiteral("never stored");
    e.cancel();
    EXPECT_EQ(settings.tagColors.value(key), "FF0000");
    EXPECT_FALSE(settings.tagNames.contains(key));
    EXPECT_EQ(closes, 1);
}

TEST_F(TagEditor, ColoursAreStoredAsSixHexDigits)
{
    struct Case {
        const char* name;
        QColor colour;
        QString text;
    };
    const Case cases[] = {
        { "opaque", QColor(0, 0xce, 0xc9), "00CEC9" },
        { "half transparent: opacity dropped, channels kept", QColor(0xff, 0x80, 0x00, 0x80), "FF8000" },
        { "from another colour model", QColor::fromHsv(0, 255, 255), "FF0000" },
        { "invalid", QColor(), "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(tagColorText(c.colour), c.text) << c.name;
}

} // namespace
