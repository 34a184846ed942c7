#include "WindowFocus.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <qpa/qplatformnativeinterface.h>
#include <xcb/xcb.h>

// On the toolkit's own connection, so that the request follows the unmaps
// of the box that had the focus. A window that is not viewable (any more)
// yields an error, which is taken here and dropped.
void WindowFocus::setInputFocus(QWidget *window)
{
    if (!window || !window->isVisible() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    auto *connection =
        native ? static_cast<xcb_connection_t *>(native->nativeResourceForIntegration("connection"))
               : nullptr;
    if (!connection)
        return;
    const xcb_void_cookie_t cookie = xcb_set_input_focus_checked(
        connection, XCB_INPUT_FOCUS_PARENT, xcb_window_t(window->winId()), XCB_CURRENT_TIME);
    free(xcb_request_check(connection, cookie));
}
