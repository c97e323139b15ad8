#include "platform/x11/RawInput.h"

#include "platform/x11/XConnection.h"

#include <xcb/xinput.h>

namespace platform::x11 {

std::optional<uint8_t> selectRawInput(XConnection& x, uint32_t mask, QString* why)
{
    xcb_connection_t* connection = x.raw();
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present) {
        *why = QStringLiteral("the X server has no XInput extension");
        return std::nullopt;
    }
    auto version = x.reply<xcb_input_xi_query_version_reply_t>(xcb_input_xi_query_version(connection, 2, 2));
    if (!version || version->major_version < 2 || (version->major_version == 2 && version->minor_version < 1)) {
        *why = QStringLiteral("XInput 2.1 is not available");
        return std::nullopt;
    }
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection { { XCB_INPUT_DEVICE_ALL_MASTER, 1 }, mask };
    auto error = owned(xcb_request_check(
        connection, xcb_input_xi_select_events_checked(connection, x.root(), 1, &selection.head)));
    if (error) {
        *why = QStringLiteral("selecting raw events failed, X error %1").arg(error->error_code);
        return std::nullopt;
    }
    return extension->major_opcode;
}

} // namespace platform::x11
