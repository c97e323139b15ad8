#include "switcher/Hotkey.h"

#include "apps/Activation.h"
#include "apps/DockVisibility.h"
#include "apps/RunningApps.h"
#include "apps/ScreenIdentifier.h"
#include "apps/ScreenPlaces.h"
#include "apps/WindowActions.h"
#include "apps/WindowClickTracking.h"
#include "apps/WindowNotificationHandler.h"
#include "apps/Windows.h"
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/Platform.h"
#include "state/AppState.h"
#include "state/Queues.h"
#include "switcher/HotKeySettings.h"
#include "switcher/SwitcherCycle.h"

#include <algorithm>

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QStringDecoder>
#include <QTimer>

Q_LOGGING_CATEGORY(lcHotkey, "orbitshelf.switcher.hotkeys")

namespace appkit = platform::appkit;
namespace carbon = platform::carbon;

namespace {

struct ModifierRow {
    const char* option;
    quint64 flags;
    quint32 carbon;
};

constexpr ModifierRow kModifierRows[] = {
    { "control", appkit::control, carbon::control },
    { "cmd", appkit::command, carbon::command },
    { "shift", appkit::shift, carbon::shift },
    { "option", appkit::option, carbon::option },
    { "alpha", appkit::capsLock, carbon::capsLock },
};

QStringList& taken()
{
    static QStringList list;
    return list;
}

// H and P are the clipboard tool's: held only while it is installed.
bool& toolKeysWanted()
{
    static bool wanted = false;
    return wanted;
}

QPointer<platform::HotKeys>& connectedHotKeys()
{
    static QPointer<platform::HotKeys> hotKeys;
    return hotKeys;
}

// One handler for every press, however often the keys are registered again.
void connectPressHandler()
{
    platform::HotKeys* hotKeys = platform::hotKeys();
    if (!hotKeys || connectedHotKeys() == hotKeys)
        return;
    if (connectedHotKeys())
        QObject::disconnect(connectedHotKeys(), &platform::HotKeys::hotKeyPressed, nullptr, nullptr);
    connectedHotKeys() = hotKeys;
    QObject::connect(hotKeys, &platform::HotKeys::hotKeyPressed, hotKeys,
        [](quint16 keyCode, quint32) { handleHotKeyPress(keyCode); });
}

// How long a refused key is asked for again: a relaunched bar starts while
// the process it replaces may still hold every key for a moment. One timer
// asks for every refused key together, at growing delays (150 and 750 ms,
// then a last try at 3 s), so that an idle start stays quiet.
constexpr int kRetryForMs = 3000;
constexpr int kFirstRetryMs = 150;
constexpr int kRetryGrowth = 4;

struct RefusedKey {
    QMap<qint64, quint32>* refs;
    quint16 keyCode;
    quint64 flags;
};

struct RefusedRetries {
    QList<RefusedKey> keys;
    QPointer<QTimer> timer;
    int elapsedMs = 0;
};

RefusedRetries& refusedRetries()
{
    static RefusedRetries retries;
    return retries;
}

void retryRefusedNow()
{
    RefusedRetries& retries = refusedRetries();
    retries.elapsedMs += retries.timer->interval();
    platform::HotKeys* hotKeys = platform::hotKeys();
    bool changed = false;
    for (auto it = retries.keys.begin(); it != retries.keys.end();) {
        const QString name = hotKeyName(it->keyCode, it->flags);
        // Taken meanwhile by another route (a settings choice, a binding), or
        // no longer wanted: a stale retry must not register a second copy.
        if (!hotKeys || it->refs->contains(it->keyCode) || !taken().contains(name)) {
            it = retries.keys.erase(it);
            continue;
        }
        if (const auto reference = hotKeys->registerHotKey(it->keyCode, carbonModifiers(it->flags))) {
            qCInfo(lcHotkey).noquote() << "hot key" << name << "registered on a later try";
            taken().removeAll(name);
            it->refs->insert(it->keyCode, *reference);
            it = retries.keys.erase(it);
            changed = true;
            continue;
        }
        ++it;
    }
    if (!retries.keys.isEmpty() && retries.elapsedMs < kRetryForMs) {
        retries.timer->start(
            std::min(kRetryGrowth * retries.timer->interval(), kRetryForMs - retries.elapsedMs));
    } else {
        changed = changed || !retries.keys.isEmpty();
        retries.keys.clear();
    }
    if (changed)
        emit hotKeyStatus().changed();
}

// A refused key joins the keys asked for again; each join gives them all the
// full time again (keys are refused together, at a start or a settings change).
void retryRefused(QMap<qint64, quint32>& refs, quint16 keyCode, quint64 flags)
{
    RefusedRetries& retries = refusedRetries();
    if (!retries.timer) {
        retries.timer = new QTimer(QCoreApplication::instance());
        retries.timer->setSingleShot(true);
        QObject::connect(retries.timer, &QTimer::timeout, retries.timer, &retryRefusedNow);
    }
    const bool known = std::any_of(retries.keys.cbegin(), retries.keys.cend(), [&](const RefusedKey& key) {
        return key.refs == &refs && key.keyCode == keyCode && key.flags == flags;
    });
    if (!known)
        retries.keys.append({ &refs, keyCode, flags });
    retries.elapsedMs = 0;
    retries.timer->start(kFirstRetryMs);
}

// A key's registration, kept under its code only when one came back; a
// refused one is asked for again for a while.
void registerInto(QMap<qint64, quint32>& refs, quint16 keyCode, quint64 flags)
{
    if (const auto reference = registerHotKey(keyCode, flags))
        refs.insert(keyCode, *reference);
    else if (platform::hotKeys())
        retryRefused(refs, keyCode, flags);
}

// The stored bindings' owners: binding key → windowHotKeyOwner().
const QString kOwnersKey = QStringLiteral("windowHotkeyOwners");

// A fixed key's flags as startHotKeys gives them: the stored option's, but
// the caller's modifiers where the row holds the default "option".
std::optional<quint64> startFlags(FixedHotKey key, quint64 callerFlags)
{
    const QString stored = storedHotKeyOption(key);
    if (stored == QLatin1String("option") && callerFlags)
        return callerFlags;
    return fixedHotKeyFlags(key, stored);
}

void minimiseLastActivatedWindow()
{
    const auto& order = windowClickOrder();
    if (order.size() < 2)
        return;
    const auto window = findWindowByNumber(order.back().windowNum);
    if (!window) {
        // A window the model has not read yet (just opened, on a busy
        // machine) is still the window in front: minimised by its number.
        const auto number = quint32(order.back().windowNum);
        if (platform::hasCurrent() && platform::current().windowServer().window(number))
            platform::current().windowServer().minimize(number);
        return;
    }
    window->opened = false;
    if (isActionableWindow(*window) && platform::hasCurrent())
        platform::current().windowServer().minimize(*window->num);
}

void toggleDockUnderPointer()
{
    const QScreen* screen = screenOfPointer();
    if (!screen)
        return;
    const QString id = screenIdentifierKey(screen);
    const bool autoHidden
        = AppState::shared().settings.autoHideSpaceDock().value(id) == QLatin1String("true");
    applySpaceDockAutoHide(!autoHidden, id);
    fullScreenAutoHideFlags().dockHiddenFlags.clear();
}

} // namespace

