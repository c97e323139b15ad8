#include "tools/ToolPages.h"

#include "tools/FastFinderView.h"
#include "tools/NoteView.h"
#include "tools/PasteBoardView.h"
#include "tools/PomodoroView.h"
#include "tools/ToolArtwork.h"

#include <QColor>
#include <QImage>

namespace {

QWidget* folderBrowser(AppState& state)
{
    return makeFastFinderView(state, FastFinderPlacement {});
}

constexpr ToolPages pages[] = {
    { Tool::Pasteboard, [](AppState& state) { return makePasteBoardView(state, 2, 5000); },
        [](AppState& state, const ToolSheetPlace& place) {
            return makePasteBoardView(state, place.columns, place.limit);
        },
        { true, 5, 2, 5000, "Pasteboard", false, toolCardRadius }, nullptr },
    { Tool::FastFinder, folderBrowser,
        [](AppState& state, const ToolSheetPlace& place) -> QWidget* {
            return makeFastFinderView(state, FastFinderPlacement { place.verticalBar, place.visibleWidth });
        },
        { true, 0, 0, 0, QT_TRANSLATE_NOOP("ToolSheets", "FastFinder"), true }, nullptr },
    { Tool::Pomodoro, makePomodoroView,
        [](AppState& state, const ToolSheetPlace&) { return makePomodoroView(state); },
        { false, 0, 0, 0, "Pomodoro", false, toolCardRadius }, nullptr },
    // There is no to-do tool: its hub entry opens the folder browser.
    { Tool::Todo, folderBrowser, nullptr, {}, todoImage },
    { Tool::Note, makeNoteView, [](AppState& state, const ToolSheetPlace&) { return makeNoteView(state); },
        { false, 0, 0, 0, "Note", false, 0 }, nullptr },
};

constexpr bool onePerRowInOrder()
{
    if (std::size(pages) != toolCount)
        return false;
    for (std::size_t i = 0; i < toolCount; ++i)
        if (pages[i].tool != toolTable[i].tool || (pages[i].sheetPage != nullptr) != toolTable[i].sheet)
            return false;
    return true;
}
static_assert(onePerRowInOrder(), "every row of the tool table has its pages, a sheet page just where it has a sheet");

} // namespace

const ToolPages& toolPages(Tool tool)
{
    return pages[std::size_t(tool)];
}
