#include "shell/ProcessEnd.h"

#include "state/Logging.h"
#include "state/Persistence.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

ProcessEndSteps ProcessEndSteps::standard(std::function<void()> save)
{
    ProcessEndSteps steps;
    steps.save = std::move(save);
    steps.quitEventLoop = [] { QCoreApplication::quit(); };
    steps.closeStore = [] { PersistenceController::closeShared(); };
    steps.endProcess = [](int status) {
        std::fflush(nullptr);
        std::_Exit(status);
    };
    return steps;
}

ProcessEnd::ProcessEnd(ProcessEndSteps steps)
    : m_steps(std::move(steps))
{
}

void ProcessEnd::willTerminate()
{
    save();
}

void ProcessEnd::handle(platform::EndRequest request, const QString& what)
{
    switch (request) {
    case platform::EndRequest::terminate:
        if (m_quitAsked || m_saved)
            return;
        m_quitAsked = true;
        qCWarning(lcApp).noquote() << "orbitShelf is asked to end (" + what + "): it quits as from its menu";
        m_steps.quitEventLoop();
        return;
    case platform::EndRequest::displayGone:
        qCWarning(lcApp).noquote() << "orbitShelf ends: the display is gone (" + what
                + "); it saves what Quit saves and closes its store";
        save();
        m_steps.closeStore();
        qCWarning(lcApp).noquote() << "orbitShelf ended with the display, exit status 0";
        m_steps.endProcess(0);
        return;
    }
}

void ProcessEnd::save()
{
    if (m_saved)
        return;
    m_saved = true;
    m_steps.save();
}
