#include "switcher/FloatDock.h"

#include "apps/Activation.h"
#include "apps/ActiveApp.h"
#include "apps/AppsSource.h"
#include "apps/RunningApps.h"
#include "apps/WindowClickTracking.h"
#include "apps/Windows.h"
#include "dock/layout/BarEntries.h"
#include "network/ServiceRequests.h"
#include "platform/KeyCodes.h"
#include "platform/Platform.h"
#include "platform/WindowServer.h"
#include "state/AppState.h"
#include "state/EventManager.h"
#include "switcher/SwitcherEvents.h"
#include "switcher/SwitcherPopup.h"
#include "switcher/SwitcherThumbnails.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QLoggingCategory>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <functional>

CellSize switcherCellSize(bool disablePreview, bool capturePermitted, qint32 totalAppCount)
{
    if (disablePreview || !capturePermitted)
        return { 100, 60 };
    if (totalAppCount >= 50)
        return { 120, 60 };
    if (totalAppCount >= 40)
        return { 140, 80 };
    if (totalAppCount >= 30)
        return { 160, 100 };
    return { 180, 130 };
}

int switcherRowLength(double screenWidth, double cellWidth)
{
    return std::max(1, int(screenWidth / (cellWidth + 10.0)));
}

int switcherFitRowLength(int count, double width, double gridHeight, const CellSize& cell)
{
    const int natural = switcherRowLength(width, cell.width);
    const double pitchWidth = cell.width + 10.0, pitchHeight = cell.height + 30.0;
    const auto rowsFor = [count](int perRow) { return (count + perRow - 1) / perRow; };
    if (count <= natural || gridHeight <= 0 || rowsFor(natural) * pitchHeight <= gridHeight)
        return natural;
    const auto scaleFor = [&](int perRow) {
        return std::min({ 1.0, width / (perRow * pitchWidth), gridHeight / (rowsFor(perRow) * pitchHeight) });
    };
    int best = natural;
    for (int perRow = natural + 1; perRow <= count; ++perRow)
        if (scaleFor(perRow) > scaleFor(best))
            best = perRow;
    return best;
}

double switcherPanelHeight(double cellHeight, int rows, double visibleHeight)
{
    return std::min((cellHeight + 30.0) * rows + 150.0, visibleHeight * 0.9);
}

QString switcherShortTitle(const QString& title, qint32 totalAppCount)
{
    const int limit = totalAppCount < 30 ? 15 : 10;
    // Counted in what a reader sees as one character, so an accent or an
    // emoji is never cut in half.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, title);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count == limit) {
            const int end = finder.position();
            return end < title.size() ? title.left(end) + QChar(0x2026) : title;
        }
    }
    return title;
}

bool sameSwitcherWindow(const Windows* a, const Windows* b)
{
    const auto numberOf = [](const Windows* w) { return w ? w->num : std::nullopt; };
    return numberOf(a) == numberOf(b);
}

Q_LOGGING_CATEGORY(lcGrid, "orbitshelf.switcher.grid")

namespace {

// The `fromEnd`-th newest window among the recorded activations (1: the
// newest), each window once and windows closed since passed over; none with
// fewer than two records, as the switcher needs a pair.
std::shared_ptr<Windows> recordedWindow(std::size_t fromEnd)
{
    const auto& order = windowClickOrder();
    if (order.size() < 2)
        return nullptr;
    std::vector<int32_t> seen;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (std::find(seen.begin(), seen.end(), it->windowNum) != seen.end())
            continue;
        auto window = findWindowByNumber(it->windowNum);
        if (!window)
            continue;
        seen.push_back(it->windowNum);
        if (seen.size() == fromEnd)
            return window;
    }
    return nullptr;
}

// The window the window manager has in front is one of our own (the
// settings window, a tool): it is no cell of the grid.
bool ownWindowInFront()
{
    // Qt knows whether one of our windows has the focus without asking the
    // server: the press is not made to wait when none has.
    if (!QGuiApplication::focusWindow() || !platform::hasCurrent())
        return false;
    platform::WindowServer& server = platform::current().windowServer();
    const std::optional<quint32> active = server.activeWindow();
    if (!active || !*active || findWindowByNumber(int32_t(*active)))
        return false;
    const std::optional<platform::ServerWindow> window = server.window(*active);
    return window && window->pid == qint32(QCoreApplication::applicationPid());
}

