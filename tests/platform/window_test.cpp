// The real windows: the main window with its menu, shortcuts and GL view,
// the console panel and the dialogs, driven through Qt's events.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/random_source.h"
#include "platform/about_box.h"
#include "platform/console_panel.h"
#include "platform/gl_view.h"
#include "platform/main_window.h"
#include "platform/qt_platform.h"
#include "shell/commands.h"
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
        ASSERT_TRUE(wait_until([this] { return view().frame_count() > 1; }));
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

    // Gives the Open command and waits for its dialog.
    QFileDialog* start_open() {
        window().action(IDM_OPEN)->trigger();
        QFileDialog* dialog = platform_->open_dialog();
        if (dialog == nullptr || !wait_until([dialog] { return dialog->isVisible(); })) {
            return nullptr;
        }
        return dialog;
    }

    // Answers the open dialog with `path` (or cancels it) and waits until the
    // logic has handled the answer, load included.
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

    // Whether the view draws at least `frames` more frames.
    bool keeps_drawing(long frames = 3) {
        const long start = view().frame_count();
        return wait_until([&] { return view().frame_count() >= start + frames; });
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
    // The letter shortcuts are the table's, as QAction shortcuts; the keypad
    // ones have their own test below.
    for (const Accelerator& a : accelerators()) {
        if (!a.keypad) {
            EXPECT_EQ(window().action(a.command)->shortcut(),
                      QKeySequence(Qt::ControlModifier | Qt::Key(a.key)))
                << a.key;
        }
    }

    EXPECT_EQ(console().windowTitle(), "Console");
    EXPECT_TRUE(console().isVisible());
    EXPECT_EQ(console().pos(), QPoint(view().width() + 60, 50));
    QPlainTextEdit* area = console().text_area();
    EXPECT_TRUE(area->isReadOnly());
    EXPECT_EQ(area->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(area->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(area->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // Nothing loaded: the view is all white.
    const QImage frame = view().grabFramebuffer();
    ASSERT_FALSE(frame.isNull());
    int other = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            other += (frame.pixel(x, y) & 0xffffff) != 0xffffff ? 1 : 0;
        }
    }
    EXPECT_EQ(other, 0);
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
    EXPECT_TRUE(window().action(IDM_TOGGLE_FLOW)->isChecked());
    EXPECT_TRUE(keeps_drawing());
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
    ASSERT_TRUE(keeps_drawing());
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
    EXPECT_EQ(dialog->nameFilters(), QStringList{"Graphes (*.gr)"});
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->defaultSuffix(), "gr");
    EXPECT_EQ(dialog->directory(), QDir::current());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_NE(window().cursor().shape(), Qt::BlankCursor);
    // The view keeps drawing under the dialog, which blocks the shortcuts,
    // also those pressed in the console panel.
    EXPECT_TRUE(keeps_drawing());
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
    EXPECT_EQ(logic().loaded().graph()->vertex_count(), 6);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A cancelled dialog reaches the logic too, and loads nothing.
    const Graph* shown = logic().loaded().graph();
    QFileDialog* again = start_open();
    ASSERT_NE(again, nullptr);
    answer(again, std::nullopt);
    EXPECT_EQ(logic().loaded().graph(), shown);
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
    EXPECT_EQ(logic().loaded().graph(), nullptr);
    EXPECT_EQ(window().windowTitle(), "Quillmere");
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
    EXPECT_TRUE(keeps_drawing());

    // Escape hides it too.
    console().show();
    QTest::keyClick(area, Qt::Key_Escape);
    EXPECT_FALSE(console().isVisible());
}

TEST_F(Window, HeldLettersMoveTheCameraUntilReleasedOrFocusLeaves) {
    QTest::keyPress(&view(), Qt::Key_Z);
    ASSERT_TRUE(keeps_drawing());
    QTest::keyRelease(&view(), Qt::Key_Z);
    const Vector3 moved = logic().camera().position;
    EXPECT_LE(moved.x, 25.0f - 2.0f * 3);
    ASSERT_TRUE(keeps_drawing());
    EXPECT_EQ(logic().camera().position, moved);

    // A key still held when the focus goes elsewhere stops acting.
    QTest::keyPress(&view(), Qt::Key_S);
    console().activateWindow();
    ASSERT_TRUE(wait_until([this] { return !window().isActiveWindow(); }));
    const Vector3 backed = logic().camera().position;
    ASSERT_TRUE(keeps_drawing());
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
    ASSERT_TRUE(keeps_drawing());
    EXPECT_EQ(logic().camera().view_direction, direction);
}

TEST_F(Window, AboutBoxIsWindowModalAndTheViewKeepsDrawing) {
    window().action(IDM_ABOUT)->trigger();
    AboutBox* box = platform_->about_box();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(wait_until([box] { return box->isVisible(); }));
    EXPECT_EQ(box->windowTitle(), "À Propos");
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->parentWidget(), &window());
    EXPECT_TRUE(keeps_drawing());
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
}
