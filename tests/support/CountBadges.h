#pragma once

// Count badges as applications send them (Unity's LauncherEntry signal on
// the session bus), and where the screen shows one.

#include "tests/e2e_dock_input/BarInput.h"
#include "tests/support/X11TestTools.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace orbitshelf::test {

// An application on the session bus at `address` that stays until it
// leaves: a count it sent goes with it.
class BadgeSender final {
public:
    BadgeSender(const QString& address, const QString& name)
        : m_name(name)
        , m_connection(QDBusConnection::connectToBus(address, name))
    {
    }
    ~BadgeSender() { leave(); }
    BadgeSender(const BadgeSender&) = delete;
    BadgeSender& operator=(const BadgeSender&) = delete;

    bool send(const QString& appUri, const QVariantMap& properties)
    {
        auto signal
            = QDBusMessage::createSignal("/org/example/app", "com.canonical.Unity.LauncherEntry", "Update");
        signal << appUri << properties;
        return m_connection.send(signal);
    }
    bool sendRaw(const QDBusMessage& message) { return m_connection.send(message); }
    void leave()
    {
        // The connection closes only once no handle refers to it.
        m_connection = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(m_name);
    }

private:
    QString m_name;
    QDBusConnection m_connection;
};

// The red of a count badge where the screen shows it in the `rows` rows
// right above `button` (the server's pixels), past the bar's panel: the
// middle of those red pixels, as a user aims at the badge; nothing when
// none shows.
inline std::optional<QPoint> badgePastThePanel(const QRect& button, int rows)
{
    const QRect above(button.left(), button.top() - rows, button.width(), rows);
    const QImage shown = screenArea(above);
    QRect red;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) == qRgb(255, 0, 0))
                red |= QRect(above.x() + x, above.y() + y, 1, 1);
    return red.isNull() ? std::nullopt : std::optional(red.center());
}

// What a user sees of a badge's button from the badge: with `other` the
// active window, the pointer on `onBadge` shows the preview of `window`
// with its title, and a click there brings `window` to the front.
struct BadgeAnswers {
    bool titled = false;
    bool activated = false;
};
inline BadgeAnswers hoverAndClickBadge(
    const DockRun& run, QPoint onBadge, const QString& window, const QString& other)
{
    xdotool({ "windowactivate", "--sync", other });
    if (!waitUntil([&] { return activeWindow() == other; }))
        return {};
    BadgeAnswers answers;
    answers.titled = hoverUntilPreviewed(run, onBadge, window);
    click(onBadge);
    answers.activated = waitUntil([&] { return activeWindow() == window; });
    return answers;
}

} // namespace orbitshelf::test
