// A small window with a shortcut recorder, for the end-to-end tests of the
// shortcut kit: the control is bound to a value that an action of the
// shared global monitor observes, on the X server's real keyboard.
//
// It tells the test what a user would see, one line each on standard output:
//   control X,Y WxH     where the control stands on the screen, once shown
//   label TEXT          what the control shows, whenever that changes
//   stored READABLE     the bound value, whenever it changes ("none" cleared)
//   fired READABLE      the global action ran on a key press
//   recording 1/0       recording began or ended
//
// --allow-empty lets a key without modifiers be recorded.
#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/KCObservable.h"
#include "KeyComboKit/widgets/KCRecorderControl.h"
#include "KeyComboKit/x11/KCX11HotKeyBackend.h"
#include "KeyComboKit/x11/KCX11KeyLayoutSource.h"

#include <QApplication>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <cstdio>

namespace {

class Preferences final : public KCObservable { };

void say(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString readable(const QVariant& value)
{
    const KCShortcutRef shortcut = KCShortcutFromVariant(value);
    return shortcut ? shortcut->readableStringRepresentation(true) : QStringLiteral("none");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);

    KCX11KeyLayoutSource layouts;
    KCSetKeyLayoutSource(&layouts);
    KCX11HotKeyBackend hotKeys;
    KCSetHotKeyBackend(&hotKeys);

    Preferences preferences;
    preferences.addObserver(QStringLiteral("shortcut"), KCObservable::optionNew, [](const KCChange& change) {
        if (!change.isPrior)
            say(QStringLiteral("stored ") + readable(change.newValue));
    });
    const auto action
        = KCShortcutAction::withKeyPath(QStringLiteral("shortcut"), &preferences, [](KCShortcutAction* a) {
              say(QStringLiteral("fired ") + readable(QVariant::fromValue(a->shortcut())));
              return true;
          });
    KCGlobalShortcutMonitor::sharedMonitor().addAction(action, KCKeyEventTypeDown);

    QWidget window;
    window.setWindowTitle(QStringLiteral("KeyComboKit probe"));
    auto* layout = new QVBoxLayout(&window);
    auto* control = new KCRecorderControl;
    layout->addWidget(control);
    if (app.arguments().contains(QStringLiteral("--allow-empty")))
        control->setAllowedModifierFlags(kc::mask, 0, true);
    control->bindValue(&preferences, QStringLiteral("shortcut"));
    QObject::connect(control, &KCRecorderControl::recordingChanged,
        [](bool recording) { say(QStringLiteral("recording %1").arg(recording ? 1 : 0)); });
    window.resize(320, 80);
    window.move(600, 300);
    window.show();

    // What the control shows, as it changes; where it stands, once mapped.
    QString shown;
    QRect placed;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QRect at(control->mapToGlobal(QPoint(0, 0)), control->size());
        if (control->isVisible() && window.windowHandle() && window.windowHandle()->isExposed()
            && at != placed) {
            placed = at;
            say(QStringLiteral("control %1,%2 %3x%4")
                    .arg(at.x())
                    .arg(at.y())
                    .arg(at.width())
                    .arg(at.height()));
        }
        if (const QString label = control->drawingLabel(); label != shown) {
            shown = label;
            say(QStringLiteral("label ") + label);
        }
    });
    watch.start(10);
    return app.exec();
}
