#include "dock/windows/DockWindows.h"

#include "dock/DockLog.h"
#include "dock/layout/DockEdges.h"
#include "state/AppState.h"

#include <QTimer>

#include <algorithm>

DockWindows::DockWindows(AppState& state, DockWindowServices services)
    : m_state(state)
    , m_services(std::move(services))
{
}

DockWindows::~DockWindows() = default;

std::optional<QString> DockWindows::storedPosition(const QString& screenID) const
{
    const StringMap positions = m_state.settings.spaceDockPosition();
    const auto it = positions.constFind(screenID);
    if (it == positions.constEnd())
        return std::nullopt;
    return *it;
}

void DockWindows::recordScreenSize(const QString& screenID, const DockFrame& frame)
{
    m_state.spaceScreenWidth.insert(screenID, double(frame.width));
    m_state.spaceScreenHeight.insert(screenID, double(frame.height));
}

void DockWindows::buildDockWindows()
{
    const std::vector<DockScreen> screens = m_services.screens();
    const std::optional<DockScreen> primary = primaryDockScreen(screens);
    if (!primary) {
        qCWarning(lcDock) << "no screen holds the origin; no dock window is made";
        return;
    }
    m_placedScreens = screens;
    m_mainScreenVisibleSize = primary->visibleFrame.size();
    const DockFrame frame = mainDockWindowFrame(m_state.settings.mainDockPosition(), primary->visibleFrame);
    mainDockScreenID() = primary->id;
    if (m_mainDockWindow) {
        m_mainDockWindow->close();
        m_mainDockWindow.reset();
    }
    m_state.spaceScreenWidth.insert(mainDockScreenID(), m_mainScreenVisibleSize.width());
    m_state.spaceScreenHeight.insert(mainDockScreenID(), m_mainScreenVisibleSize.height());

    DockWindowSpec spec;
    spec.kind = DockWindowSpec::Kind::Dock;
    spec.frame = frame;
    spec.screenID = mainDockScreenID();
    spec.enableListener = true;
    spec.width = m_mainScreenVisibleSize.width();
    spec.height = m_mainScreenVisibleSize.height();
    spec.screenFrame = primary->frame;
    spec.visibleFrame = primary->visibleFrame;
    spec.position = m_state.settings.mainDockPosition();
    m_mainDockWindow = m_services.makeWindow(spec);
    m_mainDockFrame = frame;

    // The monitor and the hot keys stay for the whole process: rebuilding
    // the windows must not add a second of either.
    if (!m_modifierMonitorInstalled) {
        m_modifierMonitorInstalled = true;
        if (m_services.installModifierMonitor)
            m_services.installModifierMonitor();
        if (m_services.startHotKeys)
            m_services.startHotKeys();
    }

    if (m_state.settings.supportMultiScreens())
        createDockWindows();
    createMainDockTriggerWindow();
}

void DockWindows::createDockWindows()
{
    if (!m_state.settings.supportMultiScreens())
        return;
    const std::vector<DockScreen> screens = m_services.screens();
    if (screens.size() < 2)
        return;
    for (const DockScreen& screen : screens) {
        if (!needsScreenWindow(m_dockWindowsByScreen, screen))
            continue;
        const DockFrame frame = screenDockWindowFrame(screen.visibleFrame, storedPosition(screen.id));
        recordScreenSize(screen.id, frame);
        const DockWindowSpec spec = screenWindowSpec(DockWindowSpec::Kind::Dock, frame, screen);
        // Filed before the window shows its bar, so that a bar asking for
        // its screen's window finds it.
        auto& slot = m_dockWindowsByScreen[screen.id];
        m_dockSpecsByScreen[screen.id] = spec;
        slot = m_services.makeWindow(spec);
    }
    createDockTriggerWindows();
}

void DockWindows::createDockTriggerWindows()
{
    const std::vector<DockScreen> screens = m_services.screens();
    if (screens.size() < 2)
        return;
    for (const DockScreen& screen : screens) {
        if (!needsScreenWindow(m_dockTriggerWindowsByScreen, screen))
            continue;
        const DockFrame frame = screenDockTriggerFrame(screen.visibleFrame, storedPosition(screen.id));
        m_dockTriggerWindowsByScreen[screen.id]
            = m_services.makeWindow(screenWindowSpec(DockWindowSpec::Kind::Strip, frame, screen));
    }
}

