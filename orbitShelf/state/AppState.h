#pragma once

#include "state/Persistence.h"
#include "state/AppSubStates.h"
#include "state/CustomSettings.h"
#include "state/MapSetting.h"
#include "state/CustomPomodoro.h"
#include "state/ToolTable.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class ActiveApp;
class Windows;
class WindowClickedOrder;

// Process ids are signed 32-bit, window numbers the X server's 32-bit ids.
using ProcessId = qint32;
using WindowNumber = quint32;

// The one application-wide state, owned by the main thread.
//
// Published members are plain fields: code that changes them finishes with
// publish() (stamp lastUpdateTime, send changed()), and views re-read the
// state on changed(). Stored members are accessors over the user defaults
// (CustomSettings.h lists them all): a read keeps what it read until the
// store changes (any write, removal or change of file) and the store keeps
// what it read until its next write; a write stores at once. Writing one
// sends no notice, except through `settings`, whose writes send changed()
// so bound controls redraw.
//
// Other threads never touch it: they post their changes to the main thread
// (QMetaObject::invokeMethod on qApp with Qt::QueuedConnection).
class AppState final : public QObject {
    Q_OBJECT
public:
    // Created on first use, on whichever thread asks first, and moved to the
    // main thread; lives until the process ends.
    static AppState& shared();

    // Only shared() and tests create one.
    explicit AppState(QObject* parent = nullptr);
    ~AppState() override;

    // --- published -----------------------------------------------------------
    QMap<ProcessId, std::shared_ptr<ActiveApp>> allApps;
    QList<WindowNumber> allOldWindows;
    QMap<WindowNumber, bool> focusedWindow;
    WindowNumber previousAppWindow = 0;
    QMap<WindowNumber, int> windowOrders;
    QMap<ProcessId, int> appOrders;

    // --- stored (ORBITSHELF_STATE_SETTINGS) -----------------------------------
    // appOrdersCache, needRestoreOrderRestarted, needRestorePomodoro,
    // favoriteDir (the file browser's favourite folders, joined with ";"),
    // windowtagNameCache, windowtagColorCache, windowHotkeyCache; each with
    // its setter.
    ORBITSHELF_STATE_SETTINGS(ORBITSHELF_SETTING_ACCESSORS)

    // --- sub-states (their members are stored) --------------------------------
    AppIcon appIcon;
    CustomSettings settings;

    // --- published -----------------------------------------------------------
    QDateTime lastUpdateTime;
    QMap<QString, QString> appBadge;
    QList<Record> installedPlugins;
    QList<std::shared_ptr<ActiveApp>> pinnedAnNotRunning;
    bool openFromPinbar = false;
    CustomDirectory directory;
    CustomPomodoro pomodoro;
    CustomNote note;
    bool needUpdate = false;
    // Per-screen maps, keyed by the screen key text.
    QMap<QString, double> spaceScreenWidth;
    QMap<QString, double> spaceScreenHeight;
    QMap<QString, QString> spaceListmode;
    QMap<QString, int> spaceWindowTagWidth;
    QMap<QString, double> spaceDockHeight;
    QMap<QString, bool> showSpaceDock;
    qint32 totalAppCount = 0;
    // The clock of the bar's tick, a single shot that the main dock arms for
    // the next second with work; precise, so the Pomodoro keeps time.
    QTimer* pomodoroTimer = nullptr;
    // One flag per built-in tool (showPomodoroPopup, showPasteboardPopup,
    // ...: the row's `popup` in state/ToolTable): the bar has that tool open.
    ToolPopups popups;
    QMap<QString, double> spaceButtonScale;

    // Whether a built-in tool of exactly that name (case-sensitive) is installed.
    bool isPluginInstalled(const QString& name) const;

    // The publication convention: lastUpdateTime = now, then changed().
    void publish();
    // A window's new title and nothing else: lastUpdateTime = now, then
    // titleChanged(). Renames are the most frequent change a desktop sends
    // and most views do not show titles, so they get a notice of their own.
    void publishTitle(quint32 windowNumber);

signals:
    // The change notice: views re-read what they show.
    void changed();
    // The window of that number has a new title; views that show titles
    // listen to this as well as to changed().
    void titleChanged(quint32 windowNumber);
    // A view that counts seconds on screen (the Pomodoro's panel) was shown:
    // the tick wakes every second again.
    void secondsShown();
};
