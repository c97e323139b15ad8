#pragma once

#include <functional>

// The launch routine's calls into other subsystems. The defaults are the
// real functions; tests replace them to watch the order.
struct LaunchSteps {
    std::function<void()> buildDockWindows;
    std::function<void()> registerAppListeners;
    std::function<void()> recordPomodoroRun;
    std::function<void()> setAccessoryActivationPolicy;
    std::function<void()> startAXBackgroundWork;

    static LaunchSteps standard();
};

// Brings the process from "windows made" to working: first-run values or
// closing the onboarding window, dock windows, listeners, Pomodoro resume,
// accessory policy, window event thread.
class AppDelegate final {
public:
    explicit AppDelegate(LaunchSteps steps = LaunchSteps::standard());

    // Called once from the event loop when the application has started.
    void applicationDidFinishLaunching();
    // The Quit's saving, whichever way the process ends (ProcessEnd): the
    // Pomodoro's counted seconds are written and a running one is marked to
    // go on at the next start, and whoever holds something unwritten writes
    // it (QuitSaving); every other store writes through.
    void applicationWillTerminate();

    void finishLaunching();

private:
    LaunchSteps m_steps;
};
