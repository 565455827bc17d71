// Prints when the X server receives drawing to a window or any window inside it: one CLOCK_REALTIME time in
// nanoseconds a line, for the benchmark's measure of how late a clock's new second reaches the X server, for our
// programs and the desk clocks Debian ships alike. Runs until killed or for the seconds given.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <poll.h>

namespace {

int onXError(Display*, XErrorEvent*) {
    return 0; // a child window that went away meanwhile
}

long long realtimeNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// Damage objects for the window and every window inside it (toolkits such as Xt draw into child windows).
void watch(Display* display, Window window) {
    XDamageCreate(display, window, XDamageReportNonEmpty);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i)
            watch(display, children[i]);
        if (children)
            XFree(children);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: qx_xdamage WINDOW_ID [SECONDS]\n");
        return 2;
    }
    char* end = nullptr;
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (!end || *end != '\0' || id == 0) {
        std::fprintf(stderr, "qx_xdamage: not a window id: %s\n", argv[1]);
        return 2;
    }
    const double seconds = argc == 3 ? std::atof(argv[2]) : 0;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "qx_xdamage: cannot open the display\n");
        return 1;
    }
    int eventBase = 0, errorBase = 0;
    if (!XDamageQueryExtension(display, &eventBase, &errorBase)) {
        std::fprintf(stderr, "qx_xdamage: the X server has no DAMAGE extension\n");
        return 1;
    }
    XSetErrorHandler(onXError);
    watch(display, id);
    XSync(display, False);
    std::printf("ready %lld\n", realtimeNs());
    std::fflush(stdout);
    const long long until = seconds > 0 ? realtimeNs() + static_cast<long long>(seconds * 1e9) : 0;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == eventBase + XDamageNotify) {
                const auto* damage = reinterpret_cast<XDamageNotifyEvent*>(&event);
                std::printf("%lld\n", realtimeNs());
                XDamageSubtract(display, damage->damage, None, None);
            }
        }
        std::fflush(stdout);
        const long long now = realtimeNs();
        if (until && now >= until)
            break;
        poll(&fd, 1, until ? static_cast<int>((until - now) / 1000000 + 1) : -1);
    }
    XCloseDisplay(display);
    return 0;
}
