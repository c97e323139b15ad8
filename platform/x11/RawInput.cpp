#include "platform/x11/RawInput.h"

#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

namespace platform::x11 {

std::optional<uint8_t> selectRawInput(
    xcb_connection_t* connection, xcb_window_t root, uint32_t mask, QString* why)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present) {
        *why = QStringLiteral("the X server has no XInput extension");
        return std::nullopt;
    }
    std::unique_ptr<xcb_input_xi_query_version_reply_t, decltype(&std::free)> version(
        xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2), nullptr),
        &std::free);
    if (!version || version->major_version < 2 || (version->major_version == 2 && version->minor_version < 1)) {
        *why = QStringLiteral("XInput 2.1 is not available");
        return std::nullopt;
    }
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection { { XCB_INPUT_DEVICE_ALL_MASTER, 1 }, mask };
    std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
        xcb_request_check(connection, xcb_input_xi_select_events_checked(connection, root, 1, &selection.head)),
        &std::free);
    if (error) {
        *why = QStringLiteral("selecting raw events failed, X error %1").arg(error->error_code);
        return std::nullopt;
    }
    return extension->major_opcode;
}

} // namespace platform::x11
