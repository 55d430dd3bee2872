#include "platform/app.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSurfaceFormat>
#include <QTranslator>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/allocator_tuning.h"
#include "common/random_source.h"
#include "platform/gl_view.h"
#include "platform/qt_platform.h"
#include "platform/qt_preferences.h"
#include "shell/window_command_line.h"

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

bool install_french_translations(QCoreApplication& app) {
    const QLocale french(QLocale::French, QLocale::France);
    QLocale::setDefault(french);
    auto* translator = new QTranslator(&app);
    if (!translator->load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

int run_tarvessa(int argc, char** argv) {
    keep_freed_memory_for_loads();
    // Read before Qt starts, so that a wrong command line is answered even
    // without a display.
    const Expected<WindowCommandLine> line =
        parse_window_command_line(std::vector<std::string>(argv + 1, argv + argc));
    if (!line) {
        std::fprintf(stderr, "tarvessa : %s\n%s", line.error().c_str(), window_usage);
        return 2;
    }
    if (line->help) {
        std::fputs(window_usage, stdout);
        return 0;
    }

    // Mesa's software rasteriser, where there is no graphics processor, bins
    // each frame on this thread while threads of its own draw; for a large
    // graph the binning runs ahead and the rasteriser keeps the memory of every
    // scene it queued, hundreds of megabytes that grow frame after frame.
    // Drawing on this thread keeps it to one scene, for the same frame time (the
    // geometry, not the pixels, takes it). Other drivers do not read this.
    setenv("LP_NUM_THREADS", "0", 0);
    QSurfaceFormat::setDefaultFormat(view_surface_format());

    // Qt sees only the program's name: the file is not one of its options.
    static int qt_argc = 1;
    static char* qt_argv[] = {argv[0], nullptr};
    const QtMessageHandler previous = qInstallMessageHandler(exit_when_no_window);
    QApplication app(qt_argc, qt_argv);
    qInstallMessageHandler(previous);
    // The application object takes the user's locale for the C library;
    // numbers in the console, the messages and the files keep the C
    // library's own format (a point before the decimals), whatever it is.
    std::setlocale(LC_NUMERIC, "C");
    install_french_translations(app);
    // The program ends through its own commands only, not when the last
    // window is closed (closing the console panel merely hides it).
    QApplication::setQuitOnLastWindowClosed(false);

    if (!can_make_view_context()) {
        show_start_failure();
        return 1;
    }
    QtPreferenceStore preferences;
    if (line->reset_settings) {
        preferences.clear();
    }
    QtPlatform platform(RandomSource::from_clock(), load_graph_file, &preferences);
    platform.start(line->file);
    return QApplication::exec();
}
