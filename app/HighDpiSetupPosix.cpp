#include "HighDpiSetup.h"

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace {
// The resource database of a desktop is a few kilobytes; 4-byte units.
constexpr uint32_t kMaxResourceWords = 65536;
} // namespace

// Reads the X server's resource database, where desktops keep Xft.dpi.
int HighDpiSetup::desktopDpi()
{
    int nScreen = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &nScreen);
    // Open until the process ends: a server that resets when its last
    // client leaves would drop the toolkit's own connection a moment later.
    static std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t *)> closer(nullptr,
                                                                                  xcb_disconnect);
    closer.reset(connection);
    if (xcb_connection_has_error(connection))
        return 0;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < nScreen && it.rem > 0; ++i)
        xcb_screen_next(&it);
    if (it.rem == 0)
        return 0;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, it.data->root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING,
                         0, kMaxResourceWords);
    std::unique_ptr<xcb_get_property_reply_t, void (*)(void *)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), free);
    if (!reply || reply->format != 8)
        return 0;
    const int nLength = xcb_get_property_value_length(reply.get());
    return xftDpi(
        QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())), nLength));
}
