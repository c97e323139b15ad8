#include "platform/x11/X11ScreenIdentity.h"

#include "platform/x11/XConnection.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QLoggingCategory>
#include <QMutex>

#include <xcb/randr.h>

#include <algorithm>

namespace platform::x11 {

namespace {
    Q_LOGGING_CATEGORY(lcScreenId, "orbitshelf.platform")

    struct Output {
        QString name;
        QByteArray edid;
    };

    class X11ScreenIdentity final : public ScreenIdentity {
    public:
        X11ScreenIdentity()
        {
            m_x = XConnection::open(QByteArray(), nullptr);
            if (!m_x) {
                qCInfo(lcScreenId) << "no X display; screens are identified by output name";
                return;
            }
            xcb_connection_t* c = m_x->raw();
            auto version = m_x->reply<xcb_randr_query_version_reply_t>(xcb_randr_query_version(c, 1, 5));
            m_hasRandr = version && (version->major_version > 1 || version->minor_version >= 3);
            m_hasMonitors = version && (version->major_version > 1 || version->minor_version >= 5);
            m_edidAtom = m_x->atom("EDID");
        }

        std::optional<DisplayDescription> describe(const QString& outputName) override
        {
            if (!m_hasRandr || outputName.isEmpty())
                return std::nullopt;
            // One connection serves every thread that asks; keep requests and
            // their replies from interleaving between callers.
            QMutexLocker lock(&m_mutex);
            const QList<Output> outputs = connectedOutputs();
            const auto match = std::find_if(
                outputs.cbegin(), outputs.cend(), [&](const Output& o) { return o.name == outputName; });
            if (match == outputs.cend())
                return std::nullopt;
            DisplayDescription d { match->name, match->edid, false };
            if (!d.edid.isEmpty())
                d.edidSharedWithAnotherOutput = std::count_if(outputs.cbegin(), outputs.cend(),
                                                    [&](const Output& o) { return o.edid == d.edid; })
                    > 1;
            return d;
        }

        std::optional<QRect> place(const QString& screenName) override
        {
            if (!m_hasMonitors || screenName.isEmpty())
                return std::nullopt;
            QMutexLocker lock(&m_mutex);
            // A bar asks on every change of its picture: one read serves a
            // moment's questions (a change of the screens is acted on
            // seconds later).
            if (!m_placesRead.isValid() || m_placesRead.hasExpired(kPlacesKeptMs)) {
                m_places.clear();
                auto monitors = m_x->reply<xcb_randr_get_monitors_reply_t>(
                    xcb_randr_get_monitors(m_x->raw(), m_x->root(), 1));
                if (!monitors)
                    return std::nullopt;
                for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
                     xcb_randr_monitor_info_next(&it))
                    m_places.insert(monitorName(it.data->name),
                        QRect(it.data->x, it.data->y, it.data->width, it.data->height));
                m_placesRead.start();
            }
            const auto place = m_places.constFind(screenName);
            return place == m_places.cend() ? std::nullopt : std::optional<QRect>(*place);
        }

        std::optional<ServerScreens> screensNow() override
        {
            if (!m_hasMonitors)
                return std::nullopt;
            QMutexLocker lock(&m_mutex);
            xcb_connection_t* c = m_x->raw();
            const auto rootCookie = xcb_get_geometry(c, m_x->root());
            const auto monitorsCookie = xcb_randr_get_monitors(c, m_x->root(), 1);
            auto root = m_x->reply<xcb_get_geometry_reply_t>(rootCookie);
            auto monitors = m_x->reply<xcb_randr_get_monitors_reply_t>(monitorsCookie);
            if (!root || !monitors)
                return std::nullopt;
            ServerScreens screens;
            screens.root = QSize(root->width, root->height);
            for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
                 xcb_randr_monitor_info_next(&it))
                screens.monitors.push_back({ monitorName(it.data->name),
                    QRect(it.data->x, it.data->y, it.data->width, it.data->height) });
            return screens;
        }

    private:
        // Monitors are named by atoms, which stay for the server's life.
        QString monitorName(xcb_atom_t atom)
        {
            const auto known = m_monitorNames.constFind(atom);
            if (known != m_monitorNames.cend())
                return *known;
            auto reply = m_x->reply<xcb_get_atom_name_reply_t>(xcb_get_atom_name(m_x->raw(), atom));
            if (!reply)
                return {};
            const QString name = QString::fromUtf8(
                xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
            m_monitorNames.insert(atom, name);
            return name;
        }

        QList<Output> connectedOutputs()
        {
            QList<Output> out;
            xcb_connection_t* c = m_x->raw();
            auto res = m_x->reply<xcb_randr_get_screen_resources_current_reply_t>(
                xcb_randr_get_screen_resources_current(c, m_x->root()));
            if (!res)
                return out;
            const xcb_randr_output_t* ids = xcb_randr_get_screen_resources_current_outputs(res.get());
            const int count = xcb_randr_get_screen_resources_current_outputs_length(res.get());
            for (int i = 0; i < count; ++i) {
                auto info = m_x->reply<xcb_randr_get_output_info_reply_t>(
                    xcb_randr_get_output_info(c, ids[i], res->config_timestamp));
                // An output can vanish between the two requests; it is then just absent.
                // The cached status can lag behind a driver that was never re-probed,
                // while an output driving a CRTC is a screen either way.
                if (!info || (info->connection != XCB_RANDR_CONNECTION_CONNECTED && info->crtc == XCB_NONE))
                    continue;
                Output o;
                o.name = QString::fromUtf8(
                    reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                    xcb_randr_get_output_info_name_length(info.get()));
                o.edid = readEdid(ids[i]);
                out << o;
            }
            return out;
        }

        QByteArray readEdid(xcb_randr_output_t output)
        {
            if (m_edidAtom == XCB_ATOM_NONE)
                return {};
            // 256 longs = 1 KiB covers the base block and extensions.
            auto prop = m_x->reply<xcb_randr_get_output_property_reply_t>(
                xcb_randr_get_output_property(m_x->raw(), output, m_edidAtom, XCB_ATOM_ANY, 0, 256, 0, 0));
            if (!prop || prop->format != 8)
                return {};
            const int len = xcb_randr_get_output_property_data_length(prop.get());
            return QByteArray(
                reinterpret_cast<const char*>(xcb_randr_get_output_property_data(prop.get())), len);
        }

        std::unique_ptr<XConnection> m_x;
        xcb_atom_t m_edidAtom = XCB_ATOM_NONE;
        bool m_hasRandr = false;
        bool m_hasMonitors = false; // RandR 1.5
        QHash<xcb_atom_t, QString> m_monitorNames;
        QHash<QString, QRect> m_places; // by monitor name, as last read
        QElapsedTimer m_placesRead;
        static constexpr int kPlacesKeptMs = 100;
        QMutex m_mutex;
    };

} // namespace

std::shared_ptr<ScreenIdentity> createX11ScreenIdentity()
{
    return std::make_shared<X11ScreenIdentity>();
}

} // namespace platform::x11
