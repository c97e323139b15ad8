#include "platform/x11/X11ClipboardReader.h"

#include "platform/x11/X11EndRequests.h"
#include "platform/x11/XConnection.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QMetaObject>

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <poll.h>
#include <thread>

Q_LOGGING_CATEGORY(lcClipboardX11, "orbitshelf.platform.clipboard")

namespace platform::x11 {

namespace {

    // A transfer larger than this is dropped whatever it holds: the limits on
    // text and pictures are far below it, and an owner must not be able to fill
    // our memory.
    constexpr qint64 kMaxTransferBytes = 256 * 1024 * 1024;
    // Properties we receive into, used in turn: a late answer to a read that was
    // given up lands in another property than the one the next read waits on.
    constexpr int kReceiveProperties = 8;

    enum class Answer { Data, Refused, NoAnswer };

    class Worker final {
    public:
        ~Worker() { close(); }

        ClipboardRead read(const ClipboardLimits& limits)
        {
            if (!connected()) {
                ClipboardRead r;
                r.outcome = ClipboardRead::Outcome::NoAnswer;
                r.detail = QStringLiteral("no X display for the clipboard");
                return r;
            }
            m_gaveUp = false;
            const auto owner = selectionOwner();
            if (!owner) {
                return noAnswer(QStringLiteral("the display did not answer"));
            }
            if (*owner == XCB_NONE)
                return {};
            const OwnerInfo who = ownerInfo(*owner);

            QByteArray targetList;
            const Answer listed = convert(m_targets, targetList);
            if (listed == Answer::NoAnswer)
                return noAnswer(QStringLiteral("window 0x%1 did not list its targets").arg(*owner, 0, 16));
            const QStringList targets = listed == Answer::Data ? atomNames(targetList) : QStringList();

            ClipboardRead r = readClipboardTargets(
                targets,
                [&](const QString& target) -> std::optional<QByteArray> {
                    if (m_gaveUp)
                        return std::nullopt;
                    QByteArray data;
                    if (convert(atom(target), data) != Answer::Data)
                        return std::nullopt;
                    return data;
                },
                limits);
            if (m_gaveUp && r.outcome == ClipboardRead::Outcome::Empty)
                return noAnswer(QStringLiteral("window 0x%1 did not answer in time").arg(*owner, 0, 16));
            r.ownerKnown = true;
            r.ownerPid = who.pid;
            r.ownerClass = who.windowClass;
            return r;
        }

    private:
        struct OwnerInfo {
            std::optional<qint64> pid;
            QString windowClass;
        };

        // The program behind the owner window, asked in one round trip: the
        // window's _NET_WM_PID, else the process of the client that made it
        // (owners often use a hidden window that names nothing), and its
        // WM_CLASS.
        OwnerInfo ownerInfo(xcb_window_t owner)
        {
            XConnection& x = *m_x;
            const auto pidCookie = requestProperty(x, owner, x.atoms().netWmPid, XCB_ATOM_CARDINAL, 1);
            const auto classCookie = requestProperty(x, owner, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256);
            std::optional<xcb_res_query_client_ids_cookie_t> clientCookie;
            if (x.hasResourceExtension()) {
                const xcb_res_client_id_spec_t spec { owner, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID };
                clientCookie = xcb_res_query_client_ids(x.raw(), 1, &spec);
            }
            x.flush();
            ReplyBatch batch(x);
            OwnerInfo info;
            const auto pid = batch.get<xcb_get_property_reply_t>(pidCookie);
            const auto windowClass = batch.get<xcb_get_property_reply_t>(classCookie);
            if (const auto value = cardinalProperty(pid.get()); value && *value > 0)
                info.pid = qint64(*value);
            info.windowClass = classProperty(windowClass.get()).second;
            if (clientCookie) {
                const auto client = batch.get<xcb_res_query_client_ids_reply_t>(*clientCookie);
                if (!info.pid && client) {
                    for (auto it = xcb_res_query_client_ids_ids_iterator(client.get()); it.rem;
                         xcb_res_client_id_value_next(&it))
                        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
                            && xcb_res_client_id_value_value_length(it.data) >= 1)
                            info.pid = qint64(*xcb_res_client_id_value_value(it.data));
                }
            }
            return info;
        }

    public:
    private:
        ClipboardRead noAnswer(const QString& why)
        {
            ClipboardRead r;
            r.outcome = ClipboardRead::Outcome::NoAnswer;
            r.detail = why;
            return r;
        }