quint32 fourCharCode(const QString& text)
{
    // Mac OS Roman agrees with ASCII below 0x80; the rest is not needed for
    // signatures.
    quint32 result = 0;
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return 0;
        result = result * 256 + c.unicode();
    }
    return result;
}

const std::vector<quint16>& switcherKeyCodes()
{
    static const std::vector<quint16> codes { platform::keycode::tab, platform::keycode::space,
        platform::keycode::w, platform::keycode::escape };
    return codes;
}

const std::vector<quint16>& toolKeyCodes()
{
    static const std::vector<quint16> codes { platform::keycode::h, platform::keycode::p };
    return codes;
}

quint64 modifierFlags(HotKeyModifier modifier)
{
    const int index = int(modifier);
    return index >= 0 && index < 5 ? kModifierRows[index].flags : 0;
}

quint32 carbonModifiers(quint64 flags)
{
    quint32 result = 0;
    for (const ModifierRow& row : kModifierRows)
        if (flags & row.flags)
            result |= row.carbon;
    return result;
}

QMap<qint64, quint32>& switcherHotKeyRefs()
{
    static QMap<qint64, quint32> refs;
    return refs;
}

QMap<qint64, quint32>& toolHotKeyRefs()
{
    static QMap<qint64, quint32> refs;
    return refs;
}

QString hotKeyName(quint16 keyCode, quint64 flags)
{
    return keyComboText(keyCode, flags);
}

