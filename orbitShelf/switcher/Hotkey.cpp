#include "switcher/Hotkey.h"

#include "app/AppState.h"
#include "app/EventManager.h"
#include "app/ShellQueues.h"
#include "apps/Activation.h"
#include "apps/DockVisibility.h"
#include "apps/RunningApps.h"
#include "apps/ScreenIdentifier.h"
#include "apps/WindowActions.h"
#include "apps/WindowClickTracking.h"
#include "apps/WindowNotificationHandler.h"
#include "apps/Windows.h"
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/Platform.h"
#include "switcher/SwitcherPopup.h"

#include <algorithm>

#include <QCursor>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPointer>
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
// asks for every refused key together, at growing delays (150, 300, 600,
// 1200 ms, then a last try at 3 s), so that an idle start stays quiet.
constexpr int kRetryForMs = 3000;
constexpr int kFirstRetryMs = 150;

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
        retries.timer->start(std::min(2 * retries.timer->interval(), kRetryForMs - retries.elapsedMs));
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

// The flags a fixed key gets: its stored option when that is not the
// default, else the caller's; none for "alpha".
std::optional<quint64> storedKeyFlags(const QString& stored, bool withShift, quint64 defaultFlags)
{
    if (stored == QLatin1String("alpha"))
        return std::nullopt;
    if (stored == QLatin1String("option"))
        return defaultFlags;
    return optionFlags(stored, withShift);
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
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    // A pointer on a screen's far edge is on no screen.
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QString id = screenIdentifierKey(screen);
    const bool autoHidden
        = AppState::shared().settings.autoHideSpaceDock().value(id) == QLatin1String("true");
    applySpaceDockAutoHide(!autoHidden, id);
    fullScreenAutoHideFlags().dockHiddenFlags.clear();
}

QString keyName(quint16 keyCode)
{
    switch (keyCode) {
    case platform::keycode::tab:
        return QStringLiteral("Tab");
    case platform::keycode::space:
        return QStringLiteral("Space");
    case platform::keycode::escape:
        return QStringLiteral("Escape");
    case platform::keycode::h:
        return QStringLiteral("H");
    case platform::keycode::p:
        return QStringLiteral("P");
    default:
        break;
    }
    const QString character = keyCodeCharacters().value(keyCode);
    return character.isEmpty() ? QStringLiteral("key %1").arg(keyCode) : character.toUpper();
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
    static const std::vector<quint16> codes { 48, 49, 13, 53 };
    return codes;
}

const std::vector<quint16>& toolKeyCodes()
{
    static const std::vector<quint16> codes { 4, 35 };
    return codes;
}

const QMap<quint32, QString>& keyCodeCharacters()
{
    static const QMap<quint32, QString> map = [] {
        const std::pair<quint32, const char*> pairs[]
            = { { 18, "1" }, { 19, "2" }, { 20, "3" }, { 21, "4" }, { 23, "5" }, { 22, "6" }, { 26, "7" },
                  { 28, "8" }, { 25, "9" }, { 29, "0" }, { 0, "a" }, { 11, "b" }, { 8, "c" }, { 2, "d" },
                  { 14, "e" }, { 3, "f" }, { 5, "g" }, { 34, "i" }, { 38, "j" }, { 40, "k" }, { 37, "l" },
                  { 46, "m" }, { 45, "n" }, { 31, "o" }, { 12, "q" }, { 15, "r" }, { 1, "s" }, { 17, "t" },
                  { 32, "u" }, { 9, "v" }, { 13, "w" }, { 7, "x" }, { 16, "y" }, { 6, "z" } };
        QMap<quint32, QString> m;
        for (const auto& [code, text] : pairs)
            m.insert(code, QString::fromLatin1(text));
        return m;
    }();
    return map;
}

std::optional<quint16> keyCodeForCharacter(const QString& text)
{
    if (text == QLatin1String("h"))
        return platform::keycode::h;
    if (text == QLatin1String("p"))
        return platform::keycode::p;
    const auto& characters = keyCodeCharacters();
    for (auto it = characters.constBegin(); it != characters.constEnd(); ++it)
        if (it.value() == text)
            return static_cast<quint16>(it.key());
    return std::nullopt;
}

