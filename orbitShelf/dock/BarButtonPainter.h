#pragma once

#include <memory>

class AppState;
class QPainter;
struct BarEntry;
struct DockBarItem;

// Draws one item of the bar. The bar rows decide what stands where; the app
// button (and stacked button, tiles) decide how it looks. A painter of the
// real buttons replaces the placeholder through setBarButtonPainter.
class BarButtonPainter {
public:
    virtual ~BarButtonPainter() = default;
    // `item` holds the item's rectangle and icon rectangle in the bar's
    // coordinates; `hovered` is true while the pointer is on it.
    virtual void paint(QPainter& painter, const BarEntry& entry, const DockBarItem& item,
        const AppState& state, bool hovered) const = 0;
};

// Icons (the application's or window's own, else a plain rounded square),
// a tag area for window buttons with room for one, a 2×2 grid for stacked
// buttons, and the count badge on window buttons.
class PlaceholderButtonPainter final : public BarButtonPainter {
public:
    void paint(QPainter& painter, const BarEntry& entry, const DockBarItem& item, const AppState& state,
        bool hovered) const override;
};

// The count badge of a window button, over whatever drew the button (the
// hot-key badge is the bar background's paintHotKeyBadge).
void paintWindowButtonOverlays(QPainter& painter, const BarEntry& entry, const DockBarItem& item);

// The painter every bar uses; the placeholder until one is set.
const BarButtonPainter& barButtonPainter();
void setBarButtonPainter(std::shared_ptr<const BarButtonPainter> painter);
