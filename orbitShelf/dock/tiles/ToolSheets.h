#pragma once

#include "dock/tiles/ToolTiles.h"

#include <QObject>
#include <QPointer>

#include <map>

class AppState;
struct ToolSheetPlace;
class DockViewState;
class QWidget;

// The tool sheets of one bar: while a tool's shared flag is up, the bar on
// the mouse's screen shows that tool's panel in a sheet next to its dock
// window; the bars of other screens show none. Closing the sheet lowers the
// flag again, for every bar.
class ToolSheets final : public QObject {
    Q_OBJECT
public:
    ToolSheets(AppState& state, const DockViewState& dock, QWidget* dockWindow);
    ~ToolSheets() override;

    // The sheet shown for `tool`, or null.
    QWidget* sheet(Tool tool) const;

    // Brings the sheets in line with the flags; runs on every publish.
    void sync();

    // Where the mouse test comes from (tests pin it to one screen).
    void setMouseOnThisScreen(std::function<bool()> test) { m_mouseOnThisScreen = std::move(test); }

private:
    QWidget* makeSheet(Tool tool, const ToolSheetContent& content);
    void place(QWidget* sheet, const ToolSheetContent& content) const;
    ToolSheetPlace sheetPlace(const ToolSheetContent& content) const;

    AppState& m_state;
    const DockViewState& m_dock;
    QPointer<QWidget> m_dockWindow;
    std::map<Tool, QPointer<QWidget>> m_sheets;
    std::function<bool()> m_mouseOnThisScreen;
};