        bool connected()
        {
            if (m_x && !m_x->lost())
                return true;
            // The check runs on the main thread; this read goes on with a new
            // connection, which fails when the display is gone.
            if (m_x)
                connectionBroke("the clipboard reader");
            close();
            QString error;
            m_x = XConnection::open(QByteArray(), &error);
            if (!m_x) {
                qCWarning(lcClipboardX11).noquote() << error;
                return false;
            }
            xcb_connection_t* c = m_x->raw();
            m_window = xcb_generate_id(c);
            const uint32_t values[] = { 1, XCB_EVENT_MASK_PROPERTY_CHANGE };
            xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, m_x->root(), -10, -10, 1, 1, 0,
                XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
            m_clipboard = atom(QStringLiteral("CLIPBOARD"));
            m_targets = atom(QStringLiteral("TARGETS"));
            m_incr = atom(QStringLiteral("INCR"));
            for (int i = 0; i < kReceiveProperties; ++i)
                m_receive[i] = atom(QStringLiteral("ORBITSHELF_CLIPBOARD_%1").arg(i));
            if (m_clipboard == XCB_NONE || m_targets == XCB_NONE || m_incr == XCB_NONE) {
                qCWarning(lcClipboardX11) << "the display does not answer; the clipboard cannot be read";
                close();
                return false;
            }
            return true;
        }

        void close()
        {
            if (m_x && !m_x->lost() && m_window)
                xcb_destroy_window(m_x->raw(), m_window);
            if (m_x)
                m_x->flush();
            m_x.reset();
            m_window = 0;
        }

        xcb_atom_t atom(const QString& name)
        {
            const QByteArray latin = name.toLatin1();
            return m_x->atom(std::string_view(latin.constData(), size_t(latin.size())));
        }

        std::optional<xcb_window_t> selectionOwner()
        {
            const auto cookie = xcb_get_selection_owner(m_x->raw(), m_clipboard);
            m_x->flush();
            bool failed = false;
            Reply<xcb_get_selection_owner_reply_t> reply(
                static_cast<xcb_get_selection_owner_reply_t*>(
                    m_x->waitReply(cookie.sequence, QDeadlineTimer(kReplyTimeoutMs), failed)),
                &free);
            if (!reply)
                return std::nullopt;
            return reply->owner;
        }

