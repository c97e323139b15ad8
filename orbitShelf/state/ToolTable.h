#pragma once

// The built-in tools, once: what each is called in the store, the hub, the
// bar and on screen, and its popup flag. Everything that lists the tools
// reads this table: the tool hub's sidebar (tools/SettingView), the
// "Plugins" page (settings/PluginList), the bar's tiles and sheets
// (dock/tiles) and the table of shown texts (state/ShownTexts). Their pages
// are bound to the rows one layer up, in tools/ToolPages.
//
// A new tool is a row here (and its value in `Tool`), its page, and its
// entry in tools/ToolPages.cpp.

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>

// The tools, in the "Plugins" grid's order (the table's).
enum class Tool { Pasteboard, FastFinder, Pomodoro, Todo, Note };

struct ToolRow {
    Tool tool;
    // Its `Plugins` record's name, its key in `pinedPlugins`, the name its
    // tile goes by on the bar and the text of its cell on the "Plugins" page
    // (exact, case-sensitive everywhere).
    const char* name;
    // Its entry's tag in the tool hub, the value `persistSelection` keeps.
    // The sidebar lists the entries in ascending tag order; 1 is the
    // favourites', 2 to 4 are nobody's.
    int hubTag;
    // Its entry's title in the hub, before translation (context "SettingView").
    const char* hubTitle;
    // Icon-theme names, the first the theme has wins: for the hub's sidebar,
    // where they are drawn white, and for the bar's tile and the "Plugins"
    // page, where a symbolic one is drawn white. None: the tool's own
    // drawing (tools/ToolPages) stands instead.
    std::array<const char*, 3> hubIcons;
    std::array<const char*, 3> tileIcons;
    // False: it cannot be installed yet; the "Plugins" page says "waiting".
    bool installable;
    // The name of its popup flag in `AppState::popups`: up while the bar has
    // the tool open.
    const char* popup;
    // Its page opens in a sheet beside its tile while the flag is up, and a
    // click on any window closes it. Without one the tile only raises the
    // flag.
    bool sheet;
    // What this desktop shows for `name` and `hubTitle` where they name
    // another system's program (the shown texts); null: they stand.
    const char* shownName;
};

inline constexpr ToolRow toolTable[] = {
    { Tool::Pasteboard, "Pasteboard", 5, QT_TRANSLATE_NOOP("SettingView", "PasteBoard"),
        { "edit-paste" }, { "edit-paste" }, true, "showPasteboardPopup", true, "Clipboard" },
    { Tool::FastFinder, "FastFinder", 6, QT_TRANSLATE_NOOP("SettingView", "Finder"), { "folder" },
        { "system-file-manager", "folder" }, true, "showFastFinderPopup", true, "Folder Browser" },
    { Tool::Pomodoro, "Pomodoro", 7, QT_TRANSLATE_NOOP("SettingView", "Pomodoro"),
        { "alarm-symbolic", "appointment-soon" }, { "alarm-symbolic", "alarm", "appointment-soon" }, true,
        "showPomodoroPopup", true, nullptr },
    { Tool::Todo, "Todo", 9, QT_TRANSLATE_NOOP("SettingView", "Todo"), {}, {}, false, "showTodoPopup", false,
        nullptr },
    { Tool::Note, "Note", 8, QT_TRANSLATE_NOOP("SettingView", "Note"),
        { "accessories-text-editor", "text-x-generic" }, { "accessories-text-editor", "text-x-generic" }, true,
        "showNotePopup", true, nullptr },
};

inline constexpr std::size_t toolCount = std::size(toolTable);

// A tool's row: rows sit at their tool's place, which the checks below hold.
constexpr const ToolRow& toolRow(Tool tool)
{
    return toolTable[std::size_t(tool)];
}

namespace tooltable_checks {
constexpr bool rowsInToolOrder()
{
    for (std::size_t i = 0; i < toolCount; ++i)
        if (std::size_t(toolTable[i].tool) != i)
            return false;
    return true;
}
// The hub finds an entry by its tag, and the favourites' 1 and the first
// run's 4 must stay nobody's.
constexpr bool hubTagsOwnAndUnique()
{
    for (std::size_t i = 0; i < toolCount; ++i) {
        if (toolTable[i].hubTag <= 4)
            return false;
        for (std::size_t j = i + 1; j < toolCount; ++j)
            if (toolTable[i].hubTag == toolTable[j].hubTag)
                return false;
    }
    return true;
}
} // namespace tooltable_checks
static_assert(tooltable_checks::rowsInToolOrder(), "a row of the tool table is not at its tool's place");
static_assert(tooltable_checks::hubTagsOwnAndUnique(), "two tools share a hub tag, or one takes 1 to 4");

// The row of that record name (exact); null for a name no tool has.
const ToolRow* toolNamed(const QString& name);
// The record name of a tool.
QString toolName(Tool tool);
// A row's icon names, in the order they are tried.
QStringList iconNames(const std::array<const char*, 3>& names);

// The popup flags, one per tool, all down at start: published members of
// AppState (write, then publish()), shared by the bars of every screen.
class ToolPopups final {
public:
    bool& operator[](Tool tool) { return m_up[std::size_t(tool)]; }
    bool operator[](Tool tool) const { return m_up[std::size_t(tool)]; }

private:
    std::array<bool, toolCount> m_up {};
};