bool DockWindows::needsScreenWindow(WindowMap& windows, const DockScreen& screen)
{
    const auto existing = windows.find(screen.id);
    if (existing != windows.end()) {
        if (existing->second)
            existing->second->orderFront();
        return false;
    }
    // The main screen's bar is the main dock window, made apart.
    if (isMainDockScreenOrigin(screen.frame)) {
        mainDockScreenID() = screen.id;
        return false;
    }
    return true;
}

DockWindowSpec DockWindows::screenWindowSpec(
    DockWindowSpec::Kind kind, const DockFrame& frame, const DockScreen& screen) const
{
    DockWindowSpec spec;
    spec.kind = kind;
    spec.frame = frame;
    spec.screenID = screen.id;
    spec.enableListener = false;
    spec.width = double(frame.width);
    spec.height = double(frame.height);
    spec.screenFrame = screen.frame;
    spec.visibleFrame = screen.visibleFrame;
    spec.position = storedPosition(screen.id).value_or(QStringLiteral("bottom"));
    return spec;
}

void DockWindows::createMainDockTriggerWindow()
{
    const std::optional<DockScreen> primary = primaryDockScreen(m_services.screens());
    if (!primary)
        return;
    DockWindowSpec spec;
    spec.kind = DockWindowSpec::Kind::Strip;
    spec.frame = mainDockTriggerFrame(m_state.settings.mainDockPosition(), primary->visibleFrame);
    spec.screenID = primary->id;
    spec.width = double(spec.frame.width);
    spec.height = double(spec.frame.height);
    spec.screenFrame = primary->frame;
    spec.visibleFrame = primary->visibleFrame;
    spec.position = m_state.settings.mainDockPosition();
    if (m_mainDockTriggerWindow) {
        m_mainDockTriggerWindow->close();
        m_mainDockTriggerWindow.reset();
    }
    m_mainDockTriggerWindow = m_services.makeWindow(spec);
}

void DockWindows::dropStaleDockWindow(
    WindowMap& windows, const QString& screenID, const std::vector<DockScreen>& screens)
{
    for (const DockScreen& screen : screens) {
        if (screen.id == screenID && screen.id != mainDockScreenID())
            return;
    }
    const auto it = windows.find(screenID);
    if (it == windows.end())
        return;
    if (it->second)
        it->second->close();
    windows.erase(it);
    qCDebug(lcDock) << "closed the dock window of a screen that is gone:" << screenID;
}

void DockWindows::dropStaleDockWindows(WindowMap& windows, const std::vector<DockScreen>& screens)
{
    std::vector<QString> keys;
    for (const auto& [key, window] : windows)
        keys.push_back(key);
    for (const QString& key : keys)
        dropStaleDockWindow(windows, key, screens);
}

bool DockWindows::visibleFramesChanged() const
{
    if (!m_mainDockWindow)
        return false;
    const std::vector<DockScreen> screens = m_services.screens();
    if (screens.size() != m_placedScreens.size())
        return true;
    for (const DockScreen& screen : screens) {
        const auto placed = std::find_if(m_placedScreens.begin(), m_placedScreens.end(),
            [&screen](const DockScreen& p) { return p.id == screen.id; });
        if (placed == m_placedScreens.end() || placed->visibleFrame != screen.visibleFrame)
            return true;
    }
    return false;
}

void DockWindows::relayoutDockWindows()
{
    const std::vector<DockScreen> screens = m_services.screens();
    m_placedScreens = screens;
    dropStaleDockWindows(m_dockWindowsByScreen, screens);
    for (const DockScreen& screen : screens) {
        const auto existing = m_dockWindowsByScreen.find(screen.id);
        if (existing == m_dockWindowsByScreen.end()) {
            createDockWindows();
            continue;
        }
        if (isMainDockScreenOrigin(screen.frame)) {
            mainDockScreenID() = screen.id;
            continue;
        }
        const DockFrame frame = screenDockWindowFrame(screen.visibleFrame, storedPosition(screen.id));
        recordScreenSize(screen.id, frame);
        if (!existing->second)
            continue;
        // Its screen moved, changed its mode or its free part, or the
        // primary screen that dock space is measured from changed: what the
        // bar computed from the old screen (the part of its window on the
        // screen, its reserve, its strip's reach, its width) goes with a
        // window made anew, as a fresh start makes it.
        const DockWindowSpec spec = screenWindowSpec(DockWindowSpec::Kind::Dock, frame, screen);
        const auto made = m_dockSpecsByScreen.find(screen.id);
        if (made == m_dockSpecsByScreen.end() || made->second != spec)
            remakeScreenDockWindow(screen, spec);
        else
            existing->second->setFrame(frame);
    }
}

