#pragma once

// Holds a connection to the X display named by $DISPLAY, if one answers.
//
// An X server without -noreset (xvfb-run's default) resets when its last
// client leaves and refuses connections meanwhile, so the probe retries for
// a while, and should stay open until the application has connected.
// Kept apart from Qt: Xlib's macros clash with Qt's headers.
class DisplayProbe {
  public:
    DisplayProbe();
    ~DisplayProbe();

    DisplayProbe(const DisplayProbe&) = delete;
    DisplayProbe& operator=(const DisplayProbe&) = delete;

    bool available() const { return display_ != nullptr; }

  private:
    void* display_ = nullptr;
};
