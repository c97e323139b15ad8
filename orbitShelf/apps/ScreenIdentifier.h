#pragma once

// The text every per-screen map and setting is keyed by.

#include "platform/ScreenIdentity.h"

#include <QString>

#include <optional>

class QScreen;

// The display UUID behind a screen (upper-case 8-4-4-4-12), from its EDID
// when the installed screen identity (platform::screenIdentity()) reports
// one, else from its output name; nothing for no screen or a screen without
// a name. Safe to call from any thread.
std::optional<QString> screenIdentifier(const QScreen* screen);

// "Optional(<UUID>)" or "nil": the key form stored settings already use.
QString screenKeyText(const std::optional<QString>& identifier);
QString screenIdentifierKey(const QScreen* screen);