// Whether the desktop still has the window `number` (the model may not have
// heard of its closing yet).
bool windowStillThere(quint32 number)
{
    return !platform::hasCurrent() || platform::current().windowServer().window(number).has_value();
}

} // namespace

FloatDock::FloatDock(QObject* parent)
    : QObject(parent)
{
    // A window closed while the switcher is up leaves the grid at once.
    connect(&AppState::shared(), &AppState::changed, this, [this] {
        if (switcherPopupShown)
            dropClosedWindows();
    });
}

CellSize FloatDock::cellSize() const
{
    const AppState& state = AppState::shared();
    return switcherCellSize(state.settings.disablePreview(), capturePermitted(), state.totalAppCount);
}

void FloatDock::setUp(const QRect& visibleFrame)
{
    images = QMap<quint32, QImage> {};
    // The focused window is not asked of every application here: the model
    // follows the window manager's focus as it changes, and a question per
    // application would make a press wait on the X server once per program.
    screenWidth = visibleFrame.width() * 0.9;
    m_gridHeight = visibleFrame.height() * 0.9 - 150.0;
    loadWindows();
    width = visibleFrame.width() * 0.9;
    height = switcherPanelHeight(cellSize().height, int(multiWindows.size()), visibleFrame.height());
    // With one of our own windows in front, the most recent application
    // window is not the current one but the first to go to.
    ownWindowWasInFront = ownWindowInFront();
    focusBeforeFirst = ownWindowWasInFront && !multiWindows.empty();
    currentWindow = focusBeforeFirst ? nullptr : recordedWindow(1);
    if (focusBeforeFirst)
        focusRow = focusColumn = 0;
    else
        focusCurrentWindow();

    EventManager& bus = EventManager::shared();
    for (const QString& name :
        { switcherevent::keyDown, switcherevent::option, switcherevent::init, switcherevent::destroy })
        bus.events.insert(name, {});
    bus.subscribe(switcherevent::keyDown,
        [this](const Event& event) { handleKeyDown(QString::number(event.data.toLongLong())); });
    bus.subscribe(switcherevent::option, [this](const Event&) { commitSelection(); });
    bus.subscribe(switcherevent::init, [this](const Event&) { setUp(switcherVisibleFrame()); });
    bus.subscribe(switcherevent::destroy, [this](const Event&) { tearDown(); });
    if (lcGrid().isDebugEnabled()) {
        QStringList cells;
        for (const auto& row : multiWindows)
            for (const auto& w : row)
                cells << QStringLiteral("%1 %2")
                             .arg(w->num.value_or(0))
                             .arg(w->clickTime.toString(Qt::ISODateWithMs));
        qCDebug(lcGrid).noquote() << "grid" << cells.join(QStringLiteral(", ")) << "selected"
                                  << (currentWindow ? currentWindow->num.value_or(0) : 0) << "activations"
                                  << windowClickOrder().size();
    }
    trackFeature(QStringLiteral("FloatDockView"));
    emit changed();
}

