#include "switcher/SwitcherCycle.h"

#include "state/AppState.h"
#include "state/EventManager.h"
#include "state/Queues.h"
#include "apps/WindowNotificationHandler.h"
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "switcher/FloatDock.h"
#include "switcher/Hotkey.h"
#include "switcher/SwitcherEvents.h"
#include "switcher/SwitcherPopup.h"

#include <QLoggingCategory>

#include <algorithm>
#include <utility>

Q_LOGGING_CATEGORY(lcCycle, "orbitshelf.switcher.cycle")

namespace {

// How long the bar's monitor waits before its commit, so that the grab's
// own report of the same release comes first.
constexpr double kMonitorCommitDelay = 0.1;
// When the keyboard is first asked after the grab (after the keys the grab
// found released have been reported), and how often after that.
constexpr double kFirstKeyboardCheck = 0.05;
constexpr double kKeyboardCheckEvery = 0.1;

std::vector<QMetaObject::Connection>& monitorConnections()
{
    static std::vector<QMetaObject::Connection> connections;
    return connections;
}

QString tabOption()
{
    return AppState::shared().settings.shortcutOptionForOpenFloatWindow();
}

} // namespace

SwitcherCycle& SwitcherCycle::shared()
{
    static SwitcherCycle cycle;
    return cycle;
}

void SwitcherCycle::setState(State state)
{
    m_state = state;
}

void SwitcherCycle::modifierChanged(quint16 keyCode, bool pressed, quint32 serverTime)
{
    if (!isSwitcherModifierKey(keyCode, tabOption()))
        return;
    // A press only holds and a release only lets go, so a change the
    // monitor missed never turns the state around.
    if (pressed) {
        // The other hand's key pressed too does not start a new hold.
        if (m_state != State::Held)
            m_heldSince = serverTime;
        setState(State::Held);
        return;
    }
    if (m_state != State::Held)
        return;
    setState(State::Released);
    ++m_releases;
    if (!m_open)
        return;
    // Tied to this cycle: a late commit must never reach the next one, which
    // a tap a few milliseconds later may have opened meanwhile.
    const unsigned cycle = m_generation;
    runAfterDelay(kMonitorCommitDelay, [this, cycle] {
        if (m_open && cycle == m_generation)
            takeModifierRelease(1, cycle);
    });
}

void SwitcherCycle::tabPressed()
{
    m_pendingTabs.push_back(m_releases);
}

void SwitcherCycle::decideTab()
{
    unsigned releasesAtPress = m_releases;
    if (!m_pendingTabs.empty()) {
        releasesAtPress = m_pendingTabs.front();
        m_pendingTabs.pop_front();
    }
    // A second Tab typed before the first one's 20 ms were up: the switcher
    // is open by now, and the press is one more step, not a new cycle (its
    // release came before the grab and is reported with the first one's).
    if (m_open) {
        step(platform::keycode::tab);
        return;
    }
    followWindowInFrontNow();
    if (m_state != State::Held || m_releases != releasesAtPress) {
        activatePreviousAppWindow();
        return;
    }
    begin();
}

bool SwitcherCycle::begin()
{
    if (m_open)
        return true;
    const auto tab = switcherHotKeyRefs().constFind(platform::keycode::tab);
    if (tab == switcherHotKeyRefs().constEnd())
        return false;
    if (platform::HotKeys* hotKeys = platform::hotKeys())
        hotKeys->unregisterHotKey(*tab);
    if (!installSwitcherKeyMonitors()) {
        qCWarning(lcCycle) << "the switcher stays closed: another program holds the keyboard";
        registerSwitcherTabKey();
        return false;
    }
    ++m_generation;
    m_releaseCommitted = false;
    m_open = true;
    // A window made before is reused and told so; a new one sets the grid
    // up as it is made.
    if (floatPanel())
        EventManager::shared().emitEvent(switcherevent::init, 1);
    showSwitcherPopup();
    const unsigned cycle = m_generation;
    runAfterDelay(kFirstKeyboardCheck, [this, cycle] { checkKeyboard(cycle); });
    qCDebug(lcCycle) << "cycle" << m_generation << "begun";
    return true;
}

void SwitcherCycle::step(quint16 keyCode)
{
    if (!m_open)
        return;
    EventManager::shared().emitEvent(switcherevent::keyDown, keyCode);
}

void SwitcherCycle::commit(quint16 keyCode)
{
    if (!m_open) {
        // A commit with no switcher up only notes the release.
        if (m_state != State::Reset)
            setState(State::Released);
        return;
    }
    if (isSwitcherModifierKey(keyCode, tabOption())) {
        takeModifierRelease(keyCode, m_generation);
        return;
    }
    setState(State::Released);
    EventManager::shared().emitEvent(switcherevent::option, keyCode);
}

