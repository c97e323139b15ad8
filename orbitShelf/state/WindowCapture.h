#pragma once

// A window's current picture, for the bar's previews and drags.

#include <QImage>

#include <optional>

// The current picture of a window from the window server; nothing for a
// minimised, unmapped or vanished window, or before a platform is installed.
// Without `bestResolution` a HiDPI picture is scaled to logical pixels.
std::optional<QImage> captureWindowImage(bool bestResolution, quint32 windowNumber);