QStringList takenHotKeys()
{
    return taken();
}

std::optional<quint32> registerHotKey(quint16 keyCode, quint64 flags)
{
    platform::HotKeys* hotKeys = platform::hotKeys();
    if (!hotKeys)
        return std::nullopt;
    const auto reference = hotKeys->registerHotKey(keyCode, carbonModifiers(flags));
    const QString name = hotKeyName(keyCode, flags);
    if (!reference) {
        // Once per key until it is held again: every rebuild of the bar asks
        // for the keys anew.
        if (!taken().contains(name)) {
            qCWarning(lcHotkey).noquote() << "hot key" << name << "is taken by another program";
            taken().append(name);
        }
    } else {
        taken().removeAll(name);
    }
    emit hotKeyStatus().changed();
    return reference;
}

void startHotKeys(HotKeyModifier main, HotKeyModifier extra)
{
    connectPressHandler();
    // Once per start, after the refused keys have been asked for again: the
    // user hears which keys stayed with other programs (the shell hears it
    // too when none did).
    static bool toldScheduled = false;
    if (!toldScheduled && platform::hotKeys()) {
        toldScheduled = true;
        QTimer::singleShot(kRetryForMs + 2 * kFirstRetryMs, QCoreApplication::instance(), [] {
            if (hotKeyHooks().tellTakenKeys)
                hotKeyHooks().tellTakenKeys(taken());
        });
    }
    const quint64 mainFlags = modifierFlags(main);

    if (extra != HotKeyModifier::None) {
        toolKeysWanted() = true;
        const quint64 toolFlags = mainFlags | modifierFlags(extra);
        for (const FixedHotKey key : { FixedHotKey::Autohide, FixedHotKey::Pasteboard })
            if (const auto flags = startFlags(key, toolFlags))
                registerInto(toolHotKeyRefs(), fixedHotKeyCode(key), *flags);
    }

    for (quint16 code : switcherKeyCodes()) {
        // W only brings forward the window bound to "w": it is registered
        // with the bindings below, and only while there is one. Space does
        // nothing when pressed, and held it would take the window manager's
        // window-menu key from the user.
        if (code == platform::keycode::w || code == platform::keycode::space)
            continue;
        std::optional<quint64> flags = mainFlags;
        if (code == platform::keycode::tab)
            flags = startFlags(FixedHotKey::Tab, mainFlags);
        if (flags)
            registerInto(switcherHotKeyRefs(), code, *flags);
    }

    dropClosedWindowHotKeys();
    const StringMap cache = AppState::shared().windowHotkeyCache();
    for (auto it = cache.constBegin(); it != cache.constEnd(); ++it) {
        const auto code = keyCodeForCharacter(it.key());
        if (!code) {
            qCWarning(lcHotkey).noquote() << "window hot key" << it.key() << "is not a key; skipped";
            continue;
        }
        // H and P with the main modifier are the bar's and the clipboard
        // window's; a binding from an older version must not take them.
        if (!keyCodeCharacters().contains(*code)) {
            qCWarning(lcHotkey).noquote() << "window hot key" << it.key() << "is reserved; skipped";
            continue;
        }
        const auto flags = *code == platform::keycode::w ? windowKeyFlags(*code) : std::optional(mainFlags);
        if (flags)
            registerInto(switcherHotKeyRefs(), *code, *flags);
    }
}

void registerToolHotKeys()
{
    connectPressHandler();
    // Wanted before the first registration tells the pages: they show a key
    // as held or refused from now on, no longer as waiting for the tool.
    toolKeysWanted() = true;
    for (const FixedHotKey key : { FixedHotKey::Autohide, FixedHotKey::Pasteboard }) {
        const quint16 code = fixedHotKeyCode(key);
        if (toolHotKeyRefs().contains(code))
            continue;
        if (const auto flags = fixedHotKeyFlags(key, storedHotKeyOption(key)))
            registerInto(toolHotKeyRefs(), code, *flags);
    }
    emit hotKeyStatus().changed();
}

bool toolHotKeysWanted()
{
    return toolKeysWanted();
}

