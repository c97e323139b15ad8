#include "platform/x11/X11StillPictureWindow.h"

#include "platform/x11/XConnection.h"

#include <QSysInfo>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace platform::x11 {

namespace {

    // The 32-bit TrueColor visual whose pixels are a QImage's ARGB32 words.
    std::optional<xcb_visualid_t> argbVisual(xcb_screen_t* screen)
    {
        for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
            if (depths.data->depth != 32)
                continue;
            for (auto v = xcb_depth_visuals_iterator(depths.data); v.rem; xcb_visualtype_next(&v)) {
                const xcb_visualtype_t* visual = v.data;
                if (visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR && visual->red_mask == 0xff0000
                    && visual->green_mask == 0xff00 && visual->blue_mask == 0xff)
                    return visual->visual_id;
            }
        }
        return std::nullopt;
    }

    // Whether a QImage's bytes can go to the server as they are: 32 bits a
    // pixel, rows padded to 32 bits, and the server's byte order ours.
    bool imagesMatch(xcb_connection_t* c)
    {
        const xcb_setup_t* setup = xcb_get_setup(c);
        const auto serverOrder = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST
            ? QSysInfo::LittleEndian
            : QSysInfo::BigEndian;
        if (serverOrder != QSysInfo::ByteOrder)
            return false;
        for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
            if (f.data->depth == 32)
                return f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
        return false;
    }

    class X11StillPictureWindow final : public StillPictureWindow {
    public:
        X11StillPictureWindow(xcb_connection_t* c, xcb_window_t window, xcb_colormap_t colormap)
            : m_c(c)
            , m_window(window)
            , m_colormap(colormap)
        {
        }

        ~X11StillPictureWindow() override
        {
            // One request takes it off the screen and frees it. After the
            // application's connection has closed, the server has freed both
            // already.
            XConnection* x = XConnection::ofApplication();
            if (!x || x->raw() != m_c)
                return;
            xcb_destroy_window(m_c, m_window);
            xcb_free_colormap(m_c, m_colormap);
            xcb_flush(m_c);
        }

        void show() override
        {
            if (m_shown)
                return;
            m_shown = true;
            // Windows made or raised since this one was made lie above it:
            // it is raised first, then mapped. Neither asks for an answer,
            // and with no events selected none comes back.
            const uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(m_c, m_window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
            xcb_map_window(m_c, m_window);
            xcb_flush(m_c);
        }

    private:
        xcb_connection_t* m_c;
        xcb_window_t m_window;
        xcb_colormap_t m_colormap;
        bool m_shown = false;
    };

    // The picture into a new pixmap of the window's depth, in bands that
    // each fit one request.
    xcb_pixmap_t uploadPicture(xcb_connection_t* c, xcb_window_t root, const QImage& image)
    {
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        xcb_create_pixmap(c, 32, pixmap, root, uint16_t(image.width()), uint16_t(image.height()));
        const xcb_gcontext_t gc = xcb_generate_id(c);
        xcb_create_gc(c, gc, pixmap, 0, nullptr);
        const uint64_t maxRequest = std::min<uint64_t>(uint64_t(xcb_get_maximum_request_length(c)) * 4, 256 * 1024);
        const int stride = int(image.bytesPerLine());
        const int band = std::max(1, int((maxRequest - 64) / uint64_t(stride)));
        for (int y = 0; y < image.height(); y += band) {
            const int rows = std::min(band, image.height() - y);
            xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(image.width()), uint16_t(rows), 0,
                int16_t(y), 0, 32, uint32_t(stride * rows), image.constScanLine(y));
        }
        xcb_free_gc(c, gc);
        return pixmap;
    }

} // namespace

std::unique_ptr<StillPictureWindow> createX11StillPictureWindow(const StillPicture& still)
{
    XConnection* x = XConnection::ofApplication();
    if (!x || still.picture.isNull())
        return nullptr;
    xcb_connection_t* c = x->raw();
    const std::optional<xcb_visualid_t> visual = argbVisual(x->screen());
    // Without SHAPE clicks could not go through it.
    if (!visual || !imagesMatch(c) || !x->hasShapeExtension())
        return nullptr;
    if (still.picture.width() > 0x7fff || still.picture.height() > 0x7fff
        || still.picture.bytesPerLine() > 64 * 1024)
        return nullptr;
    const QImage image = still.picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);

    const xcb_window_t root = x->root();
    const xcb_colormap_t colormap = xcb_generate_id(c);
    xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, root, *visual);
    const xcb_pixmap_t picture = uploadPicture(c, root, image);

    // The server paints the window from the picture whenever it shows; it
    // takes no focus, the window manager leaves it alone, and no event of it
    // is selected, so nothing of it ever comes back to us.
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t mask = XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK
        | XCB_CW_COLORMAP;
    const uint32_t values[] = { picture, 0, 1, XCB_EVENT_MASK_NO_EVENT, colormap };
    xcb_create_window(c, 32, window, root, int16_t(still.position.x()), int16_t(still.position.y()),
        uint16_t(image.width()), uint16_t(image.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, *visual, mask,
        values);
    // The window holds the picture now.
    xcb_free_pixmap(c, picture);

    if (!still.shape.isEmpty()) {
        std::vector<xcb_rectangle_t> rects;
        for (const QRect& r : still.shape)
            rects.push_back({ int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height()) });
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, window, 0, 0,
            uint32_t(rects.size()), rects.data());
    }
    // Clicks go through to what lies beneath: an empty input area.
    xcb_shape_rectangles(
        c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, window, 0, 0, 0, nullptr);
    if (!still.title.isEmpty()) {
        const QByteArray latin1 = still.title.toLatin1();
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
            uint32_t(latin1.size()), latin1.constData());
        const QByteArray utf8 = still.title.toUtf8();
        if (x->atoms().netWmName != XCB_ATOM_NONE && x->atoms().utf8String != XCB_ATOM_NONE)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, x->atoms().netWmName, x->atoms().utf8String, 8,
                uint32_t(utf8.size()), utf8.constData());
    }
    xcb_flush(c);
    return std::make_unique<X11StillPictureWindow>(c, window, colormap);
}

} // namespace platform::x11
