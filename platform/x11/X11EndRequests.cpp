#include "platform/x11/X11EndRequests.h"

#include "platform/Logging.h"
#include "platform/TerminateSignals.h"
#include "platform/x11/XConnection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QThread>

#include <X11/Xlib.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace platform::x11 {

namespace {

    class X11EndRequests;
    // The one in use, set and cleared on the main thread: Xlib's I/O error
    // handler and Qt's message handler are the process's, so there is one at
    // a time. Only the main thread follows the pointer.
    std::atomic<X11EndRequests*> g_active { nullptr };
    // What the handlers replaced, read on any thread (a message may be
    // logged anywhere, also while the object goes).
    std::atomic<QtMessageHandler> g_previousMessageHandler { nullptr };
    std::atomic<XIOErrorHandler> g_previousIoHandler { nullptr };

    bool onMainThread()
    {
        return QCoreApplication::instance()
            && QThread::currentThread() == QCoreApplication::instance()->thread();
    }

    // Runs `step` on the main thread: at once when called there, else queued.
    template <class Step> void onMain(Step step)
    {
        if (onMainThread())
            step();
        else if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(step), Qt::QueuedConnection);
    }

    QNativeInterface::QX11Application* x11Application()
    {
        return qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    }

    int onXlibIoError(Display* display);
    void stayAfterXlibIoError(Display*, void*) { }
    void watchQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message);

    class X11EndRequests final : public EndRequests {
    public:
        X11EndRequests()
            : m_signals([this](int signal) {
                tell(EndRequest::terminate,
                    QStringLiteral("%1 received").arg(TerminateSignals::nameOf(signal)));
            })
        {
            if (QNativeInterface::QX11Application* x11 = x11Application())
                m_display = x11->display();
            g_previousIoHandler.store(XSetIOErrorHandler(&onXlibIoError));
            // Returning from the I/O error handler is then allowed: Xlib
            // keeps the process alive and turns the dead display's calls into
            // no-ops, until the main thread ends the process.
            if (m_display)
                XSetIOErrorExitHandler(m_display, &stayAfterXlibIoError, nullptr);
            g_previousMessageHandler.store(qInstallMessageHandler(&watchQtMessages));
            g_active.store(this);
        }

        ~X11EndRequests() override
        {
            g_active.store(nullptr);
            // A handler installed after ours stays.
            const QtMessageHandler current = qInstallMessageHandler(g_previousMessageHandler.load());
            if (current != &watchQtMessages)
                qInstallMessageHandler(current);
            XSetIOErrorHandler(g_previousIoHandler.load());
            if (m_display)
                XSetIOErrorExitHandler(m_display, nullptr, nullptr);
        }

        void watch(Handler handler) override
        {
            m_handler = std::move(handler);
            // What came before anyone listened (a signal while the app
            // starts).
            if (m_handler)
                for (const auto& [request, what] : std::exchange(m_waiting, {}))
                    tell(request, what);
        }

        // Main thread.
        void tell(EndRequest request, const QString& what)
        {
            if (!m_handler) {
                m_waiting.emplace_back(request, what);
                return;
            }
            if (request == EndRequest::displayGone) {
                if (m_displayGoneTold)
                    return;
                m_displayGoneTold = true;
            }
            m_handler(request, what);
        }

        bool listening() const { return static_cast<bool>(m_handler); }

        // Main thread: the display counts as gone once the application's
        // connection is broken, or breaks on one round trip.
        void checkDisplay(const QString& what)
        {
            QNativeInterface::QX11Application* x11 = x11Application();
            xcb_connection_t* c = x11 ? x11->connection() : nullptr;
            if (!c)
                return;
            if (!xcb_connection_has_error(c))
                if (XConnection* application = XConnection::ofApplication())
                    application->reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(application->raw()));
            if (xcb_connection_has_error(c))
                tell(EndRequest::displayGone, what);
            else
                qCWarning(lcPlatform).noquote() << what + QStringLiteral(", but the display still answers");
        }

    private:
        TerminateSignals m_signals;
        Handler m_handler;
        std::vector<std::pair<EndRequest, QString>> m_waiting;
        bool m_displayGoneTold = false;
        Display* m_display = nullptr;
    };

    int onXlibIoError(Display* display)
    {
        const QString what = QStringLiteral("Xlib: the X11 connection broke");
        X11EndRequests* active = g_active.load();
        if (active && onMainThread() && active->listening()) {
            // Ends the process; it returns only when the display's end was
            // told already (this handler entered again while saving).
            active->tell(EndRequest::displayGone, what);
            return 0;
        }
        if (active && !onMainThread()) {
            onMain([what] {
                if (X11EndRequests* active = g_active.load())
                    active->tell(EndRequest::displayGone, what);
            });
            return 0;
        }
        // Nobody listens: what the handler before did (Qt's ends the process).
        if (const XIOErrorHandler previous = g_previousIoHandler.load())
            return previous(display);
        std::fprintf(stderr, "The X11 connection broke.\n");
        std::exit(1);
    }

    void watchQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (const QtMessageHandler previous = g_previousMessageHandler.load())
            previous(type, context, message);
        // Qt's X11 back-end calls exit(1) right after this warning, on the
        // main thread.
        if (type != QtWarningMsg || !message.startsWith(QLatin1String("The X11 connection broke"))
            || !onMainThread())
            return;
        if (X11EndRequests* active = g_active.load())
            active->tell(EndRequest::displayGone, QStringLiteral("Qt: ") + message);
    }

} // namespace

std::shared_ptr<EndRequests> createX11EndRequests()
{
    return std::make_shared<X11EndRequests>();
}

void connectionBroke(const char* which)
{
    const QString what = QStringLiteral("the X11 connection of %1 broke").arg(QLatin1String(which));
    onMain([what] {
        X11EndRequests* active = g_active.load();
        if (active && active->listening())
            active->checkDisplay(what);
    });
}

} // namespace platform::x11
