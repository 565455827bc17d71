// Prints the bounding shape of an X11 window as rectangles ("x y w h" per line), for end-to-end tests of shaped
// windows.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <cstdio>
#include <cstdlib>

namespace {

int onXError(Display*, XErrorEvent* e) {
    std::fprintf(stderr, "qx_xshape: X error %d (bad window?)\n", static_cast<int>(e->error_code));
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qx_xshape WINDOW_ID\n");
        return 2;
    }
    char* end = nullptr;
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (!end || *end != '\0' || id == 0) {
        std::fprintf(stderr, "qx_xshape: not a window id: %s\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "qx_xshape: cannot open display\n");
        return 1;
    }
    XSetErrorHandler(onXError);
    int eventBase = 0;
    int errorBase = 0;
    if (!XShapeQueryExtension(display, &eventBase, &errorBase)) {
        std::fprintf(stderr, "qx_xshape: the X server has no SHAPE extension\n");
        return 1;
    }
    int count = 0;
    int ordering = 0;
    // An unshaped window reports its whole rectangle here, which is what the tests want to see.
    XRectangle* rects = XShapeGetRectangles(display, static_cast<Window>(id), ShapeBounding, &count, &ordering);
    XSync(display, False);
    for (int i = 0; i < count; ++i)
        std::printf("%d %d %u %u\n", rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects)
        XFree(rects);
    XCloseDisplay(display);
    return 0;
}
