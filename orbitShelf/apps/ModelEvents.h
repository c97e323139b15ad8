#pragma once

#include <QObject>
#include <QString>

// What the model tells the rest of the program. The model never calls a
// feature (the bar, the switcher, the tools' windows): it emits here, and
// the shell connects whoever has to react. Emitted on the main thread.
class ModelEvents final : public QObject {
    Q_OBJECT
public:
    static ModelEvents& shared();

signals:
    // An activation from `source` ("Dock", "FloatDock", "StatusDock")
    // begins; a window is about to be chosen.
    void activationStarted(const QString& source);
    // The window of that number was brought forward from `source`.
    void windowActivated(quint32 windowNumber, const QString& source);
    // The user clicked a window (ours or another program's) with the left
    // button; open panels other than the clicked one should close.
    // `serverTime` is the desktop's time of the release (0: unknown): the
    // click may be read after keys the desktop saw after it.
    void windowClicked(qint64 windowNumber, quint32 serverTime);
    // A window entered full screen on a screen whose bar stays up.
    void fullScreenOverBar(const QString& screenKey, qint64 windowNumber);
};
