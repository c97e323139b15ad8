#pragma once

#include "state/CustomSettings.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QVariantList>

// Icon size of the bar's buttons. Width and height share one key on purpose:
// the icon is always square, and a change of either changes both. Each is
// held to the bar it is drawn in: a file may hold any number, and an icon
// taller than the bar is cut at both of its edges. Writes send no notice:
// the appearance page publishes once after its writes.
class AppIcon final : public WriteNotice {
public:
    static constexpr double defaultHeight = kIconHeightDefault;
    static constexpr double defaultWidth = kIconHeightDefault;
    double height() const;
    void setHeight(double value) const;
    double width() const;
    void setWidth(double value) const;

private:
    ORBITSHELF_ICON_SETTINGS(ORBITSHELF_SETTING_ACCESSORS)
};

// The note being edited. Its writes send no notice: the notes tool writes
// the draft as it is typed and publishes when it replaces it.
class CustomNote final {
public:
    ORBITSHELF_NOTE_SETTINGS(ORBITSHELF_SETTING_ACCESSORS)
};

// Where the file browser stands; plain values, not stored.
struct CustomDirectory final {
    QUrl currentUrl;
    QVariantList columns;
    QList<QUrl> parentDirectories;
};
