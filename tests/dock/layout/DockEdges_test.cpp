// Which edge a bar sits on, from the settings.
#include "dock/layout/DockEdges.h"

#include <gtest/gtest.h>

namespace {

struct EdgeRow {
    const char* name;
    QString screen;
    QString mainPosition;
    bool vertical;
    bool isMain;
    QString position;
};

TEST(DockFrames, EdgeQueries)
{
    const QString mainId = "Optional(A)";
    const QMap<QString, QString> stored
        = { { "Optional(B)", "left" }, { "Optional(C)", "top" }, { mainId, "right" } };
    const EdgeRow rows[] = {
        { "main screen follows the main position", mainId, "left", true, true, "left" },
        { "main screen ignores its stored entry", mainId, "bottom", false, true, "bottom" },
        { "other screen follows its stored entry", "Optional(B)", "bottom", true, false, "left" },
        { "other screen top is horizontal", "Optional(C)", "right", false, false, "top" },
        { "other screen without entry is a bottom bar", "nil", "right", false, false, "bottom" },
    };
    for (const EdgeRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isDockVertical(row.screen, mainId, row.mainPosition, stored), row.vertical);
        EXPECT_EQ(dockPositionForScreen(row.isMain, row.screen, row.mainPosition, stored), row.position);
    }
    EXPECT_TRUE(isDockHorizontal("bottom"));
    EXPECT_TRUE(isDockHorizontal("top"));
    EXPECT_FALSE(isDockHorizontal("left"));
    EXPECT_FALSE(isDockHorizontal("sideways")); // neither horizontal …
    EXPECT_FALSE(isMainDockVertical("sideways")); // … nor vertical
    EXPECT_TRUE(isMainDockVertical("right"));
}

} // namespace