void FloatDock::loadWindows()
{
    multiWindows.clear();
    std::vector<std::shared_ptr<Windows>> windows;
    for (const auto& app : AppState::shared().allApps) {
        if (app && app->windows)
            windows.insert(windows.end(), app->windows->begin(), app->windows->end());
    }
    if (!images)
        images = QMap<quint32, QImage> {};
    const CellSize cell = cellSize();
    // Thumbnails come from the kept pictures only: capturing a window takes
    // milliseconds, and a press must only lay out and paint. Windows not
    // captured yet show their icon until the next cycle.
    if (previewsShown()) {
        const QSize side(int(cell.width), int(cell.height));
        for (const auto& window : windows) {
            const quint32 key = window->num.value_or(0);
            const QImage kept = switcherThumbnails().value(key);
            if (kept.isNull())
                images->remove(key);
            else
                images->insert(key, kept.size() == side ? kept : kept.scaled(side));
        }
    }
    // By the recorded activations first, newest first: they also see
    // windows focused outside the bar, whose click times stay as the first
    // refresh set them. Windows never activated follow, by click time.
    QHash<quint32, std::size_t> recency;
    const auto& order = windowClickOrder();
    for (std::size_t i = 0; i < order.size(); ++i)
        recency.insert(quint32(order[i].windowNum), i + 1);
    std::stable_sort(windows.begin(), windows.end(), [&recency](const auto& a, const auto& b) {
        const std::size_t ra = recency.value(a->num.value_or(0)), rb = recency.value(b->num.value_or(0));
        if (ra != rb)
            return ra > rb;
        return a->clickTime > b->clickTime;
    });
    if (windows.empty())
        return;
    multiWindows
        = chunked(windows, switcherFitRowLength(int(windows.size()), screenWidth, m_gridHeight, cell));
}

void FloatDock::focusCurrentWindow()
{
    if (!currentWindow) {
        if (!multiWindows.empty() && !multiWindows.front().empty())
            currentWindow = multiWindows.front().front();
        return;
    }
    for (std::size_t row = 0; row < multiWindows.size(); ++row) {
        for (std::size_t column = 0; column < multiWindows[row].size(); ++column) {
            if (sameSwitcherWindow(multiWindows[row][column].get(), currentWindow.get())) {
                focusRow = int(row);
                focusColumn = int(column);
            }
        }
    }
}

void FloatDock::clampFocus()
{
    if (multiWindows.empty())
        return;
    const int last = int(multiWindows.size()) - 1;
    focusRow = std::clamp(focusRow, 0, last);
    focusColumn = std::clamp(focusColumn, 0, std::max(0, int(multiWindows[focusRow].size()) - 1));
}

void FloatDock::selectFocusedCell()
{
    if (multiWindows.empty())
        return;
    clampFocus();
    const auto& row = multiWindows[focusRow];
    if (!row.empty())
        currentWindow = row[focusColumn];
    emit changed();
}

void FloatDock::handleKeyDown(const QString& keyText)
{
    // Without cells there is nothing to move to; Escape still commits.
    if (keyText == QLatin1String("53")) {
        currentWindow = nullptr;
        commitSelection();
        selectFocusedCell();
        return;
    }
    if (multiWindows.empty())
        return;
    if (std::exchange(focusBeforeFirst, false)) {
        // From before the first cell: forwards to it, backwards to the last.
        if (keyText == QLatin1String("50") || keyText == QLatin1String("123")) {
            focusRow = int(multiWindows.size()) - 1;
            focusColumn = int(multiWindows.back().size()) - 1;
        } else if (keyText == QLatin1String("48") || keyText == QLatin1String("124")
            || keyText == QLatin1String("125") || keyText == QLatin1String("126")) {
            focusRow = focusColumn = 0;
        } else {
            focusBeforeFirst = true;
            return;
        }
        selectFocusedCell();
        return;
    }
    clampFocus();
    const int last = int(multiWindows.size()) - 1;
    const auto rowLength = [this] { return int(multiWindows[focusRow].size()); };
    if (keyText == QLatin1String("125")) {
        focusColumn = 0;
        if (++focusRow > last)
            focusRow = 0;
    } else if (keyText == QLatin1String("126")) {
        focusColumn = 0;
        if (--focusRow < 0)
            focusRow = last;
    } else if (keyText == QLatin1String("123")) {
        if (--focusColumn < 0)
            focusColumn = rowLength() - 1;
    } else if (keyText == QLatin1String("124")) {
        if (++focusColumn >= rowLength())
            focusColumn = 0;
    } else if (keyText == QLatin1String("48")) {
        if (++focusColumn >= rowLength()) {
            focusColumn = 0;
            if (++focusRow > last)
                focusRow = 0;
        }
    } else if (keyText == QLatin1String("50")) {
        focusPrevious();
        return;
    }
    selectFocusedCell();
}

