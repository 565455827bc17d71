// Prints the mouse pointer the X server shows now as "<width> <height> <visible pixels>", for end-to-end tests of a
// program that hides the pointer: a blank pointer has no visible pixel.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "qx_xcursor: cannot open the display\n");
        return 1;
    }
    int event = 0, error = 0;
    if (!XFixesQueryExtension(display, &event, &error)) {
        std::fprintf(stderr, "qx_xcursor: no XFIXES extension\n");
        return 1;
    }
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image) {
        std::fprintf(stderr, "qx_xcursor: no cursor image\n");
        return 1;
    }
    long visible = 0;
    for (long i = 0; i < long(image->width) * long(image->height); ++i)
        visible += (image->pixels[i] >> 24) != 0; // ARGB, one pixel per long
    std::printf("%d %d %ld\n", int(image->width), int(image->height), visible);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
