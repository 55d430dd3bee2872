#include "tests/platform/display_probe.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

DisplayProbe::DisplayProbe() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        return;
    }
    for (int attempt = 0; attempt < 30 && display_ == nullptr; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        display_ = XOpenDisplay(name);
    }
}

DisplayProbe::~DisplayProbe() {
    if (display_ != nullptr) {
        XCloseDisplay(static_cast<Display*>(display_));
    }
}
