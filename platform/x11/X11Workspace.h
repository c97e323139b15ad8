#pragma once

#include "platform/DesktopEntry.h"
#include "platform/Workspace.h"
#include "platform/x11/X11Context.h"
#include "platform/x11/XConnection.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

namespace platform::x11 {

struct Snapshot;

// Running applications are the processes that own managed normal (or
// dialog) windows. Launch and quit notices follow _NET_CLIENT_LIST, read on a
// connection of its own on the thread the workspace lives on.
class X11Workspace final : public Workspace {
    Q_OBJECT
public:
    explicit X11Workspace(std::shared_ptr<X11Context> ctx);
    ~X11Workspace() override;

    QList<RunningApplication> runningApplications() override;
    std::optional<RunningApplication> frontmostApplication() override;
    RunningApplication currentApplication() override;

private:
    void readEvents();
    void update();
    std::vector<RunningApplication> fromSnapshot(const Snapshot& snap);
    // The applications of the managed windows now, reading only windows not
    // seen before; absent when the display did not answer. Named later, an
    // application carries its process and class only until it quits.
    enum class Naming { now, later };
    std::optional<std::vector<RunningApplication>> listedApplications(Naming naming = Naming::now);
    RunningApplication identify(qint32 pid, const QString& instance, const QString& klass);

    std::shared_ptr<X11Context> m_ctx;
    std::unique_ptr<XConnection> m_events;
    QSocketNotifier* m_notifier = nullptr;
    std::vector<RunningApplication> m_known; // first-seen order
    std::map<qint32, RunningApplication> m_identities;
    std::map<qint32, std::pair<QString, QString>> m_unnamed; // pid -> instance, class of known, unnamed ones
    std::optional<DesktopEntryIndex> m_index;
    // What the notices need of each managed window, read once when the
    // window first appears in the client list.
    struct WindowFacts {
        qint32 pid = 0;
        QString instance;
        QString klass;
        bool application = false; // counts as an application's window
    };
    std::map<quint32, WindowFacts> m_windowFacts;
};

} // namespace platform::x11
