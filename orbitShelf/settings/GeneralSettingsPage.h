#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class AppState;
class SerialQueue;

// What the "General" page sets in motion outside itself. Tests script them.
struct GeneralSettingsServices {
    std::function<bool()> screenCaptureAllowed;
    std::function<void()> requestScreenCapture;
    std::function<void()> createDockWindows;
    std::function<void()> closeDockWindows;
    // Asks the placeholder application's process to quit, when it holds one
    // that is not this process.
    std::function<void()> quitPlaceholderApp;
    std::function<void()> quitApplication;
    std::function<bool()> needUpdate;
    // The vendor's site: empty when none is configured (no update link then).
    QString siteName;
    QString siteUrl;
};
// The program's own: the dock windows, the placeholder, the event loop.
GeneralSettingsServices standardGeneralSettingsServices();

// The nine switches, in the order the page shows them (rows 2 to 10).
enum class GeneralSwitch {
    mouseInWindow,
    showBadge,
    disablePreview,
    enableAutoHideWhenFullScreen,
    restartDockWhenWake,
    showProcessInfo,
    showLunchpadButton,
    supportMultiScreens,
    hideMainButton,
};

struct GeneralSwitchSpec {
    GeneralSwitch which;
    QString title;
    QString note; // shown after the switch on the same line; mostly empty
    QString key; // the user-defaults key it stores
    bool stamps; // whether a change redraws every view at once
};
const std::vector<GeneralSwitchSpec>& generalSwitchSpecs();

// The page's state: each switch seeded once from the stored settings; a
// change stores at once and, as its row says, stamps the app state, asks
// for the capture permission or rebuilds the per-screen docks.
class GeneralSettingsPage final {
public:
    GeneralSettingsPage(AppState& state, SerialQueue& queue, GeneralSettingsServices services);

    bool value(GeneralSwitch which) const;
    // Does nothing when the value is unchanged (a switch only reports changes).
    void change(GeneralSwitch which, bool on);
    // "BadgeExample" or "BadgeExampleNone", as the badge switch stands.
    QString badgePicture() const;
    // Empty while no update is known or no site is configured.
    QString updateLinkLabel() const;
    const GeneralSettingsServices& services() const { return m_services; }
    void quit();

private:
    AppState& m_state;
    SerialQueue& m_queue;
    GeneralSettingsServices m_services;
    bool m_values[9];
};

// The "General" tab: the launch-at-startup switch, the nine switches, "Quit
// Dock" and, while an update is known, the link to the vendor's site.
class GeneralSettingsView final : public QWidget {
public:
    explicit GeneralSettingsView(QWidget* parent = nullptr);
    GeneralSettingsView(
        AppState& state, SerialQueue& queue, GeneralSettingsServices services, QWidget* parent = nullptr);

    GeneralSettingsPage& page() { return m_page; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void logPlaces();
    GeneralSettingsPage m_page;
};
