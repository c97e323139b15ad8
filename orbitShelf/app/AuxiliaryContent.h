#pragma once

#include <QString>
#include <QWidget>

#include <optional>

// The views the auxiliary windows host. They belong to the dock bar, the
// settings windows and the clipboard history; until those land, each is a
// plain stand-in that says what it stands for.
QWidget* makeFullScreenToast(const QString& spaceID, qint64 windowNumber, double width, double height);
QWidget* makeGeneralConfig();
QWidget* makeQuitView();
QWidget* makePasteBoardView(std::optional<int> column, int limit);

// Closes the window switcher's popup (the switcher is not here yet).
void closeSwitcherPopup();
