#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace platform {

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

// A process that owns at least one managed normal window, with its identity
// resolved to a desktop entry where one matches.
struct RunningApplication {
    qint32 processIdentifier = 0;
    QString localizedName;                  // the entry's Name, else WM_CLASS
    std::optional<QString> bundleIdentifier;// the desktop-file id ("org.example.App")
    std::optional<QString> bundleURL;       // path of the desktop file
    std::optional<QString> executableURL;   // path of the process's executable (/proc/<pid>/exe)
    QString iconName;                       // the entry's Icon, else the lower-case class
    bool iconFromEntry = false; // iconName is the entry's Icon
    QString windowClass;                    // WM_CLASS class of its first window
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool ownsMenuBar = false;
    bool isTerminated = false;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// The running applications and their launch and quit notices. Call it on
// the thread it lives on (the main thread in the app). The notices
// are emitted on the thread the workspace lives on (the main thread in the
// app): a launch when a process gets its first managed window, a quit when
// its last one goes or the process ends.
class Workspace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Workspace() override = default;

    // In the order in which the applications were first seen.
    virtual QList<RunningApplication> runningApplications() = 0;
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // Our own process, as the workspace would list it.
    virtual RunningApplication currentApplication() = 0;

signals:
    void applicationLaunched(const platform::RunningApplication& application);
    void applicationTerminated(const platform::RunningApplication& application);
};

} // namespace platform
