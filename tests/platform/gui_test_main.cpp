// Runs the window tests inside one QApplication when an X display can be
// opened; without one every test skips itself.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSurfaceFormat>
#include <memory>

#include "platform/app.h"
#include "platform/gl_view.h"
#include "tests/platform/display_probe.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<QApplication> app;
    DisplayProbe display;
    if (display.available()) {
        QSurfaceFormat::setDefaultFormat(view_surface_format());
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        install_french_translations(*app);
    }
    // Held until the end: closing it while the application connects could
    // leave the server without clients, and it would reset under us.
    return RUN_ALL_TESTS();
}
