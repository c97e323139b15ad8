#pragma once

// What the user is shown outside the bar's own windows: a one-button alert,
// and the system's page for the Accessibility permission.

#include <QString>

#include <functional>

// A one-button ("ok") alert. Who presents it is installed from above: the
// shell installs the message box (widgets/AlertBox) at start; tests install
// a recorder. With neither, the alert is logged. It returns at once: no
// caller waits for the user to close it.
using AlertPresenter = std::function<void(const QString& message, const QString& informative)>;
void showAlert(const QString& message, const QString& informative);
// Installs a presenter that takes precedence; an empty one restores the default.
void setAlertPresenter(AlertPresenter presenter);
// The presenter used when none was installed with setAlertPresenter.
void setDefaultAlertPresenter(AlertPresenter presenter);

// There is no Accessibility settings page to open on X11: logs that and
// returns false.
bool openAccessibilitySettings();
