// The real windows: the main window with its menu, shortcuts and GL view,
// the console panel and the dialogs, driven through Qt's events.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/random_source.h"
#include "platform/about_box.h"
#include "platform/console_panel.h"
#include "platform/gl_view.h"
#include "platform/main_window.h"
#include "platform/progress_box.h"
#include "platform/qt_platform.h"
#include "shell/commands.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/view_projection.h"

// Failure messages show texts, not their UTF-16 units.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// Runs the event loop until `done` holds; false if `ms` pass first.
bool wait_until(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

struct BoxSeen {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QWidget* owner;
};

class Window : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qApp == nullptr) {
            GTEST_SKIP() << "no X display";
        }
        scratch_ = std::make_unique<ScratchDir>("quillmere-gui");
        platform_ = std::make_unique<QtPlatform>(RandomSource(5));
        platform_->start();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
        ASSERT_TRUE(wait_until([this] { return view().frame_count() > 0; }));
        ASSERT_TRUE(view().ready());
    }

    void TearDown() override {
        platform_.reset();
        scratch_.reset();
    }

    MainWindow& window() { return platform_->main_window(); }
    GlView& view() { return *window().view(); }
    MainWindowLogic& logic() { return platform_->logic(); }
    ConsolePanel& console() { return platform_->console(); }

    QString write(const std::string& name, const std::string& content) {
        return QString::fromStdString(scratch_->write(name, content));
    }

    // Gives `command` (Open or a save) and waits for its file dialog.
    QFileDialog* start_file_dialog(Command command = Command::open) {
        window().action(command)->trigger();
        QFileDialog* dialog = platform_->file_dialog();
        if (dialog == nullptr || !wait_until([dialog] { return dialog->isVisible(); })) {
            return nullptr;
        }
        return dialog;
    }
    QFileDialog* start_open() { return start_file_dialog(Command::open); }

    // Waits until the load that runs, if any, has ended.
    void finish_load(int ms = 60000) {
        ASSERT_TRUE(wait_until([this] { return !logic().loading(); }, ms)) << "the load did not end";
    }

    // Answers the file dialog with `path` (or cancels it) and waits until the
    // logic has handled the answer, a load included.
    void answer(QFileDialog* dialog, const std::optional<QString>& path) {
        if (path) {
            // As the user does: the full path typed into the file name.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(*path);
            static_cast<QDialog*>(dialog)->accept();
        } else {
            dialog->reject();
        }
        ASSERT_TRUE(wait_until([this] { return !logic().open_dialog_pending(); }));
        finish_load();
    }

    void open(const QString& path) {
        QFileDialog* dialog = start_open();
        ASSERT_NE(dialog, nullptr);
        answer(dialog, path);
    }

    // Closes the next message box that comes up, recording what it showed.
    void close_next_box(std::vector<BoxSeen>& seen) {
        auto* poll = new QTimer(&window());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, &seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            seen.push_back({box->windowTitle(), box->text(), box->icon(), box->parentWidget()});
            poll->stop();
            box->button(QMessageBox::Ok)->click();
        });
        poll->start(20);
    }

    // Does `action` from inside the event loop and returns the status the
    // program ends with (99 if it does not end within 10 s).
    int exit_status_after(const std::function<void()>& action) {
        QTimer::singleShot(0, &window(), action);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(10000);
        return QApplication::exec();
    }

    // Whether the view draws a frame when one is asked for: the window's
    // thread is free to draw.
    bool draws_on_request() {
        const long start = view().frame_count();
        view().request_frame();
        return wait_until([&] { return view().frame_count() > start; });
    }

    // Sends a drag carrying `path` and then its drop to `target`, as the
    // window system does; returns whether the drag was accepted.
    bool drop_file(QWidget* target, const QString& path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

    QPoint window_centre() {
        const QRect frame = window().frameGeometry();
        return {(frame.left() + frame.left() + frame.width()) / 2,
                (frame.top() + frame.top() + frame.height()) / 2};
    }

    std::unique_ptr<ScratchDir> scratch_;
    std::unique_ptr<QtPlatform> platform_;
};

}  // namespace

