#include "tests/platform/display_probe.h"

#include <X11/Xlib.h>

#include <cstdlib>

bool display_available() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        return false;
    }
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        return false;
    }
    XCloseDisplay(display);
    return true;
}
