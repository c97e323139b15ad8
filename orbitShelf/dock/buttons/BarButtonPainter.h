#pragma once

#include <QRectF>

class AppState;
class QPainter;
struct AppButtonLook;
struct BarEntry;
struct DockBarItem;
struct StackButtonLook;

// Draws the bar's buttons from their looks (dock/ButtonLooks); nothing here
// decides where or how something stands. An app button's icon casts its
// shadow only inside `shadowBounds` when that is given (the panel), however
// far the button is magnified.
void paintAppButton(QPainter& painter, const AppButtonLook& look, const QRectF& shadowBounds = QRectF());
void paintStackButton(QPainter& painter, const StackButtonLook& look);

// An item with no picture of its own yet (the main button, the break tile's
// place on a hidden tile): the entry's icon, else a plain rounded square in
// the colour of its kind.
void paintPlaceholderButton(
    QPainter& painter, const BarEntry& entry, const DockBarItem& item, const AppState& state);

// The count badge of a window button, over whatever drew the button (the
// hot-key badge is dock/buttons/HotKeyBadge's).
void paintWindowButtonOverlays(QPainter& painter, const BarEntry& entry, const DockBarItem& item);

// Where the two above draw.
QRectF placeholderButtonReach(const BarEntry& entry, const DockBarItem& item, const AppState& state);
QRectF windowButtonOverlaysReach(const BarEntry& entry, const DockBarItem& item);
