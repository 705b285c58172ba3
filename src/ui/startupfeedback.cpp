#include "ui/startupfeedback.h"

#include "platform/logging.h"

#include <QGuiApplication>

#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, false, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// The startup-notification protocol's "remove" message: a string sent to
// the root window in pieces of 20 bytes, the first under
// _NET_STARTUP_INFO_BEGIN, the rest under _NET_STARTUP_INFO, from a window
// of the sender's own.
void sendRemove(xcb_connection_t* connection, const QByteArray& startupId)
{
    QByteArray quoted = startupId;
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    QByteArray message = "remove: ID=\"" + quoted + "\"";
    message.append('\0');
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return;
    const xcb_window_t sender = xcb_generate_id(connection);
    const uint32_t overrideRedirect = 1;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, sender, screen->root, -100, -100, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT,
                      &overrideRedirect);
    const xcb_atom_t begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
    for (qsizetype offset = 0; offset < message.size(); offset += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = sender;
        event.type = offset == 0 ? begin : more;
        std::memcpy(event.data.data8, message.constData() + offset,
                    size_t(std::min<qsizetype>(20, message.size() - offset)));
        xcb_send_event(connection, false, screen->root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_destroy_window(connection, sender);
    xcb_flush(connection);
}

} // namespace

void startup_feedback::complete(const QString& startupId, const QString& activationToken)
{
    if (!startupId.isEmpty()) {
        qCDebug(lcSession) << "completing the start" << startupId;
        // Other platforms (offscreen among them) may offer the interface
        // without a connection behind it.
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (QGuiApplication::platformName() == u"xcb" && x11 && x11->connection())
            sendRemove(x11->connection(), startupId.toUtf8());
    }
    // Qt's Wayland window activates with this token, once.
    if (!activationToken.isEmpty()) {
        qCDebug(lcSession) << "activating with the token" << activationToken;
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    }
}
