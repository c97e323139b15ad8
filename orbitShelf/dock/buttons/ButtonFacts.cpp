#include "dock/buttons/ButtonFacts.h"

#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/RunningApps.h"
#include "apps/Windows.h"
#include "dock/DockViewState.h"
#include "dock/buttons/BarButtonPainter.h"
#include "dock/buttons/ButtonLooks.h"
#include "dock/drawing/DockIcons.h"
#include "dock/layout/DockEdges.h"
#include "dock/layout/DockLayout.h"
#include "dock/layout/DockLayoutPass.h"
#include "dock/layout/MapEntry.h"
#include "widgets/PaintFingerprint.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <type_traits>

namespace {

// A side bar has no room for tag chips.
bool windowTagsAllowed(const AppState& state, const QString& screenID)
{
    return !isDockVertical(state, screenID);
}

// The rule inputs of `window`'s button on the bar of `screenID`.
AppButtonInput appButtonInput(const AppState& state, const Windows& window, const Windows* hovered,
    const QString& screenID, int windowCount, double buttonScale, bool enableWindowTag, bool isPinned)
{
    AppButtonInput in;
    const auto app = state.allApps.value(window.appId.value_or(0));
    in.windowNumber = window.num;
    in.hoveredWindowNumber = hovered ? hovered->num : std::nullopt;
    in.order = window.order;
    in.hasTitle = window.title.has_value();
    in.windowCount = windowCount;
    in.buttonScale = buttonScale;
    in.enableWindowTag = enableWindowTag;
    in.isPinned = isPinned;
    in.appRunning = app != nullptr;
    in.appWindowCount = app && app->windows ? int(app->windows->size()) : 0;
    in.listMode = mapEntry(state.spaceListmode, screenID);
    in.screenWindowTagWidth = mapEntry(state.spaceWindowTagWidth, screenID);
    in.iconSize = state.appIcon.height();
    in.theme = buttonThemeFromText(state.settings.buttonTheme());
    in.dockVertical = isDockVertical(state, screenID);
    return in;
}

// What the state says about `window`'s button; `hovered` is the window under
// the pointer (null: none).
AppButtonFacts appButtonFacts(const AppState& state, Windows& window, const Windows* hovered,
    const QString& screenID, int windowCount, double buttonScale, bool enableWindowTag, bool isPinned)
{
    AppButtonFacts facts;
    facts.input = appButtonInput(
        state, window, hovered, screenID, windowCount, buttonScale, enableWindowTag, isPinned);
    const uint32_t number = window.num.value_or(0);
    facts.icon = appButtonIcon(state, window, isPinned);
    facts.focused = state.focusedWindow.value(number, false);
    facts.previous = state.previousAppWindow == number;
    facts.openIndicatorColour = state.settings.openIndicatorColor();
    facts.previousIndicatorColour = state.settings.previousIndicatorColor();
    facts.dockColour = state.settings.dockColor();
    facts.dockTitleColour = state.settings.dockTitleColor();
    facts.title = window.title.value_or(QString());
    facts.font = QApplication::font();
    // Reading a tag keeps it on the window, so only a button that shows one
    // reads it.
    if (showsWindowTagChip(facts.input) || overlayLabel(facts.input) == OverlayLabel::DisplayTagOnTagColor) {
        ModelSettings& tags = appStateModelSettings();
        facts.tag = window.displayTag(tags).value_or(QString());
        facts.tagColour = window.tagColorName(tags);
    }
    return facts;
}

} // namespace

bool showsStackedButton(int windowCount, int stackAppLimit)
{
    return windowCount >= stackAppLimit;
}

QList<int32_t> barAppPids(const AppState& state)
{
    const std::vector<qint32> pids = dockLayoutInput(state).appIds;
    return QList<int32_t>(pids.begin(), pids.end());
}

std::optional<int32_t> itemProcessId(const DockBarItem& item, const QList<int32_t>& pids)
{
    if (item.kind != DockBarItem::Kind::App && item.kind != DockBarItem::Kind::Window)
        return std::nullopt;
    if (item.appIndex < 0 || item.appIndex >= pids.size())
        return std::nullopt;
    return pids[item.appIndex];
}