void SwitcherCycle::takeModifierRelease(quint16 keyCode, unsigned generation)
{
    if (!m_open || generation != m_generation || m_releaseCommitted)
        return;
    m_releaseCommitted = true;
    setState(State::Released);
    EventManager::shared().emitEvent(switcherevent::option, keyCode);
    // The switcher's own modifier was held when the switcher opened, so this
    // is its release: the cycle ends here, also when the selection is the
    // window already in front (nothing else would come while the keyboard
    // is grabbed).
    if (m_open && generation == m_generation)
        end();
}

void SwitcherCycle::checkKeyboard(unsigned generation)
{
    if (!m_open || generation != m_generation)
        return;
    platform::HotKeys* hotKeys = platform::hotKeys();
    const std::vector<quint16> keys = switcherModifierKeys(tabOption());
    if (hotKeys && !keys.empty()) {
        const std::optional<bool> down = hotKeys->anyKeyDown(keys);
        if (down && !*down) {
            qCInfo(lcCycle) << "the switcher's modifier is up though no release came: the cycle ends";
            takeModifierRelease(keys.front(), generation);
            return;
        }
    }
    runAfterDelay(kKeyboardCheckEvery, [this, generation] { checkKeyboard(generation); });
}

void SwitcherCycle::end()
{
    setState(State::Reset);
    const bool wasOpen = std::exchange(m_open, false);
    switcherPopupShown = false;
    if (floatPanel())
        floatPanel()->hide();
    EventManager::shared().emitEvent(switcherevent::destroy, 1);
    if (wasOpen || switcherKeyMonitorsInstalled()) {
        // Tab comes back with its stored option, the one the hot key that
        // opened the switcher had.
        switcherHotKeyRefs().remove(platform::keycode::tab);
        registerSwitcherTabKey();
        removeSwitcherKeyMonitors();
    }
    setState(State::Reset);
    if (wasOpen)
        qCDebug(lcCycle) << "cycle" << m_generation << "ended";
}

void SwitcherCycle::forgetModifier()
{
    setState(State::Reset);
}

bool SwitcherCycle::clickPrecedesHold(quint32 clickTime) const
{
    if (m_state != State::Held || !m_heldSince || !clickTime)
        return false;
    // The desktop's clock wraps after 49 days: the sign of the distance
    // says which came first. A click in the same millisecond counts as later,
    // as every click did before times were compared.
    return static_cast<qint32>(clickTime - m_heldSince) < 0;
}

void SwitcherCycle::resetForTesting()
{
    if (m_open)
        end();
    removeSwitcherKeyMonitors();
    setState(State::Reset);
    m_heldSince = 0;
    m_pendingTabs.clear();
    m_releaseCommitted = false;
}

std::vector<quint16> switcherModifierKeys(const QString& option)
{
    namespace key = platform::keycode;
    static const std::pair<const char*, std::vector<quint16>> kSides[] = {
        { "option", { key::option, key::rightOption } },
        { "cmd", { key::command, key::rightCommand } },
        { "control", { key::control, key::rightControl } },
        { "shift", { key::shift, key::rightShift } },
    };
    for (const auto& [name, keys] : kSides)
        if (option == QLatin1String(name))
            return keys;
    // Any other text opens the switcher with Option; "alpha" with none.
    if (option == QLatin1String("alpha"))
        return {};
    return { key::option, key::rightOption };
}

bool isSwitcherModifierKey(quint16 keyCode, const QString& tabOption)
{
    // Either key of the switcher's own modifier: its release ends the cycle
    // whichever hand let go and whatever else is held.
    const std::vector<quint16> keys = switcherModifierKeys(tabOption);
    return std::find(keys.begin(), keys.end(), keyCode) != keys.end();
}

bool isSwitcherCommitKey(quint16 keyCode, const QString& tabOption)
{
    namespace key = platform::keycode;
    if (keyCode == key::command || keyCode == key::option || keyCode == key::control)
        return true;
    return isSwitcherModifierKey(keyCode, tabOption);
}

bool installSwitcherKeyMonitors()
{
    platform::HotKeys* hotKeys = platform::hotKeys();
    if (!hotKeys || !hotKeys->grabKeyboard())
        return false;
    for (const auto& connection : monitorConnections())
        QObject::disconnect(connection);
    monitorConnections().clear();
    // Key-downs are kept from every window: the switcher acts on releases.
    monitorConnections().push_back(QObject::connect(hotKeys, &platform::HotKeys::grabbedKeyUp, hotKeys,
        [](quint16 keyCode) { switcherCycle().step(keyCode); }));
    monitorConnections().push_back(QObject::connect(hotKeys, &platform::HotKeys::grabbedModifierChanged,
        hotKeys, [](quint16 keyCode) {
            if (isSwitcherCommitKey(keyCode, tabOption()))
                switcherCycle().commit(keyCode);
        }));
    return true;
}

void removeSwitcherKeyMonitors()
{
    for (const auto& connection : monitorConnections())
        QObject::disconnect(connection);
    monitorConnections().clear();
    if (platform::HotKeys* hotKeys = platform::hotKeys())
        hotKeys->ungrabKeyboard();
    switcherCycle().setState(SwitcherCycle::State::Released);
}

bool switcherKeyMonitorsInstalled()
{
    return !monitorConnections().empty();
}