void releaseToolHotKeys()
{
    toolKeysWanted() = false;
    for (const quint16 code : toolKeyCodes()) {
        const auto reference = toolHotKeyRefs().constFind(code);
        if (reference == toolHotKeyRefs().constEnd())
            continue;
        if (platform::HotKeys* hotKeys = platform::hotKeys())
            hotKeys->unregisterHotKey(*reference);
        toolHotKeyRefs().remove(code);
    }
    // A refused key no longer wanted is no longer taken from anyone, and a
    // retry still under way must not take it back.
    for (const FixedHotKey key : { FixedHotKey::Autohide, FixedHotKey::Pasteboard })
        if (const auto flags = fixedHotKeyFlags(key, storedHotKeyOption(key)))
            taken().removeAll(hotKeyName(fixedHotKeyCode(key), *flags));
    emit hotKeyStatus().changed();
}

std::optional<quint64> windowKeyFlags(quint16 keyCode)
{
    return windowHotKeyFlags(
        keyCodeCharacters().value(keyCode), AppState::shared().settings.shortcutOptionForHideWindow());
}

void releaseSwitcherKey(quint16 keyCode)
{
    const auto reference = switcherHotKeyRefs().constFind(keyCode);
    if (reference == switcherHotKeyRefs().constEnd())
        return;
    if (platform::HotKeys* hotKeys = platform::hotKeys())
        hotKeys->unregisterHotKey(*reference);
    switcherHotKeyRefs().remove(keyCode);
}

namespace {

// What names a bound window beyond its number. A window that names no
// process (pid 0) is told from a newcomer of its program by nothing more
// than its number.
struct WindowOwner {
    QString number;
    qint32 pid = 0;
    QString application; // WM_CLASS's two parts, "xterm.XTerm"
};

std::optional<WindowOwner> currentOwner(quint32 number)
{
    if (!platform::hasCurrent())
        return std::nullopt;
    const auto window = platform::current().windowServer().window(number);
    if (!window)
        return std::nullopt;
    return WindowOwner { QString::number(number), window->pid,
        QStringLiteral("%1.%2").arg(window->instanceName, window->className) };
}

QString ownerText(const WindowOwner& owner)
{
    if (owner.pid <= 0)
        return QStringLiteral("%1 %2").arg(owner.number, owner.application);
    return QStringLiteral("%1 %2 %3").arg(owner.number).arg(owner.pid).arg(owner.application);
}

// A kept owner read back: "<number> <pid> <application>", or, as versions
// before process ids kept it, "<number> <application>" (pid 0). The second
// word of the older form always holds the dot between WM_CLASS's parts, so
// it never reads as a process id.
WindowOwner readOwner(const QString& text)
{
    static const QRegularExpression withProcess(QStringLiteral("^(\\S*) ([1-9][0-9]*) (.*)$"));
    if (const QRegularExpressionMatch m = withProcess.match(text); m.hasMatch()) {
        bool ok = false;
        const qint32 pid = m.captured(2).toInt(&ok);
        if (ok)
            return { m.captured(1), pid, m.captured(3) };
    }
    return { text.section(QLatin1Char(' '), 0, 0), 0, text.section(QLatin1Char(' '), 1) };
}

} // namespace

QString windowHotKeyOwner(quint32 number)
{
    const auto owner = currentOwner(number);
    return owner ? ownerText(*owner) : QString();
}

void setWindowHotKeyOwner(const QString& character, const QString& owner)
{
    StringMap owners = readStoredMap(kOwnersKey);
    if (owner.isEmpty() ? !owners.remove(character) : owners.value(character) == owner)
        return;
    if (!owner.isEmpty())
        owners.insert(character, owner);
    writeStoredMap(kOwnersKey, owners);
}

namespace {

enum class BindingState { Matches, Closed, OtherApplication, OtherWindowOfItsApplication };

BindingState bindingState(const QString& number, const QString& kept)
{
    bool numeric = false;
    const quint32 id = number.toUInt(&numeric);
    const std::optional<WindowOwner> now = numeric ? currentOwner(id) : std::nullopt;
    if (!now)
        return BindingState::Closed;
    const WindowOwner owner = readOwner(kept);
    // An owner kept for another number was written for an earlier binding
    // of the key (by a version that knew no owners): it says nothing here.
    if (owner.number != number)
        return BindingState::Matches;
    if (owner.application != now->application)
        return BindingState::OtherApplication;
    // Kept without a process (by a version that knew none, or for a window
    // that names none): its application is all there is to go by.
    if (owner.pid != 0 && owner.pid != now->pid)
        return BindingState::OtherWindowOfItsApplication;
    return BindingState::Matches;
}

const char* dropReason(BindingState binding)
{
    switch (binding) {
    case BindingState::Closed:
        return "its window has closed";
    case BindingState::OtherApplication:
        return "its window number now belongs to another application";
    case BindingState::OtherWindowOfItsApplication:
        return "its window number now belongs to another process of its application";
    case BindingState::Matches:
        break;
    }
    return "";
}

} // namespace