namespace {

// What one item of the bar draws, handed to `sink` as the look it paints.
template <typename Sink>
void visitDockBarItem(Sink& sink, const AppState& state, const DockViewState& view, const DockBarItem& item,
    const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget)
{
    const QString& screen = view.screenID;
    const bool tags = windowTagsAllowed(state, screen);
    const double scale = state.spaceButtonScale.value(screen, 0);

    if (item.kind == DockBarItem::Kind::PinnedApp) {
        const auto pinned = state.pinnedAnNotRunning.value(pinnedIndex);
        Windows window;
        window.num = 0;
        window.appBundleName = pinned && pinned->appBundleName ? pinned->appBundleName : QString();
        window.appIconUrl = pinned ? pinned->appIconUrl : std::nullopt;
        const AppButtonFacts facts
            = appButtonFacts(state, window, view.hoveredWindow.get(), screen, 1, 0, tags, true);
        sink.app(appButtonLook(facts, item.rect, item.iconRect));
        return;
    }
    const std::optional<int32_t> pid = itemProcessId(item, pids);
    if (!pid)
        return;
    const auto app = state.allApps.value(*pid);
    if (!app)
        return;
    const int count = app->windows ? int(app->windows->size()) : 0;
    if (item.kind == DockBarItem::Kind::App && showsStackedButton(count, state.settings.stackAppLimit())) {
        sink.stack(stackButtonLook(runningAppIcon(state, *pid), item.iconRect));
        return;
    }
    const auto windows = app->sortAppWindows(state.settings.replaceFinder());
    const int index = item.kind == DockBarItem::Kind::Window ? item.windowIndex : 0;
    if (index < 0 || index >= int(windows.size())) {
        // An application without a usable window still shows its icon.
        sink.filling(runningAppIcon(state, *pid), item.iconRect);
        return;
    }
    AppButtonFacts facts = appButtonFacts(
        state, *windows[size_t(index)], view.hoveredWindow.get(), screen, count, scale, tags, false);
    facts.dropTarget = dropTarget == pid && index == 0;
    sink.app(appButtonLook(facts, item.rect, item.iconRect));
}

void write(PaintFingerprint& out, const ButtonLabel& label)
{
    out << label.rect << label.radius << int(label.corners) << label.fill << label.textRect << label.font
        << label.textColour << label.text;
}

template <typename T> void write(PaintFingerprint& out, const std::optional<T>& value)
{
    out << value.has_value();
    if (value) {
        if constexpr (std::is_same_v<T, ButtonLabel>)
            write(out, *value);
        else
            out << *value;
    }
}

} // namespace

void paintDockBarItem(QPainter& painter, const AppState& state, const DockViewState& view,
    const DockBarItem& item, const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget,
    const QRectF& shadowBounds)
{
    struct Painter {
        QPainter& painter;
        const QRectF& shadowBounds;
        void app(const AppButtonLook& look) { paintAppButton(painter, look, shadowBounds); }
        void stack(const StackButtonLook& look) { paintStackButton(painter, look); }
        void filling(const QIcon& icon, const QRectF& frame)
        {
            paintIconFilling(painter, icon, frame, true, shadowBounds);
        }
    } sink { painter, shadowBounds };
    visitDockBarItem(sink, state, view, item, pids, pinnedIndex, dropTarget);
}

QByteArray dockBarItemLook(const AppState& state, const DockViewState& view, const DockBarItem& item,
    const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget)
{
    PaintFingerprint out;
    struct Writer {
        PaintFingerprint& out;
        void app(const AppButtonLook& look)
        {
            out << 'a' << look.frame << look.scale;
            write(out, look.iconRect);
            // Icons are told apart by their key: streaming one would draw it.
            out << look.icon.cacheKey();
            write(out, look.chip);
            write(out, look.dropHighlight);
            out << look.dropFill << quint32(look.indicators.size());
            for (const ButtonIndicator& i : look.indicators) {
                out << i.bar << i.colour << i.edge << i.glowColour << quint32(i.glow.size());
                for (const QRectF& ring : i.glow)
                    out << ring;
            }
            write(out, look.overlay);
            write(out, look.pinStar);
        }
        void stack(const StackButtonLook& look)
        {
            out << 's' << look.icon.cacheKey() << look.tilePixels;
            for (const QRectF& tile : look.tiles)
                out << tile;
            out << look.outline << look.outlineColour << look.outlineWidth << look.outlineRadius;
        }
        void filling(const QIcon& icon, const QRectF& frame) { out << 'f' << icon.cacheKey() << frame; }
    } sink { out };
    visitDockBarItem(sink, state, view, item, pids, pinnedIndex, dropTarget);
    return out.bytes();
}

QRectF dockBarItemReach(const AppState& state, const DockViewState& view, const DockBarItem& item,
    const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget, qreal ratio)
{
    struct Reach {
        qreal ratio;
        QRectF rect;
        void app(const AppButtonLook& look) { rect = appButtonReach(look, ratio); }
        void stack(const StackButtonLook& look) { rect = stackButtonReach(look); }
        void filling(const QIcon& icon, const QRectF& frame)
        {
            rect = iconFillingReach(icon, frame, true, ratio).adjusted(-1, -1, 1, 1);
        }
    } sink { ratio, {} };
    visitDockBarItem(sink, state, view, item, pids, pinnedIndex, dropTarget);
    return sink.rect;
}

QRectF dockBarItemGrownIcon(const AppState& state, const DockViewState& view, const DockBarItem& item,
    const QList<int32_t>& pids, std::optional<int32_t> dropTarget)
{
    struct Grown {
        QRectF rect;
        void app(const AppButtonLook& look)
        {
            if (look.scale == 1.0 || !look.iconRect)
                return;
            const QPointF c = look.frame.center();
            rect
                = QRectF(c + (look.iconRect->topLeft() - c) * look.scale, look.iconRect->size() * look.scale);
        }
        void stack(const StackButtonLook&) { }
        void filling(const QIcon&, const QRectF&) { }
    } sink;
    visitDockBarItem(sink, state, view, item, pids, 0, dropTarget);
    return sink.rect;
}

QString dockBarItemLabel(
    const AppState& state, const DockViewState& view, const DockBarItem& item, const QList<int32_t>& pids)
{
    struct Label {
        QString text;
        void app(const AppButtonLook& look)
        {
            if (look.chip)
                text = look.chip->text;
            else if (look.overlay)
                text = look.overlay->text;
        }
        void stack(const StackButtonLook&) { }
        void filling(const QIcon&, const QRectF&) { }
    } sink;
    visitDockBarItem(sink, state, view, item, pids, 0, std::nullopt);
    return sink.text;
}
