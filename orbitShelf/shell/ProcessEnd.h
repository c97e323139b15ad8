#pragma once

#include "platform/EndRequests.h"

#include <QString>

#include <functional>

// The steps of the process's end. standard() gives the real ones; tests
// replace them to watch the order.
struct ProcessEndSteps {
    // The Quit's saving (AppDelegate::applicationWillTerminate).
    std::function<void()> save;
    // Ends the event loop, as the menu's Quit does.
    std::function<void()> quitEventLoop;
    // Closes the object store.
    std::function<void()> closeStore;
    // Ends the process with `status` at once: neither main() nor the
    // statics' destructors run, since Qt's objects stand on a display that
    // is gone.
    std::function<void(int status)> endProcess;

    static ProcessEndSteps standard(std::function<void()> save);
};

// Every end of the process takes the menu's Quit's way: the Quit's saving,
// once, then the store closed before any static goes, then an exit with a
// status (0), never a signal or a crash.
//
// - the menu's Quit (and a relaunch) end the event loop; willTerminate()
//   runs as it ends (aboutToQuit), and main() closes the store;
// - a terminate signal ends the event loop the same way;
// - the display's end cannot wait for the event loop (Qt's X11 back-end
//   would exit on its next pass): the saving runs at once, the store is
//   closed and the process ends.
//
// Main thread only.
class ProcessEnd final {
public:
    explicit ProcessEnd(ProcessEndSteps steps);

    // The event loop has ended: the Quit's saving, unless it ran already.
    void willTerminate();
    // One of the desktop's requests, as platform::EndRequests tells it.
    void handle(platform::EndRequest request, const QString& what);

private:
    void save();

    ProcessEndSteps m_steps;
    bool m_saved = false;
    bool m_quitAsked = false;
};