bool windowBindingStillMatches(const QString& character)
{
    // The cache is handed out as a copy: look it up in one kept here.
    const StringMap cache = AppState::shared().windowHotkeyCache();
    const auto number = cache.constFind(character);
    return number != cache.constEnd()
        && bindingState(*number, readStoredMap(kOwnersKey).value(character)) == BindingState::Matches;
}

void dropClosedWindowHotKeys()
{
    AppState& state = AppState::shared();
    StringMap cache = state.windowHotkeyCache();
    if (cache.isEmpty() || !platform::hasCurrent())
        return;
    const StringMap owners = readStoredMap(kOwnersKey);
    bool dropped = false;
    for (auto it = cache.begin(); it != cache.end();) {
        const BindingState binding = bindingState(it.value(), owners.value(it.key()));
        if (binding == BindingState::Matches) {
            // A binding stored before owners, or their processes, were kept
            // learns the rest now, while its window is still the one it was
            // made for; from then on it is checked in full.
            const QString now = windowHotKeyOwner(it.value().toUInt());
            if (owners.value(it.key()) != now)
                setWindowHotKeyOwner(it.key(), now);
            ++it;
            continue;
        }
        qCInfo(lcHotkey).noquote() << "window hot key" << it.key() << "dropped:" << dropReason(binding);
        // The key is kept from every program only while its window is there.
        if (const auto code = keyCodeForCharacter(it.key()); code && keyCodeCharacters().contains(*code))
            releaseSwitcherKey(*code);
        setWindowHotKeyOwner(it.key(), QString());
        it = cache.erase(it);
        dropped = true;
    }
    if (dropped) {
        state.setWindowHotkeyCache(cache);
        // The bar drew its marks from the bindings before this look.
        state.publish();
    }
}

HotKeyStatus& hotKeyStatus()
{
    static HotKeyStatus status;
    return status;
}

void registerSwitcherTabKey()
{
    if (const auto flags = fixedHotKeyFlags(FixedHotKey::Tab, storedHotKeyOption(FixedHotKey::Tab)))
        registerInto(switcherHotKeyRefs(), platform::keycode::tab, *flags);
}

void handleHotKeyPress(quint16 keyCode)
{
    if (keyCode == platform::keycode::tab)
        switcherCycle().tabPressed();
    runAfterDelay(0.02, [keyCode] { handleSwitcherHotKey(keyCode); });

    const auto character = keyCodeCharacters().constFind(keyCode);
    if (character != keyCodeCharacters().constEnd()) {
        // A window that took a closed one's number since the last look is
        // not the bound window: the binding goes, and nothing is raised.
        if (AppState::shared().windowHotkeyCache().contains(*character)
            && !windowBindingStillMatches(*character)) {
            dropClosedWindowHotKeys();
            return;
        }
        activateWindowForHotkey(*character);
        return;
    }
    if (keyCode == platform::keycode::p && hotKeyHooks().showPasteboardWindow)
        hotKeyHooks().showPasteboardWindow();
    if (keyCode == platform::keycode::escape) {
        followWindowInFrontNow();
        minimiseLastActivatedWindow();
    }
    if (keyCode == platform::keycode::h)
        toggleDockUnderPointer();
}

void handleSwitcherHotKey(quint16 keyCode)
{
    if (keyCode == platform::keycode::tab)
        switcherCycle().decideTab();
}

HotKeyHooks& hotKeyHooks()
{
    static HotKeyHooks hooks;
    return hooks;
}

void resetHotKeysForTesting()
{
    switcherHotKeyRefs().clear();
    toolHotKeyRefs().clear();
    taken().clear();
    toolKeysWanted() = false;
    refusedRetries().keys.clear();
    if (refusedRetries().timer)
        refusedRetries().timer->stop();
    if (connectedHotKeys())
        QObject::disconnect(connectedHotKeys(), &platform::HotKeys::hotKeyPressed, nullptr, nullptr);
    connectedHotKeys() = nullptr;
}
