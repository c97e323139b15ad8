#pragma once

// What identifies a monitor across restarts and re-plugging: its EDID when
// the output has one, else the RandR output name it is attached to.

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUuid>

#include <optional>
#include <vector>

namespace platform {

struct DisplayDescription final {
    QString outputName; // RandR output, e.g. "HDMI-1"
    QByteArray edid; // empty when the output reports none
    // Two identical monitors can carry byte-identical EDIDs; the output name
    // then has to tell them apart.
    bool edidSharedWithAnotherOutput = false;
};

// The screens as the server has them at one moment: its root and each
// RandR monitor, named after its output, in the server's pixels.
struct ServerScreens final {
    struct Monitor {
        QString name;
        QRect place;
        friend bool operator==(const Monitor&, const Monitor&) = default;
    };
    QSize root;
    std::vector<Monitor> monitors;
    friend bool operator==(const ServerScreens&, const ServerScreens&) = default;
};

class ScreenIdentity {
public:
    virtual ~ScreenIdentity() = default;
    // Nothing when the output is unknown (or there is no RandR at all).
    virtual std::optional<DisplayDescription> describe(const QString& outputName) = 0;
    // Where the screen of that name (a RandR monitor, named after its
    // output) stands on the root now, as the server has it; nothing when
    // the server tells nothing of it.
    virtual std::optional<QRect> place(const QString& screenName)
    {
        (void)screenName;
        return std::nullopt;
    }
    // The screens as the server has them now, read afresh (never a reading
    // kept for a moment, as place() may give); nothing when it cannot tell.
    virtual std::optional<ServerScreens> screensNow() { return std::nullopt; }
};

// A name-based (version 5) UUID from the EDID's base block, or from the
// output name when there is no EDID; a null UUID when there is neither.
QUuid displayUuid(const DisplayDescription& display);

// 36 characters, upper-case hex in 8-4-4-4-12 groups, no braces.
QString uuidText(const QUuid& uuid);

} // namespace platform