void DockWindows::remakeScreenDockWindow(const DockScreen& screen, const DockWindowSpec& spec)
{
    qCDebug(lcDock) << "the screen of" << screen.id << "changed; its dock window is made anew";
    auto& slot = m_dockWindowsByScreen[screen.id];
    std::unique_ptr<DockHostWindow> leaving = std::move(slot);
    const auto made = m_dockSpecsByScreen.find(screen.id);
    // It keeps its pixels where its successor stands in its place, and
    // shows nothing meanwhile where the successor stands elsewhere.
    leaving->retire(made == m_dockSpecsByScreen.end() || made->second.frame != spec.frame);
    m_dockSpecsByScreen[screen.id] = spec;
    slot = m_services.makeWindow(spec);
    handOver(std::move(leaving), slot.get());
}

void DockWindows::closeMainDockWindows(const QString& screenID)
{
    if (m_mainDockWindow) {
        m_mainDockWindow->close();
        m_mainDockWindow.reset();
    }
    for (const QString& id : { screenID, mainDockScreenID() }) {
        const auto it = m_dockWindowsByScreen.find(id);
        if (it == m_dockWindowsByScreen.end())
            continue;
        if (it->second)
            it->second->close();
        m_dockWindowsByScreen.erase(it);
    }
}

void DockWindows::closeScreenDockWindows()
{
    closeAll(m_dockWindowsByScreen);
    closeAll(m_dockTriggerWindowsByScreen);
}

void DockWindows::closeAll(WindowMap& windows)
{
    for (auto& [id, window] : windows) {
        if (window)
            window->close();
    }
    windows.clear();
}

void DockWindows::restartDockWindows()
{
    const std::optional<DockScreen> primary = primaryDockScreen(m_services.screens());
    if (!primary) {
        qCWarning(lcDock) << "no screen holds the origin; the dock windows are not rebuilt";
        return;
    }
    if (m_state.pomodoroTimer)
        m_state.pomodoroTimer->stop();
    // The main dock window goes only once its successor stands: closed
    // first, it took its reserved edge along, and the window manager gave
    // those rows to every maximised window until the new one reserved them
    // again; where the bar stays put, it blinked out meanwhile.
    std::unique_ptr<DockHostWindow> leaving = std::move(m_mainDockWindow);
    if (leaving)
        leaving->retire(mainDockWindowFrame(m_state.settings.mainDockPosition(), primary->visibleFrame)
            != m_mainDockFrame);
    closeMainDockWindows(primary->id);
    buildDockWindows();
    relayoutDockWindows();
    closeAll(m_dockTriggerWindowsByScreen);
    createDockTriggerWindows();
    // The tick carries more than the Pomodoro (badges, process sampling,
    // reports): it comes back with the new windows whatever tools are
    // installed, or all of that would stop until the next launch.
    if (m_state.pomodoroTimer)
        m_state.pomodoroTimer->start();
    m_state.publish();
    handOver(std::move(leaving), m_mainDockWindow.get());
}

void DockWindows::handOver(std::unique_ptr<DockHostWindow> leaving, DockHostWindow* successor)
{
    if (!leaving)
        return;
    auto held = std::make_shared<std::unique_ptr<DockHostWindow>>(std::move(leaving));
    const auto close = [held] {
        if (*held) {
            (*held)->close();
            held->reset();
        }
    };
    if (!successor) {
        close();
        return;
    }
    // A bar that never draws (its screen gone meanwhile) lets it go too.
    QTimer::singleShot(kHandOverLimitMs, close);
    successor->whenReady(close);
}
