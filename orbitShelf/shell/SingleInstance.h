#pragma once

#include <QObject>
#include <QString>

#include <functional>

// One orbitShelf per user and display. The claim is an flock(2) on a file in
// $XDG_RUNTIME_DIR named for the display: the kernel lets it go with the
// process however it ends (kill -9 included), and the file never has to be
// cleaned up. Held for the life of the object; children never inherit it.
class SingleInstanceLock final {
public:
    // `runtimeDir` empty: $XDG_RUNTIME_DIR, else a private folder in /tmp.
    explicit SingleInstanceLock(const QString& display, const QString& runtimeDir = QString());
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Takes the lock, waiting up to `waitMs` for a holder to go (0: asks
    // once). False while another process holds it, or when the file cannot
    // be opened (then error() says why).
    bool acquire(int waitMs = 0);
    bool held() const { return m_fd >= 0 && m_held; }
    QString path() const { return m_path; }
    QString error() const { return m_error; }

    // The lock file's name for a display, e.g. ":0" gives "orbitShelf-_0.lock".
    static QString fileNameFor(const QString& display);

private:
    QString m_path;
    QString m_error;
    int m_fd = -1;
    bool m_held = false;
};

// The running instance's name on the session bus; other programs (and a
// second start) reach it there.
inline constexpr char kSingleInstanceBusName[] = "io.orbitshelf.OrbitShelf";
inline constexpr char kSingleInstanceObjectPath[] = "/io/orbitshelf/OrbitShelf";
// The external events a start may name as its one argument.
inline constexpr char kOnboardingWindowEvent[] = "OnboardingWindow";

// Said by a start that finds orbitShelf running on its display.
inline constexpr char kAlreadyRunningMessage[] = "orbitShelf is already running.";

// The object the running instance offers on the session bus. An event is
// taken only when it names this instance's display, so that a bus shared by
// several displays never opens a window on the wrong one.
class ExternalEvents final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.orbitshelf.OrbitShelf")
public:
    using Handler = std::function<bool(const QString& identifier)>;
    ExternalEvents(QString display, Handler handler, QObject* parent = nullptr);

    // Registers the object and asks for the bus name. False without a
    // session bus or when the name is another process's (then `error`).
    bool publish(QString* error = nullptr);

public Q_SLOTS:
    // True when the event was for this display and was handled.
    Q_SCRIPTABLE bool HandleExternalEvent(const QString& display, const QString& identifier);
    // Whether this instance runs the bar of `display`: a second start asks
    // it when the lock file could not tell (another runtime folder).
    Q_SCRIPTABLE bool ServesDisplay(const QString& display) const;

private:
    QString m_display;
    Handler m_handler;
};

// The lock file is one place of the guard, the bus name the other: a start
// whose $XDG_RUNTIME_DIR differs from the running one's (unset, say) takes
// a lock of its own, and only the bus tells it that a bar runs on its
// display. Needs a QCoreApplication. False without a session bus, with no
// owner of the name, or when the owner serves another display.
bool instanceRunsOnBus(const QString& display);

// A second start hands its argument to the running instance over the bus.
// Needs a QCoreApplication. False with a reason when nothing took it.
bool sendExternalEvent(const QString& display, const QString& identifier, QString* error);

// The display this process serves, as the lock and the bus name it.
QString currentDisplayName();

// Relaunches mark the new process so that it waits for the old one's lock.
inline constexpr char kRelaunchEnvironment[] = "ORBITSHELF_RELAUNCH";
inline constexpr int kRelaunchLockWaitMs = 5000;
