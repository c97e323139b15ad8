#pragma once

#include <QObject>

// What a quit writes before the process ends, whichever way the end comes:
// the menu's Quit, a terminate signal, or the display's end, where the event
// loop never runs again (so QCoreApplication::aboutToQuit is never sent).
// Whoever holds something unwritten (the note being typed) connects to
// `saving` and writes it there. Main thread only.
class QuitSaving final : public QObject {
    Q_OBJECT
public:
    static QuitSaving& shared();

    // Sends `saving`; every receiver writes at once.
    void run() { emit saving(); }

signals:
    void saving();

private:
    QuitSaving() = default;
};
