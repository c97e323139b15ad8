#include "settings/PluginList.h"

#include "platform/HotKeys.h"
#include "state/AppState.h"
#include "state/Persistence.h"
#include "state/ToolTable.h"
#include "switcher/HotKeySettings.h"
#include "switcher/Hotkey.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcPlugins, "orbitshelf.settings")

namespace {

const QString kName = QStringLiteral("name");
const QString kPasteboard = toolName(Tool::Pasteboard);
const QString kFastFinder = toolName(Tool::FastFinder);
const QString kPomodoro = toolName(Tool::Pomodoro);

bool storedAsPinned(const CustomSettings& settings, const QString& name)
{
    return settings.pinedPlugins().value(name) == QLatin1String("true");
}

} // namespace

const std::vector<Plugin>& pluginList()
{
    // Each tool's picture goes by its name.
    static const std::vector<Plugin> list = [] {
        std::vector<Plugin> tools;
        for (const ToolRow& row : toolTable)
            tools.push_back(
                { QString::fromLatin1(row.name), QString::fromLatin1(row.name), true, row.installable });
        return tools;
    }();
    return list;
}

std::optional<Plugin> pluginNamed(const QString& name)
{
    for (const Plugin& plugin : pluginList())
        if (plugin.name == name)
            return plugin;
    return std::nullopt;
}

