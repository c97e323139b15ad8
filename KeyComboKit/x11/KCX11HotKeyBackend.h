#pragma once

// Hot keys as passive key grabs on the root window, on the kit's own X
// connection (read on the thread that made the backend, normally the main
// one). Command, Option, Control map to Control, Mod1, Mod4; each key is
// also grabbed with Caps Lock and Num Lock on, so either lock leaves it
// working. A held key reports one press and one release.
//
// As the system's shortcut source it answers whether another client holds
// a combination by trying the grab itself and letting go at once; the keys
// this backend holds are its own and never count as taken.
#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/KCSystemShortcutSource.h"

#include <QObject>

#include <memory>

class KCX11HotKeyBackend final : public QObject, public KCHotKeyBackend, public KCSystemShortcutSource {
    Q_OBJECT
public:
    // DISPLAY when `display` is empty.
    explicit KCX11HotKeyBackend(const QString& display = QString(), QObject* parent = nullptr);
    ~KCX11HotKeyBackend() override;

    // False when the display could not be reached; every registration then
    // fails.
    bool isValid() const;

    qint32 registerHotKey(const KCShortcut& shortcut, quint32 signature, quint32 id, quintptr* ref) override;
    qint32 unregisterHotKey(quintptr ref) override;
    qint32 installEventHandler(KCGlobalShortcutMonitor* monitor) override;
    qint32 removeEventHandler(KCGlobalShortcutMonitor* monitor) override;
    qint32 isShortcutTaken(const KCShortcut& shortcut, bool* taken) override;

    // Reads what the server has sent; the notifier calls it, tests and
    // benchmarks without an event loop may too.
    void readEvents();

private:
    void scheduleRead();
    struct Private;
    std::unique_ptr<Private> d;
};
