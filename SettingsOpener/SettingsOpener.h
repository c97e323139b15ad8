#pragma once

// Lets any widget open the application's settings window in one call:
//
//     SettingsOpener::withSettingsOpener(page);            // once, high up
//     SettingsOpener::openSettings(someButtonOnThePage)();  // anywhere below
//
// The application registers its settings window once with setSettingsScene.
// How the window is asked for is a setting of the kit (OpeningWay): through
// a hidden link button whose own action opens the scene (the default), or
// by calling "showSettingsWindow" / "showPreferencesWindow" on the first
// object up the focus chain that has that invokable.
#include "SettingsOpener/PrePostActionsButtonStyle.h"

class QPushButton;
class QWidget;

namespace SettingsOpener {

enum class OpeningWay { link, showSettingsWindow, showPreferencesWindow };
void setOpeningWay(OpeningWay way);
OpeningWay openingWay();

// What the hidden link opens: the application's settings window.
void setSettingsScene(Action scene);

// Installs an opener for `content` and everything inside it; returns
// `content`. With the link way a hidden, zero-sized, fully transparent
// button is put behind the content.
QWidget* withSettingsOpener(QWidget* content);

// The opener of the nearest widget up the parent chain that has one; an
// action that does nothing when none has. A call made before the link's
// trigger is ready runs once, as soon as it is.
Action openSettings(const QWidget* widget);

// The fallback of every opener: calls the way's invokable up the focus
// chain (focus widget, its parents, the active window, the application);
// does nothing with the link way, or when nothing has the invokable.
void sendShowSettingsAction();

// The hidden link `content`'s opener placed, if any (for tests).
QPushButton* settingsLinkOf(const QWidget* content);

} // namespace SettingsOpener
