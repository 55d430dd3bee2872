#include "platform/app.h"

#include <QApplication>
#include <QSurfaceFormat>
#include <cstdio>
#include <cstdlib>

#include "common/random_source.h"
#include "platform/gl_view.h"
#include "platform/qt_platform.h"

namespace {

// While the application object connects to the window system, a fatal
// message means that there is no display to open a window on: say so and
// end with status 1 rather than abort.
void exit_when_no_window(QtMsgType type, const QMessageLogContext&, const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg) {
        std::fputs("Erreur critique ! Impossible de créer la fenêtre\n", stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
}

}  // namespace

int run_tarvessa(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(view_surface_format());

    const QtMessageHandler previous = qInstallMessageHandler(exit_when_no_window);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    // The program ends through its own commands only, not when the last
    // window is closed (closing the console panel merely hides it).
    QApplication::setQuitOnLastWindowClosed(false);

    if (!can_make_view_context()) {
        show_start_failure();
        return 1;
    }
    QtPlatform platform(RandomSource::from_clock());
    platform.start();
    return QApplication::exec();
}