quint64 optionFlags(const QString& option, bool withShift)
{
    for (const ModifierRow& row : kModifierRows)
        if (option == QLatin1String(row.option))
            return withShift ? (row.flags | appkit::shift) : row.flags;
    return withShift ? (appkit::option | appkit::shift) : appkit::option;
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
    // Named as the X11 layer maps them: Command is Ctrl, Control is Super.
    QString name;
    if (flags & appkit::command)
        name += QStringLiteral("Ctrl+");
    if (flags & appkit::control)
        name += QStringLiteral("Super+");
    if (flags & appkit::option)
        name += QStringLiteral("Alt+");
    if (flags & appkit::shift)
        name += QStringLiteral("Shift+");
    if (flags & appkit::capsLock)
        name += QStringLiteral("CapsLock+");
    return name + keyName(keyCode);
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
        qCWarning(lcHotkey).noquote() << "hot key" << name << "is taken by another program";
        if (!taken().contains(name))
            taken().append(name);
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
    // user hears which keys stayed with other programs.
    static bool toldScheduled = false;
    if (!toldScheduled && platform::hotKeys()) {
        toldScheduled = true;
        QTimer::singleShot(kRetryForMs + 2 * kFirstRetryMs, QCoreApplication::instance(), [] {
            if (!taken().isEmpty() && hotKeyHooks().tellTakenKeys)
                hotKeyHooks().tellTakenKeys(taken());
        });
    }
    const CustomSettings& settings = AppState::shared().settings;
    const quint64 mainFlags = modifierFlags(main);

    if (extra != HotKeyModifier::None) {
        const quint64 toolFlags = mainFlags | modifierFlags(extra);
        if (const auto flags = storedKeyFlags(settings.shortcutOptionForOpenAutohide(), true, toolFlags))
            registerInto(toolHotKeyRefs(), platform::keycode::h, *flags);
        if (const auto flags = storedKeyFlags(settings.shortcutOptionForPasteboardWindow(), false, toolFlags))
            registerInto(toolHotKeyRefs(), platform::keycode::p, *flags);
    }

    for (quint16 code : switcherKeyCodes()) {
        // W only brings forward the window bound to "w": it is registered
        // with the bindings below, and only while there is one.
        if (code == platform::keycode::w)
            continue;
        std::optional<quint64> flags = mainFlags;
        if (code == platform::keycode::tab)
            flags = storedKeyFlags(settings.shortcutOptionForOpenFloatWindow(), false, mainFlags);
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
        const auto flags = *code == platform::keycode::w ? windowKeyFlags(*code) : mainFlags;
        if (flags)
            registerInto(switcherHotKeyRefs(), *code, *flags);
    }
}

std::optional<quint64> windowKeyFlags(quint16 keyCode)
{
    if (keyCode != platform::keycode::w)
        return appkit::option;
    return storedKeyFlags(AppState::shared().settings.shortcutOptionForHideWindow(), false, appkit::option);
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

void dropClosedWindowHotKeys()
{
    AppState& state = AppState::shared();
    StringMap cache = state.windowHotkeyCache();
    if (cache.isEmpty() || !platform::hasCurrent())
        return;
    bool dropped = false;
    for (auto it = cache.begin(); it != cache.end();) {
        bool numeric = false;
        const quint32 number = it.value().toUInt(&numeric);
        if (numeric && platform::current().windowServer().window(number)) {
            ++it;
            continue;
        }
        qCInfo(lcHotkey).noquote() << "window hot key" << it.key() << "dropped: its window has closed";
        // The key is kept from every program only while its window is there.
        if (const auto code = keyCodeForCharacter(it.key()); code && keyCodeCharacters().contains(*code))
            releaseSwitcherKey(*code);
        it = cache.erase(it);
        dropped = true;
    }
    if (dropped)
        state.setWindowHotkeyCache(cache);
}

HotKeyStatus& hotKeyStatus()
{
    static HotKeyStatus status;
    return status;
}

void registerSwitcherTabKey()
{
    const QString option = AppState::shared().settings.shortcutOptionForOpenFloatWindow();
    if (option == QLatin1String("alpha"))
        return;
    registerInto(switcherHotKeyRefs(), platform::keycode::tab, optionFlags(option));
}

void handleHotKeyPress(quint16 keyCode)
{
    runAfterDelay(0.02, [keyCode] { handleSwitcherHotKey(keyCode); });

    const auto character = keyCodeCharacters().constFind(keyCode);
    if (character != keyCodeCharacters().constEnd()) {
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
    if (keyCode != platform::keycode::tab)
        return;
    // A second Tab typed before the first one's 20 ms were up: the switcher
    // is open by now, and the press is one more step, not a new cycle (its
    // release came before the grab and is reported with the first one's).
    if (switcherPopupShown) {
        EventManager::shared().emitEvent(QStringLiteral("onkeyDown"), platform::keycode::tab);
        return;
    }
    followWindowInFrontNow();
    if (switcherModifierState != 1) {
        activatePreviousAppWindow();
        return;
    }
    const auto tab = switcherHotKeyRefs().constFind(platform::keycode::tab);
    if (tab == switcherHotKeyRefs().constEnd())
        return;
    if (platform::HotKeys* hotKeys = platform::hotKeys())
        hotKeys->unregisterHotKey(*tab);
    if (!installSwitcherKeyMonitors()) {
        qCWarning(lcHotkey) << "the switcher stays closed: another program holds the keyboard";
        registerSwitcherTabKey();
        return;
    }
    // The placeholder application is this program itself: asking to open it
    // would start nothing and only raise the bar, so the step is left out.
    showSwitcherPopup();
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
    refusedRetries().keys.clear();
    if (refusedRetries().timer)
        refusedRetries().timer->stop();
    if (connectedHotKeys())
        QObject::disconnect(connectedHotKeys(), &platform::HotKeys::hotKeyPressed, nullptr, nullptr);
    connectedHotKeys() = nullptr;
}