TEST_F(Window, StartsWithItsTitleMenuConsoleAndWhiteView) {
    EXPECT_EQ(window().windowTitle(), "Quillmere");
    EXPECT_EQ(window().pos(), QPoint(50, 50));
    EXPECT_EQ(window().size(), QSize(700, 710));

    // The menu bar is the command tables' (whose texts the shell's tests
    // check): menus, items, separators and shortcut texts, with check marks
    // where the logic says (the display toggles that are on by default).
    const QList<QAction*> bar = window().menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(main_menu().size()));
    for (std::size_t m = 0; m < main_menu().size(); ++m) {
        const Menu& menu = main_menu()[m];
        EXPECT_EQ(bar[m]->text(), QString::fromUtf8(menu.title));
        const QList<QAction*> items = bar[m]->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(menu.items.size())) << menu.title;
        for (std::size_t i = 0; i < menu.items.size(); ++i) {
            const MenuItem& item = menu.items[i];
            EXPECT_EQ(items[i]->isSeparator(), item.is_separator());
            if (!item.is_separator()) {
                EXPECT_EQ(items[i]->text(), QString::fromUtf8(item.text));
                EXPECT_EQ(items[i]->isCheckable(), item.checkable);
                EXPECT_EQ(items[i]->isChecked(), logic().command_checked(item.command));
            }
        }
    }
    // The shortcuts are the table's, as QAction shortcuts; the keypad ones
    // have their own test below.
    for (const Accelerator& a : accelerators()) {
        if (a.function_key != 0) {
            EXPECT_EQ(window().action(a.command)->shortcut(),
                      QKeySequence(Qt::Key(Qt::Key_F1 + a.function_key - 1)))
                << a.function_key;
        } else if (!a.keypad) {
            EXPECT_EQ(window().action(a.command)->shortcut(),
                      QKeySequence(Qt::ControlModifier | Qt::Key(a.key)))
                << a.key;
        }
    }
    // Nothing to reload or save yet.
    EXPECT_FALSE(window().action(Command::reload)->isEnabled());
    EXPECT_FALSE(window().action(Command::save_results)->isEnabled());

    EXPECT_EQ(console().windowTitle(), "Console");
    EXPECT_TRUE(console().isVisible());
    EXPECT_EQ(console().pos(), QPoint(view().width() + 60, 50));
    QPlainTextEdit* area = console().text_area();
    EXPECT_TRUE(area->isReadOnly());
    EXPECT_EQ(area->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(area->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(area->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // Nothing loaded: the view is white but for the hint across its middle.
    const QImage frame = view().grabFramebuffer();
    ASSERT_FALSE(frame.isNull());
    int middle = 0;
    int elsewhere = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const bool ink = (frame.pixel(x, y) & 0xffffff) != 0xffffff;
            (std::abs(y - frame.height() / 2) < 15 ? middle : elsewhere) += ink ? 1 : 0;
        }
    }
    EXPECT_GT(middle, 500);
    EXPECT_EQ(elsewhere, 0);
}

