#include "platform/IconLookup.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {
const QString kData = QStringLiteral(ORBITSHELF_TEST_DATA "/platform");
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
        const QString icon = QString::fromUtf8(row.icon).replace("$DATA", kData);
        const auto path = iconFilePath(icon, { "/nonexistent/share", kData }, { "NoSuchTheme" });
        const QString expected = *row.expected ? kData + "/" + row.expected : QString();
        EXPECT_EQ(path.value_or(QString()).toStdString(), expected.toStdString()) << row.meaning;
    }
}
