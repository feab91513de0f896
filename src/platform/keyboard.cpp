#include "platform/keyboard.h"

#include <QGuiApplication>
#include <QKeyEvent>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#endif

namespace
{

#if QT_CONFIG(xcb)
// The first two levels of the first two groups: a digit on the number row is on one of them on
// every layout, and further levels hold superscripts and the like.
constexpr int kLevelsRead = 4;

int x11KeyDigit(xcb_connection_t *connection, quint32 keycode)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    if (keycode < setup->min_keycode || keycode > setup->max_keycode)
        return -1;
    xcb_get_keyboard_mapping_reply_t *reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, xcb_keycode_t(keycode), 1), nullptr);
    if (!reply)
        return -1;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(reply);
    const int count = std::min<int>(
        {reply->keysyms_per_keycode, kLevelsRead, xcb_get_keyboard_mapping_keysyms_length(reply)});
    int digit = -1;
    for (int i = 0; i < count && digit < 0; ++i) {
        // The keysyms of the digits are their ASCII codes.
        if (keysyms[i] >= '0' && keysyms[i] <= '9')
            digit = int(keysyms[i] - '0');
    }
    std::free(reply);
    return digit;
}
#endif

} // namespace

int keyDigit(const QKeyEvent &event)
{
    if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9)
        return event.key() - Qt::Key_0;
#if QT_CONFIG(xcb)
    // The offscreen platform offers the interface too, without a connection.
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection())
        return x11KeyDigit(x11->connection(), event.nativeScanCode());
#endif
    return -1;
}
