#include "platform/IconLookup.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {
const QString kData = QStringLiteral(ORBITSHELF_TEST_DATA "/platform");
}

struct IconCase {
    const char* name;
    const char* icon;
    const char* expected; // relative to the fixture dir; "" for nothing
};

class IconFile : public ::testing::TestWithParam<IconCase> { };

TEST_P(IconFile, Lookup)
{
    QString icon = QString::fromUtf8(GetParam().icon);
    icon.replace("$DATA", kData);
    const auto path = iconFilePath(icon, { "/nonexistent/share", kData }, { "NoSuchTheme" });
    const QString expected = *GetParam().expected ? kData + "/" + GetParam().expected : QString();
    EXPECT_EQ(path.value_or(QString()).toStdString(), expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(IconLookup, IconFile,
    ::testing::Values(
        IconCase { "LargestSizeWins", "orbit-sized", "icons/hicolor/256x256/apps/orbit-sized.png" },
        IconCase { "ScalableBeforeBitmaps", "orbit-vector", "icons/hicolor/scalable/apps/orbit-vector.svg" },
        IconCase {
            "ExtensionInNameIsIgnored", "orbit-sized.png", "icons/hicolor/256x256/apps/orbit-sized.png" },
        IconCase { "PixmapsAsLastResort", "orbit-legacy", "pixmaps/orbit-legacy.png" },
        IconCase { "AbsolutePathThatExists", "$DATA/pixmaps/orbit-legacy.png", "pixmaps/orbit-legacy.png" },
        IconCase { "AbsolutePathThatDoesNot", "$DATA/pixmaps/none.png", "" },
        IconCase { "PathLikeNamesAreRefused", "../pixmaps/orbit-legacy", "" },
        IconCase { "UnknownName", "orbit-nothing", "" }, IconCase { "EmptyName", "", "" }),
    [](const auto& info) { return std::string(info.param.name); });
