#pragma once

// The rules of the "Plugins" settings page: the built-in tools as the page
// lists them (from the tool table, state/ToolTable), installing and removing
// them in the object store, pinning them on the bar, "Replace Finder", and
// the clipboard window's hot key that comes with "Pasteboard". No widgets:
// PluginsView shows what this decides.

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class AppState;
class PersistenceController;

// One built-in tool as the page lists it.
struct Plugin {
    QString name; // also its Plugins record's name and its pinedPlugins key
    QString icon; // the name of the bar's tool-tile picture
    bool isImage = true;
    bool active = true; // false: not installable yet, the page says "waiting"
};

// Every tool of the tool table, in its order (the grid's).
const std::vector<Plugin>& pluginList();
// The entry of that name; nothing for an unknown name.
std::optional<Plugin> pluginNamed(const QString& name);

// How the pin switch shows for a tool. Its label says what ticking does, as
// a checkbox's does; a tool that is not installed cannot be pinned yet, and
// the switch says so rather than storing a pin for nothing.
struct PinSwitchLook {
    QString title;
    bool checked = false;
    bool enabled = false;
};
PinSwitchLook pinSwitchLook(const Plugin& plugin, bool installed, bool storedAsPinned);

// The clipboard window's key: P, with the modifier the Shortcut page holds
// (by default Option and Shift, Alt+Shift+P here).
inline constexpr quint16 kPasteboardKeyCode = 35;

class PluginsController final : public QObject {
    Q_OBJECT
public:
    // The hot key goes through the program's registry (switcher/Hotkey).
    PluginsController(AppState& state, PersistenceController& store, QObject* parent = nullptr);

    const Plugin& currentPlugin() const { return m_current; }
    bool pinPlugin() const { return m_pinPlugin; }

    // Whether the store holds a record of that name (the button's label and
    // colour follow this).
    bool isInstalled(const QString& name) const;
    // "Remove" or "Install" for the selected tool.
    QString installButtonTitle() const;
    // The pin switch of the selected tool.
    PinSwitchLook pinSwitch() const;
    QString pinTitle() const { return pinSwitch().title; }
    // Whether the clipboard window's key could not be had at the last install
    // of "Pasteboard" (another program holds it).
    bool pasteboardKeyRefused() const { return m_keyRefused; }
    // The name of the clipboard window's key as the Shortcut page chose it
    // ("Alt + Shift + P"); empty when it chose none.
    static QString pasteboardKeyName();

    // Each time the page is shown.
    void appear();
    void selectPlugin(const QString& name);
    void toggleInstall(const QString& name);
    // The user moved the pin switch. Refused (nothing stored) while the
    // selected tool is not installed.
    void applyPinChange(bool on);
    // The user moved "Replace Finder" (the selected tool is "FastFinder").
    void applyReplaceFinderChange(bool on);

signals:
    // Something the page shows changed: a save touched the tools' records,
    // the selection or the pin switch moved.
    void changed();

private:
    std::optional<quint32> bindPasteboardKey();
    // A removed tool: unpinned, its panel closed.
    void takeOffTheBar(const QString& name);
    // AppState's list of installed tools, read again from the store.
    void reloadInstalled();

    AppState& m_state;
    PersistenceController& m_store;
    Plugin m_current;
    bool m_pinPlugin = false;
    bool m_keyRefused = false;
};
