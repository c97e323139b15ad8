#include "platform/x11/X11ScreenIdentity.h"

#include <QList>
#include <QLoggingCategory>
#include <QMutex>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace platform::x11 {

namespace {
    Q_LOGGING_CATEGORY(lcScreenId, "orbitshelf.platform")

    template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

    template <typename T> Reply<T> reply(T* r)
    {
        return Reply<T>(r, &std::free);
    }

    struct Output {
        QString name;
        QByteArray edid;
    };

    class X11ScreenIdentity final : public ScreenIdentity {
    public:
        X11ScreenIdentity()
        {
            int screenNumber = 0;
            m_conn = xcb_connect(nullptr, &screenNumber);
            if (xcb_connection_has_error(m_conn)) {
                qCInfo(lcScreenId) << "no X display; screens are identified by output name";
                return;
            }
            const xcb_setup_t* setup = xcb_get_setup(m_conn);
            auto it = xcb_setup_roots_iterator(setup);
            for (int i = 0; i < screenNumber && it.rem; ++i)
                xcb_screen_next(&it);
            if (it.rem)
                m_root = it.data->root;
            auto version = reply(
                xcb_randr_query_version_reply(m_conn, xcb_randr_query_version(m_conn, 1, 3), nullptr));
            m_hasRandr = version && (version->major_version > 1 || version->minor_version >= 3);
            auto atom = reply(xcb_intern_atom_reply(m_conn, xcb_intern_atom(m_conn, 1, 4, "EDID"), nullptr));
            m_edidAtom = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        }

        ~X11ScreenIdentity() override
        {
            if (m_conn)
                xcb_disconnect(m_conn);
        }

        std::optional<DisplayDescription> describe(const QString& outputName) override
        {
            if (!m_hasRandr || !m_root || outputName.isEmpty())
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

    private:
        QList<Output> connectedOutputs()
        {
            QList<Output> out;
            auto res = reply(xcb_randr_get_screen_resources_current_reply(
                m_conn, xcb_randr_get_screen_resources_current(m_conn, m_root), nullptr));
            if (!res)
                return out;
            const xcb_randr_output_t* ids = xcb_randr_get_screen_resources_current_outputs(res.get());
            const int count = xcb_randr_get_screen_resources_current_outputs_length(res.get());
            for (int i = 0; i < count; ++i) {
                auto info = reply(xcb_randr_get_output_info_reply(
                    m_conn, xcb_randr_get_output_info(m_conn, ids[i], res->config_timestamp), nullptr));
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
            auto prop = reply(xcb_randr_get_output_property_reply(m_conn,
                xcb_randr_get_output_property(m_conn, output, m_edidAtom, XCB_ATOM_ANY, 0, 256, 0, 0),
                nullptr));
            if (!prop || prop->format != 8)
                return {};
            const int len = xcb_randr_get_output_property_data_length(prop.get());
            return QByteArray(
                reinterpret_cast<const char*>(xcb_randr_get_output_property_data(prop.get())), len);
        }

        xcb_connection_t* m_conn = nullptr;
        xcb_window_t m_root = 0;
        xcb_atom_t m_edidAtom = XCB_ATOM_NONE;
        bool m_hasRandr = false;
        QMutex m_mutex;
    };

} // namespace

std::shared_ptr<ScreenIdentity> createX11ScreenIdentity()
{
    return std::make_shared<X11ScreenIdentity>();
}

} // namespace platform::x11