void FloatDock::focusPrevious()
{
    if (multiWindows.empty())
        return;
    clampFocus();
    if (--focusColumn < 0) {
        if (--focusRow >= 0)
            focusColumn = int(multiWindows[focusRow].size()) - 1;
        else {
            focusRow = int(multiWindows.size()) - 1;
            focusColumn = int(multiWindows.back().size()) - 1;
        }
    }
    selectFocusedCell();
}

void FloatDock::commitSelection()
{
    if (!floatPanel())
        return;
    // A selected window that closed a moment ago, before the model heard of
    // it, hands the selection on as a closed one does.
    if (currentWindow && currentWindow->num && !windowStillThere(*currentWindow->num))
        dropWindows([gone = *currentWindow->num](const Windows& w) { return w.num == gone; });
    const auto latest = recordedWindow(1);
    if (!ownWindowWasInFront && sameSwitcherWindow(currentWindow.get(), latest.get())) {
        // Released on the window already in front: offer the one before it,
        // which the next modifier change brings forward. With none to offer
        // the cycle ends, or the switcher would stay up holding the keyboard.
        currentWindow = recordedWindow(2);
        if (!currentWindow && switcherPopupShown)
            closeSwitcherPopup();
        emit changed();
        return;
    }
    if (!currentWindow)
        return;
    const auto chosen = currentWindow;
    // Never minimise here: a window the switcher picked is wanted in front,
    // and the switcher must not stay up holding the keyboard.
    activateWindow(*chosen, QStringLiteral("FloatDock"), false);
    currentWindow = nullptr;
    if (switcherPopupShown)
        closeSwitcherPopup();
    emit changed();
}

void FloatDock::selectWindow(const std::shared_ptr<Windows>& window)
{
    currentWindow = window;
    focusBeforeFirst = false;
    emit changed();
}

void FloatDock::dropClosedWindows()
{
    dropWindows([](const Windows& w) { return !w.num || !findWindowByNumber(int32_t(*w.num)); });
}

void FloatDock::dropWindows(const std::function<bool(const Windows&)>& closed)
{
    if (multiWindows.empty())
        return;
    std::vector<std::shared_ptr<Windows>> kept;
    std::optional<std::size_t> selectedAt; // in `kept`: the cell that takes the selection
    bool selectionClosed = false, anyClosed = false;
    for (const auto& row : multiWindows) {
        for (const auto& window : row) {
            const bool selected = currentWindow && sameSwitcherWindow(window.get(), currentWindow.get());
            if (closed(*window)) {
                anyClosed = true;
                if (selected) {
                    selectionClosed = true;
                    selectedAt = kept.size();
                }
                continue;
            }
            kept.push_back(window);
        }
    }
    if (!anyClosed)
        return;
    const std::size_t rowLength = std::max<std::size_t>(1, multiWindows.front().size());
    multiWindows = kept.empty() ? WindowGrid {} : chunked(kept, int(rowLength));
    if (selectionClosed) {
        currentWindow = kept.empty() ? nullptr : kept[std::min(*selectedAt, kept.size() - 1)];
        qCInfo(lcGrid) << "the selected window closed; the selection moves on to"
                       << (currentWindow ? currentWindow->num.value_or(0) : 0);
    }
    if (currentWindow)
        focusCurrentWindow();
    clampFocus();
    emit changed();
}

bool FloatDock::previewsShown()
{
    return !AppState::shared().settings.disablePreview() && capturePermitted();
}

void FloatDock::tearDown()
{
    multiWindows.clear();
    images.reset();
    focusBeforeFirst = false;
    // The windows were just looked at and one came forward: their pictures
    // are taken again for the next cycle, after this one has ended.
    prepareSwitcherThumbnails(false);
    EventManager& bus = EventManager::shared();
    bus.events.insert(switcherevent::destroy, {});
    bus.events.insert(switcherevent::option, {});
    emit changed();
}

void FloatDock::reset()
{
    multiWindows.clear();
    images.reset();
    focusBeforeFirst = false;
    emit changed();
}

FloatDock& floatDock()
{
    static auto* dock = new FloatDock;
    return *dock;
}