PluginsController::PluginsController(AppState& state, PersistenceController& store, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_store(store)
    , m_current(pluginList().front())
{
    connect(&m_store, &PersistenceController::entityChanged, this, [this](Entity entity) {
        if (entity != Entity::Plugins)
            return;
        reloadInstalled();
        emit changed();
    });
}

bool PluginsController::isInstalled(const QString& name) const
{
    for (const Record& record : m_store.fetchAll(Entity::Plugins))
        if (record.text(kName) == name)
            return true;
    return false;
}

QString PluginsController::installButtonTitle() const
{
    return isInstalled(m_current.name) ? QStringLiteral("Remove") : QStringLiteral("Install");
}

PinSwitchLook pinSwitchLook(const Plugin& plugin, bool installed, bool storedAsPinned)
{
    PinSwitchLook look;
    look.checked = storedAsPinned;
    // A pin left from before a Remove can still be taken off.
    look.enabled = installed || storedAsPinned;
    look.title = QStringLiteral("Pin On Dock");
    // A tool that can be installed says what comes first; one that cannot
    // yet says "waiting" above the switch already.
    if (!installed && plugin.active)
        look.title = QStringLiteral("Pin On Dock (after Install)");
    return look;
}

PinSwitchLook PluginsController::pinSwitch() const
{
    return pinSwitchLook(
        m_current, isInstalled(m_current.name), storedAsPinned(m_state.settings, m_current.name));
}

void PluginsController::appear()
{
    // A first run brings the Pomodoro along, once: showing the page again
    // must not pile up records of the same tool.
    if (m_state.settings.firstInstalled() && !isInstalled(kPomodoro)) {
        m_store.insert(Entity::Plugins, { { kName, kPomodoro }, { QStringLiteral("installed"), true } });
        if (!m_store.save())
            qCWarning(lcPlugins) << "the Pomodoro could not be installed: the store refused the save";
    }
    m_pinPlugin = storedAsPinned(m_state.settings, m_current.name);
    emit changed();
}

void PluginsController::selectPlugin(const QString& name)
{
    const std::optional<Plugin> plugin = pluginNamed(name);
    if (!plugin)
        return;
    m_current = *plugin;
    m_pinPlugin = storedAsPinned(m_state.settings, m_current.name);
    emit changed();
}

void PluginsController::toggleInstall(const QString& name)
{
    bool removed = false;
    // Every record of the name: older versions could leave more than one,
    // and a tool that still had one would stay installed after "Remove".
    for (const Record& record : m_store.fetchAll(Entity::Plugins)) {
        if (record.text(kName) == name) {
            m_store.remove(record);
            removed = true;
        }
    }
    if (!removed) {
        m_store.insert(Entity::Plugins, { { kName, name }, { QStringLiteral("installed"), true } });
        if (name == kPasteboard) {
            bindPasteboardKey();
            // H comes with the tool as well, now rather than at the next
            // start, with the modifier chosen for it.
            registerToolHotKeys();
        }
    } else if (name == kPasteboard) {
        // A removed tool holds no key: P would open a history no longer
        // kept, and both keys would stay from every other program.
        releaseToolHotKeys();
        m_keyRefused = false;
    }
    if (removed)
        takeOffTheBar(name);
    if (!m_store.save())
        qCWarning(lcPlugins).noquote()
            << "the tool" << name << "could not be" << (removed ? "removed" : "installed")
            << ": the store refused the save";
    emit changed();
}

std::optional<quint32> PluginsController::bindPasteboardKey()
{
    // Only P: the other keys are the switcher's and stay as they are. The old
    // registration goes first, or the registry would hand it back unchanged.
    QMap<qint64, quint32>& refs = toolHotKeyRefs();
    const auto old = refs.constFind(kPasteboardKeyCode);
    if (old != refs.constEnd()) {
        if (platform::HotKeys* hotKeys = platform::hotKeys())
            hotKeys->unregisterHotKey(*old);
        refs.erase(old);
    }
    // The modifier chosen on the Shortcut page, also before the install, is
    // the one the key is bound with. A text that is none of the options (an
    // older version's, a hand-edited file) is made Option's, which it has
    // stood for.
    static const QStringList options { QStringLiteral("control"), QStringLiteral("cmd"),
        QStringLiteral("shift"), QStringLiteral("option"), QStringLiteral("alpha") };
    if (!options.contains(storedHotKeyOption(FixedHotKey::Pasteboard)))
        CustomSettings().setShortcutOptionForPasteboardWindow(QStringLiteral("option"));
    const auto flags = fixedHotKeyFlags(FixedHotKey::Pasteboard, storedHotKeyOption(FixedHotKey::Pasteboard));
    m_keyRefused = false;
    if (!flags) {
        qCInfo(lcPlugins) << "clipboard window key: none chosen";
        return std::nullopt;
    }
    const std::optional<quint32> reference = registerHotKey(kPasteboardKeyCode, *flags);
    if (reference)
        refs.insert(kPasteboardKeyCode, *reference);
    m_keyRefused = !reference;
    qCInfo(lcPlugins).noquote() << "clipboard window key" << hotKeyName(kPasteboardKeyCode, *flags)
                                << (reference ? "registered" : "not registered");
    return reference;
}

QString PluginsController::pasteboardKeyName()
{
    const auto flags = fixedHotKeyFlags(FixedHotKey::Pasteboard, storedHotKeyOption(FixedHotKey::Pasteboard));
    return flags ? hotKeyName(kPasteboardKeyCode, *flags) : QString();
}

void PluginsController::takeOffTheBar(const QString& name)
{
    // A removed tool is gone from the bar as well: a tile left there would
    // open a tool that no longer runs (a clipboard history that captures
    // nothing, a Pomodoro that does not count).
    CustomSettings settings;
    StringMap pinned = settings.pinedPlugins();
    if (pinned.remove(name) > 0)
        settings.setPinedPlugins(pinned);
    if (m_current.name == name)
        m_pinPlugin = false;
    // Its panel, if one is up, closes with it.
    if (const ToolRow* tool = toolNamed(name))
        m_state.popups[tool->tool] = false;
    m_state.publish();
}

void PluginsController::applyPinChange(bool on)
{
    if (on && !isInstalled(m_current.name)) {
        qCInfo(lcPlugins).noquote() << "not pinned:" << m_current.name << "is not installed";
        emit changed();
        return;
    }
    m_pinPlugin = on;
    CustomSettings settings;
    StringMap pinned = settings.pinedPlugins();
    if (on)
        pinned.insert(m_current.name, QStringLiteral("true"));
    else
        pinned.remove(m_current.name);
    settings.setPinedPlugins(pinned);
    m_state.publish();
    emit changed();
}

void PluginsController::applyReplaceFinderChange(bool on)
{
    CustomSettings settings;
    settings.setReplaceFinder(on);
    if (on) {
        // The file browser that stands in for the file manager must be on
        // the bar: the switch shows on, and so does the store.
        m_pinPlugin = true;
        StringMap pinned = settings.pinedPlugins();
        pinned.insert(kFastFinder, QStringLiteral("true"));
        settings.setPinedPlugins(pinned);
    }
    m_state.publish();
    emit changed();
}

void PluginsController::reloadInstalled()
{
    // At once, both ways: the clipboard capture and the Pomodoro tick ask
    // this list, and a removed tool must stop now, not at the next start.
    m_state.installedPlugins.clear();
    for (const Record& record : m_store.fetchAll(Entity::Plugins))
        m_state.installedPlugins.append(record);
    m_state.publish();
}
