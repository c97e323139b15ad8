#include "platform/IconLookup.h"
#include "platform/x11/WindowIcons.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

using namespace platform;

namespace {
const QString kIconData = QStringLiteral(ORBITSHELF_TEST_DATA "/platform");
}

TEST(IconLookup, FindsTheFileOfAnIconName)
{
    const struct {
        const char* meaning;
        const char* icon;
        const char* expected; // relative to the fixture dir; "" for nothing
    } rows[] = {
        { "the largest size wins", "orbit-sized", "icons/hicolor/256x256/apps/orbit-sized.png" },
        { "scalable before bitmaps", "orbit-vector", "icons/hicolor/scalable/apps/orbit-vector.svg" },
        { "an extension in the name is ignored", "orbit-sized.png",
            "icons/hicolor/256x256/apps/orbit-sized.png" },
        { "pixmaps as the last resort", "orbit-legacy", "pixmaps/orbit-legacy.png" },
        { "an absolute path that exists", "$DATA/pixmaps/orbit-legacy.png", "pixmaps/orbit-legacy.png" },
        { "an absolute path that does not", "$DATA/pixmaps/none.png", "" },
        { "path-like names are refused", "../pixmaps/orbit-legacy", "" },
        { "an unknown name", "orbit-nothing", "" },
        { "no name", "", "" },
    };
    for (const auto& row : rows) {
        const QString icon = QString::fromUtf8(row.icon).replace("$DATA", kIconData);
        const auto path = iconFilePath(icon, { "/nonexistent/share", kIconData }, { "NoSuchTheme" });
        const QString expected = *row.expected ? kIconData + "/" + row.expected : QString();
        EXPECT_EQ(path.value_or(QString()).toStdString(), expected.toStdString()) << row.meaning;
    }
}

// Most icons of the icon themes are SVG files; without Qt's SVG image plugin
// every one of them is silently a blank button.
TEST(IconLookup, SvgThemeIconsLoad)
{
    const QString svg = kIconData + QStringLiteral("/icons/hicolor/scalable/apps/orbit-vector.svg");
    ASSERT_TRUE(QFileInfo::exists(svg));
    EXPECT_TRUE(QImageReader::supportedImageFormats().contains("svg"))
        << "Qt's SVG image plugin (imageformats/libqsvg.so, Debian package libqt6svg6, see scripts/deps) "
           "is missing: SVG icons of the icon theme do not load";
    EXPECT_FALSE(QImage(svg).isNull()) << "the SVG fixture did not load";
}

TEST(WindowIcons, NetWmIconValuesDecodeEverySizeAndStopAtDamage)
{
    const auto value = [](std::initializer_list<std::pair<quint32, quint32>> sizes, quint32 pixel) {
        std::vector<quint32> data;
        for (auto [w, h] : sizes) {
            data.push_back(w);
            data.push_back(h);
            data.insert(data.end(), size_t(w) * h, pixel);
        }
        return data;
    };
    std::vector<quint32> truncated = value({ { 16, 16 }, { 32, 32 } }, 0xFF20C040u);
    truncated.resize(truncated.size() - 1);
    const struct {
        const char* meaning;
        std::vector<quint32> data;
        std::vector<int> sides;
    } rows[] = {
        { "two sizes", value({ { 16, 16 }, { 48, 48 } }, 0xFF20C040u), { 16, 48 } },
        { "the last picture cut short is left out", truncated, { 16 } },
        { "a zero size ends the list", value({ { 16, 16 }, { 0, 4 } }, 0xFF20C040u), { 16 } },
        { "an absurd size ends the list", { 100000, 100000, 1, 2, 3 }, {} },
        { "a lone width", { 16 }, {} },
        { "nothing", {}, {} },
    };
    for (const auto& row : rows) {
        const std::vector<QImage> icons = platform::x11::decodeNetWmIcon(row.data);
        std::vector<int> sides;
        for (const QImage& icon : icons)
            sides.push_back(icon.width());
        EXPECT_EQ(sides, row.sides) << row.meaning;
    }
    const std::vector<QImage> green = platform::x11::decodeNetWmIcon(value({ { 2, 2 } }, 0xFF20C040u));
    ASSERT_EQ(green.size(), 1u);
    EXPECT_EQ(green.front().pixelColor(1, 1), QColor(0x20, 0xC0, 0x40));
}
