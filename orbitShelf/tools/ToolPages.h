#pragma once

// Each built-in tool's pages, bound to its row of the tool table
// (state/ToolTable): the page the tool hub shows for it, the page and frame of
// its sheet on the bar, and its own drawing where no theme icon stands for
// it. One entry per row, in the table's order.

#include "state/ToolTable.h"

#include <optional>

class AppState;
class QColor;
class QImage;
class QWidget;

// What the bar tells a page it shows in a sheet beside a tile.
struct ToolSheetPlace {
    bool verticalBar = false;
    // The visible width of the bar's screen, where it is known.
    std::optional<double> visibleWidth;
    int columns = 0;
    int limit = 0;
};

// How a tool's page sits in the bar's sheet.
struct ToolSheetLook {
    // As long as the screen along the bar and 500 across; otherwise 600 by
    // 500 (500 by 500 beside a vertical bar).
    bool alongBar = false;
    // Handed to the page: its columns beside a horizontal and a vertical bar,
    // and how many entries it holds.
    int columns = 0;
    int verticalColumns = 0;
    int limit = 0;
    // The sheet window's title, passed through the shown texts (context
    // "ToolSheets") where `titleTranslated`.
    const char* title = nullptr;
    bool titleTranslated = false;
    // The rounding of the page's card, which fills the sheet: the sheet is
    // shaped to it.
    int cornerRadius = 0;
};

// The rounding of the cards the pasteboard and the Pomodoro pages draw.
inline constexpr int toolCardRadius = 10;

struct ToolPages {
    Tool tool;
    // The hub's page for the tool; the hub owns it.
    QWidget* (*hubPage)(AppState& state);
    // The page of its sheet on the bar; null for a tool whose row has none.
    QWidget* (*sheetPage)(AppState& state, const ToolSheetPlace& place);
    ToolSheetLook sheet;
    // Its own picture, drawn light in `color`, for the hub's sidebar, the
    // bar's tile and the "Plugins" page; null: the row's theme icons.
    QImage (*drawing)(int side, const QColor& color);
};

const ToolPages& toolPages(Tool tool);