        QStringList atomNames(const QByteArray& list)
        {
            const auto* atoms = reinterpret_cast<const xcb_atom_t*>(list.constData());
            const int n = int(list.size() / sizeof(xcb_atom_t));
            std::vector<xcb_get_atom_name_cookie_t> cookies;
            for (int i = 0; i < n && i < 256; ++i)
                cookies.push_back(xcb_get_atom_name(m_x->raw(), atoms[i]));
            ReplyBatch batch(*m_x);
            QStringList names;
            for (const auto& cookie : cookies) {
                auto reply = batch.get<xcb_get_atom_name_reply_t>(cookie);
                if (reply)
                    names << QString::fromLatin1(
                        xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
            }
            return names;
        }

        // Waits for the next event of our window that `wanted` accepts; other
        // events are dropped. Nothing when the deadline passes first.
        template <class Wanted>
        Reply<xcb_generic_event_t> waitEvent(const QDeadlineTimer& deadline, Wanted wanted)
        {
            const int fd = xcb_get_file_descriptor(m_x->raw());
            while (true) {
                while (xcb_generic_event_t* e = xcb_poll_for_event(m_x->raw())) {
                    Reply<xcb_generic_event_t> event(e, &free);
                    if (wanted(event.get()))
                        return event;
                }
                if (m_x->lost() || deadline.hasExpired())
                    return Reply<xcb_generic_event_t>(nullptr, &free);
                pollfd p { fd, POLLIN, 0 };
                poll(&p, 1, int(std::max<qint64>(1, deadline.remainingTime())));
            }
        }

        // Reads and deletes the property, which also tells an INCR owner to send
        // its next chunk.
        Reply<xcb_get_property_reply_t> takeProperty(xcb_atom_t property)
        {
            const auto cookie = xcb_get_property(
                m_x->raw(), 1, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxTransferBytes / 4);
            m_x->flush();
            bool failed = false;
            return Reply<xcb_get_property_reply_t>(
                static_cast<xcb_get_property_reply_t*>(
                    m_x->waitReply(cookie.sequence, QDeadlineTimer(kReplyTimeoutMs), failed)),
                &free);
        }

        Answer convert(xcb_atom_t target, QByteArray& data)
        {
            if (target == XCB_NONE)
                return Answer::Refused;
            const xcb_atom_t property = m_receive[m_next++ % kReceiveProperties];
            xcb_connection_t* c = m_x->raw();
            xcb_delete_property(c, m_window, property);
            xcb_convert_selection(c, m_window, m_clipboard, target, property, XCB_CURRENT_TIME);
            m_x->flush();

            const auto notify
                = waitEvent(QDeadlineTimer(kClipboardAnswerTimeoutMs), [&](xcb_generic_event_t* e) {
                      if ((e->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                          return false;
                      const auto* n = reinterpret_cast<xcb_selection_notify_event_t*>(e);
                      return n->requestor == m_window && n->selection == m_clipboard && n->target == target
                          && (n->property == property || n->property == XCB_NONE);
                  });
            if (!notify) {
                m_gaveUp = true;
                return Answer::NoAnswer;
            }
            if (reinterpret_cast<xcb_selection_notify_event_t*>(notify.get())->property == XCB_NONE)
                return Answer::Refused;

            auto reply = takeProperty(property);
            if (!reply) {
                m_gaveUp = true;
                return Answer::NoAnswer;
            }
            if (reply->type != m_incr) {
                data = QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                    xcb_get_property_value_length(reply.get()));
                return Answer::Data;
            }

            // INCR: the owner writes one chunk each time we delete the property
            // and ends with an empty one. Each chunk has its own time limit, so a
            // large transfer that keeps moving is never cut short.
            data.clear();
            while (true) {
                const auto changed
                    = waitEvent(QDeadlineTimer(kClipboardAnswerTimeoutMs), [&](xcb_generic_event_t* e) {
                          if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                              return false;
                          const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
                          return p->window == m_window && p->atom == property
                              && p->state == XCB_PROPERTY_NEW_VALUE;
                      });
                if (!changed) {
                    m_gaveUp = true;
                    return Answer::NoAnswer;
                }
                auto chunk = takeProperty(property);
                if (!chunk) {
                    m_gaveUp = true;
                    return Answer::NoAnswer;
                }
                const int n = xcb_get_property_value_length(chunk.get());
                if (n == 0)
                    return Answer::Data;
                if (data.size() + n > kMaxTransferBytes) {
                    qCWarning(lcClipboardX11)
                        << "a clipboard transfer over" << kMaxTransferBytes << "bytes was dropped";
                    // The owner stops once it sees no one reads any more.
                    return Answer::Refused;
                }
                data.append(static_cast<const char*>(xcb_get_property_value(chunk.get())), n);
            }
        }

        std::unique_ptr<XConnection> m_x;
        xcb_window_t m_window = 0;
        xcb_atom_t m_clipboard = XCB_NONE, m_targets = XCB_NONE, m_incr = XCB_NONE;
        xcb_atom_t m_receive[kReceiveProperties] {};
        unsigned m_next = 0;
        bool m_gaveUp = false;
    };

    class X11ClipboardReader final : public ClipboardReader {
    public:
        X11ClipboardReader()
            : m_thread([this] { run(); })
        {
        }
        ~X11ClipboardReader() override
        {
            {
                std::lock_guard lock(m_mutex);
                m_stopping = true;
            }
            m_wake.notify_one();
            m_thread.join();
        }

        void read(
            const ClipboardLimits& limits, QObject* context, std::function<void(ClipboardRead)> done) override
        {
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back({ limits, context, std::move(done) });
            }
            m_wake.notify_one();
        }

    private:
        struct Request {
            ClipboardLimits limits;
            QObject* context;
            std::function<void(ClipboardRead)> done;
        };

        void run()
        {
            Worker worker;
            while (true) {
                Request request;
                {
                    std::unique_lock lock(m_mutex);
                    m_wake.wait(lock, [this] { return m_stopping || !m_requests.empty(); });
                    if (m_stopping)
                        return;
                    request = std::move(m_requests.front());
                    m_requests.pop_front();
                }
                ClipboardRead result = worker.read(request.limits);
                if (result.outcome == ClipboardRead::Outcome::NoAnswer)
                    qCWarning(lcClipboardX11).noquote() << "clipboard read given up:" << result.detail;
                QMetaObject::invokeMethod(
                    request.context,
                    [done = std::move(request.done), result = std::move(result)] { done(result); },
                    Qt::QueuedConnection);
            }
        }

        std::mutex m_mutex;
        std::condition_variable m_wake;
        std::deque<Request> m_requests;
        bool m_stopping = false;
        // Last: the thread starts once everything it uses exists.
        std::thread m_thread;
    };

} // namespace

std::unique_ptr<ClipboardReader> createX11ClipboardReader()
{
    return std::make_unique<X11ClipboardReader>();
}

} // namespace platform::x11
