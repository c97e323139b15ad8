#pragma once

#include <QMap>
#include <QString>

#include <optional>

// A text-to-text map as kept in one user-defaults value: its compact JSON
// object text. Nine stored values use it (window tag caches, per-screen
// positions, sizes and auto-hide flags, the application order cache …).
using StringMap = QMap<QString, QString>;

// The JSON object text of the map; "[:]" when it cannot be encoded (stored
// data written by earlier versions holds that text, so it must stay).
QString mapRawValue(const StringMap& map);

// The map of a stored text; nothing when the text is not a JSON object whose
// members are all strings.
std::optional<StringMap> mapFromRawValue(const QString& text);