TEST_F(Window, ShortcutsTriggerTheirCommands) {
    const Qt::KeyboardModifiers keypad = Qt::ControlModifier | Qt::KeypadModifier;
    // The main row's 2 does nothing, the keypad's switches to 2D.
    QTest::keyClick(&view(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_TRUE(logic().settings().perspective_3d);
    QTest::keyClick(&view(), Qt::Key_2, keypad);
    EXPECT_FALSE(logic().settings().perspective_3d);
    QTest::keyClick(&view(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_FALSE(logic().settings().perspective_3d);
    QTest::keyClick(&view(), Qt::Key_3, keypad);
    EXPECT_TRUE(logic().settings().perspective_3d);

    // A letter shortcut runs its command, and the check mark follows.
    QTest::keyClick(&view(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(logic().settings().show_flow);
    EXPECT_TRUE(window().action(Command::toggle_flow)->isChecked());
    EXPECT_TRUE(draws_on_request());
}

// Key presses from the X server, as a keyboard makes them: Qt's shortcut
// matching drops the keypad modifier of such presses, so a keypad shortcut
// declared as a QAction shortcut never fired.
TEST_F(Window, KeypadShortcutsAnswerToRealKeyPresses) {
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty()) {
        GTEST_SKIP() << "no xdotool";
    }
    // xdotool turns Num Lock on for the keypad's digits, as they need.
    const auto press = [&](const char* keys) {
        ASSERT_EQ(QProcess::execute(xdotool, {"key", "--clearmodifiers", keys}), 0);
    };
    press("ctrl+2");
    ASSERT_TRUE(draws_on_request());
    EXPECT_TRUE(logic().settings().perspective_3d);
    press("ctrl+KP_2");
    EXPECT_TRUE(wait_until([this] { return !logic().settings().perspective_3d; }));
    press("ctrl+KP_3");
    EXPECT_TRUE(wait_until([this] { return logic().settings().perspective_3d; }));
    press("ctrl+f");
    EXPECT_TRUE(wait_until([this] { return logic().settings().show_flow; }));

    // From the console panel too.
    console().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&console()));
    press("ctrl+KP_2");
    EXPECT_TRUE(wait_until([this] { return !logic().settings().perspective_3d; }));
}

TEST_F(Window, OpenDialogRestoresMouseLookThenLoads) {
    QTest::keyClick(&view(), Qt::Key_F2);
    ASSERT_TRUE(logic().settings().mouse_look);

    QFileDialog* dialog = start_open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters(),
              (QStringList{"Graphes (*.gr *.txt *.graphml *.gml *.max)", "Tous les fichiers (*)"}));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->defaultSuffix(), "gr");
    EXPECT_EQ(dialog->directory(), QDir::current());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_NE(window().cursor().shape(), Qt::BlankCursor);
    // The view keeps drawing under the dialog, which blocks the shortcuts,
    // also those pressed in the console panel.
    EXPECT_TRUE(draws_on_request());
    QTest::keyClick(dialog, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(console().text_area(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(console().text_area(), Qt::Key_2, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_FALSE(logic().settings().show_flow);
    EXPECT_TRUE(logic().settings().perspective_3d);

    // The path typed in reaches the load; the title shows it in full, and
    // the cursor comes back hidden for mouse look.
    const QString path = QStringLiteral(QUILLMERE_SOURCE_DIR "/examples/bottleneck.gr");
    answer(dialog, path);
    EXPECT_EQ(window().windowTitle(), "Quillmere - [" + path + "]");
    EXPECT_EQ(window().cursor().shape(), Qt::BlankCursor);
    ASSERT_NE(logic().loaded().graph(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Window, FrameShowsTheThreeArchesInTheirColours) {
    // The start camera, as it is with "Recadrer à chaque chargement" off.
    logic().settings().fit_on_load = false;
    open(QStringLiteral(QUILLMERE_SOURCE_DIR "/tests/platform/arches.gr"));
    ASSERT_NE(logic().loaded().graph(), nullptr);
    const QImage frame = view().grabFramebuffer();
    ASSERT_FALSE(frame.isNull());

    // Pairs side by side at height −6 facing the start camera; each arch
    // (ring radius 4, tube about 1) tops out at height −2 over its pair.
    const float tops[3] = {-10, 0, 10};
    for (int w = 0; w < 3; ++w) {
        SCOPED_TRACE(w);
        const Pixel p = project_start_view({0, tops[w], -2}, frame.width(), frame.height());
        const QRgb c = frame.pixel(p.x, p.y);
        EXPECT_TRUE(dominated_by({qRed(c), qGreen(c), qBlue(c)}, w)) << std::hex << c;
    }
}

TEST_F(Window, FailedLoadShowsAnErrorBoxOwnedByTheMainWindow) {
    std::vector<BoxSeen> seen;
    close_next_box(seen);
    // An unknown edge option: the load command's box, with its two lines.
    open(write("edge.gr", "0 -> 1 [weight = 2];"));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "Erreur de lecture du fichier");
    EXPECT_EQ(seen[0].text,
              "** Erreur de lecture du fichier .gr:\nEdgeOption \"weight\" non reconnue.");
    EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(seen[0].owner, &window());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The main window has the keyboard again.
    EXPECT_TRUE(wait_until([this] { return window().isActiveWindow(); }));
}

TEST_F(Window, CloseBoxEndsWithStatusZeroAndLeavesTheWindowUpTillThen) {
    EXPECT_EQ(exit_status_after([this] { window().close(); }), 0);
    EXPECT_TRUE(window().isVisible());
}

TEST_F(Window, ConsolePanelHidesOnCloseAndKeepsLogging) {
    // Lines wider and more numerous than the panel: it follows the last one,
    // back at the left edge.
    for (int i = 0; i < 200; ++i) {
        logic().log().append_line(std::string(i == 150 ? 400 : 10, 'x'));
    }
    QTest::qWait(50);
    QPlainTextEdit* area = console().text_area();
    EXPECT_EQ(area->verticalScrollBar()->value(), area->verticalScrollBar()->maximum());
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
    EXPECT_GT(area->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(area->horizontalScrollBar()->value(), 0);

    console().close();
    EXPECT_FALSE(console().isVisible());
    logic().log().append_line("après la fermeture");
    EXPECT_TRUE(console().text().endsWith("après la fermeture\n"));
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(draws_on_request());

    // Escape hides it too.
    console().show();
    QTest::keyClick(area, Qt::Key_Escape);
    EXPECT_FALSE(console().isVisible());
}

TEST_F(Window, HeldLettersMoveTheCameraUntilReleasedOrFocusLeaves) {
    // Held, the key moves the camera frame after frame with no other event.
    QTest::keyPress(&view(), Qt::Key_Z);
    ASSERT_TRUE(wait_until([this] { return logic().camera().position.x <= 25.0f - 2.0f * 3; }));
    QTest::keyRelease(&view(), Qt::Key_Z);
    ASSERT_TRUE(draws_on_request());
    const Vector3 moved = logic().camera().position;
    ASSERT_TRUE(draws_on_request());
    EXPECT_EQ(logic().camera().position, moved);

    // A key still held when the focus goes elsewhere stops acting.
    QTest::keyPress(&view(), Qt::Key_S);
    console().activateWindow();
    ASSERT_TRUE(wait_until([this] { return !window().isActiveWindow(); }));
    const Vector3 backed = logic().camera().position;
    ASSERT_TRUE(draws_on_request());
    EXPECT_EQ(logic().camera().position, backed);
}

TEST_F(Window, MouseLookHidesAndRecentresTheCursorUntilFocusLeaves) {
    QTest::keyClick(&view(), Qt::Key_F2);
    ASSERT_TRUE(logic().settings().mouse_look);
    EXPECT_EQ(window().cursor().shape(), Qt::BlankCursor);
    EXPECT_TRUE(wait_until([this] { return QCursor::pos() == window_centre(); }));

    // A motion to the right turns the view right (towards +y).
    QCursor::setPos(window_centre() + QPoint(60, 0));
    ASSERT_TRUE(wait_until([this] { return logic().camera().view_direction.y > 0.1f; }));
    EXPECT_TRUE(wait_until([this] { return QCursor::pos() == window_centre(); }));

    console().activateWindow();
    ASSERT_TRUE(wait_until([this] { return !window().isActiveWindow(); }));
    EXPECT_FALSE(logic().settings().mouse_look);
    EXPECT_NE(window().cursor().shape(), Qt::BlankCursor);
    const Vector3 direction = logic().camera().view_direction;
    QCursor::setPos(window_centre() + QPoint(0, 40));
    ASSERT_TRUE(draws_on_request());
    EXPECT_EQ(logic().camera().view_direction, direction);
}

TEST_F(Window, AboutBoxIsWindowModalAndTheViewKeepsDrawing) {
    window().action(Command::about)->trigger();
    AboutBox* box = platform_->about_box();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(wait_until([box] { return box->isVisible(); }));
    EXPECT_EQ(box->windowTitle(), "À Propos");
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->parentWidget(), &window());
    EXPECT_TRUE(draws_on_request());
    QPushButton* ok = box->findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "&OK");
    ok->click();
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(wait_until([this] { return window().isActiveWindow(); }));
}

// A reused dialog kept the last selection, which outranked the path typed
// the next time: the previous file was loaded again.
TEST_F(Window, SecondOpenLoadsTheNewlyTypedFileNotTheLastOne) {
    const QString first = write("first.gr", "0 -> 1;");
    open(first);
    ASSERT_EQ(window().windowTitle(), "Quillmere - [" + first + "]");
    const QString second = write("second.gr", "0 -> 1, 2;");
    open(second);
    EXPECT_EQ(window().windowTitle(), "Quillmere - [" + second + "]");
    ASSERT_NE(logic().loaded().graph(), nullptr);
    EXPECT_EQ(logic().loaded().graph()->vertex_count(), 3);

    // Fichier → Fichiers récents lists both, the latest first; its items load.
    const QList<QAction*> recent = window().recent_menu()->actions();
    ASSERT_EQ(recent.size(), 2);
    EXPECT_EQ(recent[0]->text(), "&1 " + second);
    recent[1]->trigger();
    ASSERT_TRUE(wait_until([&] { return window().windowTitle().endsWith(first + "]"); }));
}

TEST_F(Window, ViewDrawsNothingUntilSomethingMoves) {
    open(QStringLiteral(QUILLMERE_SOURCE_DIR "/examples/grid.gr"));
    // The certificate's arrival redraws the legend once; idle starts after it.
    ASSERT_TRUE(wait_until([this] { return !logic().certifying(); }));
    QTest::qWait(300);
    const long idle = view().frame_count();
    QTest::qWait(500);
    EXPECT_EQ(view().frame_count(), idle);

    // A held key draws frame after frame, paced at about 60 a second.
    QTest::keyPress(&view(), Qt::Key_P);
    QTest::qWait(500);
    QTest::keyRelease(&view(), Qt::Key_P);
    const long moving = view().frame_count() - idle;
    EXPECT_GE(moving, 5);
    EXPECT_LE(moving, 40);
    QTest::qWait(100);
    const long after = view().frame_count();
    QTest::qWait(300);
    EXPECT_EQ(view().frame_count(), after);
}

// A load that takes seconds runs while the window stays live; its progress
// box lets the user stop it. (How a cancelled load ends, and the box's
// texts, are the logic's tests'.)
TEST_F(Window, SlowLoadStaysLiveAndItsProgressBoxCancelsIt) {
    const QString slow = write("spread120.gr", spread_complete_graph_text(120, 12345));
    // lp_solve takes seconds on it (CLP, the automatic choice, a fraction of one).
    window().action(Command::solver_lp_solve)->trigger();
    EXPECT_EQ(logic().solver_choice(), SolverChoice::lp_solve);
    QFileDialog* dialog = start_open();
    ASSERT_NE(dialog, nullptr);
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->setText(slow);
    static_cast<QDialog*>(dialog)->accept();
    ASSERT_TRUE(wait_until([this] { return logic().loading(); }));

    // Frames keep coming while it runs: a held key moves the camera.
    QTest::keyPress(&view(), Qt::Key_Z);
    const long before = view().frame_count();
    EXPECT_TRUE(wait_until([&] { return view().frame_count() >= before + 10; }, 5000));
    QTest::keyRelease(&view(), Qt::Key_Z);

    ASSERT_TRUE(wait_until([this] {
        return platform_->progress_box() != nullptr && platform_->progress_box()->isVisible();
    }, 5000));
    ProgressBox* box = platform_->progress_box();
    ASSERT_TRUE(logic().loading()) << "the load ended before it could be cancelled";
    EXPECT_EQ(box->windowTitle(), "Chargement");
    EXPECT_TRUE(box->elapsed_label()->text().startsWith("Temps écoulé : "));
    EXPECT_EQ(box->cancel_button()->text(), "Annuler");
    // The box leaves the keyboard to the main window.
    EXPECT_TRUE(window().isActiveWindow());

    std::vector<BoxSeen> seen;
    close_next_box(seen);
    box->cancel_button()->click();
    finish_load();
    ASSERT_TRUE(wait_until([&] { return !seen.empty(); }));
    EXPECT_EQ(seen[0].caption, "Chargement annulé");
    EXPECT_EQ(seen[0].icon, QMessageBox::Information);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Window, StandardDialogsAndMenusSpeakFrench) {
    QFileDialog* dialog = start_open();
    ASSERT_NE(dialog, nullptr);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QStringList texts;
    for (QAbstractButton* button : buttons->buttons()) {
        texts << button->text();
    }
    texts.sort();
    EXPECT_EQ(texts, (QStringList{"&Ouvrir", "Annuler"}));
    answer(dialog, std::nullopt);

    std::unique_ptr<QMenu> menu(console().text_area()->createStandardContextMenu());
    // A read-only area offers copying and selecting, shortcut after a tab.
    QStringList items;
    for (QAction* item : menu->actions()) {
        if (!item->isSeparator()) {
            items << item->text().section('\t', 0, 0);
        }
    }
    EXPECT_EQ(items, (QStringList{"Cop&ier", "Tout sélectionner"}));
}

TEST_F(Window, GraphFileDroppedOnEitherWindowLoads) {
    const QString first = write("first.gr", "0 -> 1;");
    const QString second =
        write("second.GML", "graph [ node [ id 0 ] node [ id 1 ] edge [ source 0 target 1 ] ]");
    // Anything but one graph file, by its name, is refused.
    EXPECT_FALSE(drop_file(&view(), write("notes.odt", "0 -> 1;")));

    ASSERT_TRUE(drop_file(&view(), first));
    finish_load();
    EXPECT_EQ(window().windowTitle(), "Quillmere - [" + first + "]");

    ASSERT_TRUE(drop_file(console().text_area()->viewport(), second));
    finish_load();
    EXPECT_EQ(window().windowTitle(), "Quillmere - [" + second + "]");
}

TEST_F(Window, ConsoleComesBackFromTheViewMenu) {
    QAction* item = window().action(Command::show_console);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isChecked());
    console().close();
    EXPECT_FALSE(console().isVisible());
    EXPECT_FALSE(item->isChecked());

    item->trigger();
    EXPECT_TRUE(console().isVisible());
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(console().pos(), QPoint(view().width() + 60, 50));
    item->trigger();
    EXPECT_FALSE(console().isVisible());
}

TEST_F(Window, SavesTheResultsAsTheBatchRunnerPrintsThemAndTheConsole) {
    const QString path = QStringLiteral(QUILLMERE_SOURCE_DIR "/examples/bottleneck.gr");
    open(path);
    // Ctrl+S opens the dialog for the results.
    QTest::keyClick(&view(), Qt::Key_S, Qt::ControlModifier);
    QFileDialog* dialog = platform_->file_dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(wait_until([dialog] { return dialog->isVisible(); }));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    const QString results = QString::fromStdString(scratch_->path("résultats.json").string());
    answer(dialog, results);

    const nlohmann::json saved = nlohmann::json::parse(read_file(results.toStdString()));
    const RunResult batch = scratch_->run(QUILLMERE_BINARY_DIR "/batch/tarvessa-batch",
                                          "--json '" + path.toStdString() + "'");
    ASSERT_EQ(batch.status, 0) << batch.err;
    const nlohmann::json printed = batch.report();
    for (const char* field : {"vertices", "edges", "maxflow", "flows"}) {
        ASSERT_TRUE(printed.contains(field)) << field;
        EXPECT_EQ(saved[field], printed[field]) << field;
    }

    QFileDialog* console_dialog = start_file_dialog(Command::save_console);
    ASSERT_NE(console_dialog, nullptr);
    const QString text = QString::fromStdString(scratch_->path("console.txt").string());
    answer(console_dialog, text);
    EXPECT_EQ(QString::fromUtf8(read_file(text.toStdString())), console().text());
}
