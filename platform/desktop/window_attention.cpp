// Windows that must be seen: the urgency hint and an activation the window manager carries out.
#include "platform/desktop/window_attention.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <xcb/xcb.h>

#include <array>
#include <cstring>
#include <memory>

namespace qx {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// ICCCM's WM_HINTS: nine 32-bit fields, the first the flags; bit 8 is the urgency hint.
constexpr std::uint32_t kUrgencyHint = 1u << 8;
constexpr std::uint32_t kHintFields = 9;

void setUrgencyHint(xcb_connection_t* c, xcb_window_t window) {
    std::array<std::uint32_t, kHintFields> hints{};
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, kHintFields);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &std::free);
    if (reply && reply->format == 32) {
        const int length = xcb_get_property_value_length(reply.get());
        std::memcpy(hints.data(), xcb_get_property_value(reply.get()),
                    std::min<std::size_t>(std::size_t(std::max(length, 0)), sizeof hints));
    }
    hints[0] |= kUrgencyHint;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, kHintFields,
                        hints.data());
}

// The X server's time now. Window managers weigh a request by its time against the user's last input; one without a
// time (CurrentTime) counts as older than any input, and openbox then never lets it move the focus. The time is read
// as X hands it out, in the event a property change makes, on a connection of its own so that the toolkit's
// events are left alone. 0 when that fails.
xcb_timestamp_t serverTime() {
    const QByteArray display = qgetenv("DISPLAY");
    xcb_connection_t* c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    if (!xcb_connection_has_error(c)) {
        if (const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data) {
            const xcb_window_t w = xcb_generate_id(c);
            const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                              XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
            xcb_change_property(c, XCB_PROP_MODE_APPEND, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
            xcb_flush(c);
            while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
                const bool found = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
                if (found)
                    time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
                std::free(event);
                if (found)
                    break;
            }
            xcb_destroy_window(c, w);
        }
    }
    xcb_disconnect(c);
    return time;
}

void activateAsPager(xcb_connection_t* c, xcb_window_t window) {
    const xcb_atom_t activeWindow = atom(c, "_NET_ACTIVE_WINDOW");
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (activeWindow == XCB_ATOM_NONE || !screen)
        return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = activeWindow;
    event.data.data32[0] = 2; // source: a pager, that is the user
    event.data.data32[1] = serverTime();
    event.data.data32[2] = XCB_NONE;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

// A window manager may still refuse while the user is busy in another window this very moment (openbox does within
// half a second of a click): a refused request is made again a little later, a few times.
constexpr int kAttempts = 4;
constexpr int kRetryMs = 1000;

void bringForward(QWindow* window, int attemptsLeft) {
    if (window->isActive())
        return;
    if (--attemptsLeft > 0)
        QTimer::singleShot(kRetryMs, window, [window, attemptsLeft] { bringForward(window, attemptsLeft); });
    window->alert(0); // _NET_WM_STATE_DEMANDS_ATTENTION, until the window is activated
    window->raise();
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) {
        window->requestActivate();
        return;
    }
    xcb_connection_t* c = x11->connection();
    const auto id = xcb_window_t(window->winId());
    setUrgencyHint(c, id);
    activateAsPager(c, id);
    xcb_flush(c);
}

// A window manager activates only a window it has mapped: until then the request waits for the window's first
// exposure.
class WhenExposed : public QObject {
public:
    explicit WhenExposed(QWindow* window) : QObject(window), window_(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed()) {
            window_->removeEventFilter(this);
            bringForward(window_, kAttempts);
            deleteLater();
        }
        return false;
    }

private:
    QWindow* window_;
};

} // namespace

void demandAttention(QWindow* window) {
    if (!window)
        return;
    if (window->isExposed())
        bringForward(window, kAttempts);
    else
        new WhenExposed(window);
}

} // namespace qx
