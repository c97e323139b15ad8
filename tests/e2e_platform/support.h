#pragma once

#include "platform/Platform.h"
#include "tests/support/XvfbSession.h"

#include <QString>

#include <memory>
#include <optional>

namespace orbitshelf::test {

// The X11 platform of this test program, created on first use against the
// private display.
platform::Platform& x11();

// Starts an xterm with this title and class and waits until the window list
// shows it; returns its window id (0 on failure) and its pid.
struct Client {
    qint64 pid = 0;
    quint32 window = 0;
};
Client startClient(const QString& title, const QString& klass, const QString& geometry = QStringLiteral("40x10+50+50"));

std::optional<platform::ServerWindow> listed(quint32 window);
bool windowExists(quint32 window); // asks xwininfo, not our layer

} // namespace orbitshelf::test
