#include "platform/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <map>

#include "platform/gl_view.h"
#include "shell/commands.h"
#include "shell/main_window_logic.h"

namespace {

bool is_letter(int key) {
    return key >= Qt::Key_A && key <= Qt::Key_Z;
}

}  // namespace

MainWindow::MainWindow(MainWindowLogic& logic) : logic_(logic), view_(new GlView(logic, this)) {
    setWindowTitle(QStringLiteral("Quillmere"));
    // White behind the view while it has not drawn yet; the menu bar keeps
    // the usual colours.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setCentralWidget(view_);
    build_menu();
    menuBar()->setPalette(QPalette());
    setAcceptDrops(true);
}

void MainWindow::add_menu_items(QMenu* menu, std::span<const MenuItem> items,
                                std::map<int, QActionGroup*>& groups) {
    for (const MenuItem& item : items) {
        if (item.is_separator()) {
            menu->addSeparator();
            continue;
        }
        if (item.submenu) {
            QMenu* submenu = menu->addMenu(QString::fromUtf8(item.text));
            if (item.command == Command::recent_files) {
                recent_menu_ = submenu;
            }
            add_menu_items(submenu, item.items, groups);
            actions_[item.command] = submenu->menuAction();
            continue;
        }
        // The text after the tab shows as the shortcut, as written.
        QAction* action = menu->addAction(QString::fromUtf8(item.text));
        const Command command = item.command;
        if (item.checkable) {
            action->setCheckable(true);
            action->setChecked(logic_.command_checked(command));
        }
        if (item.radio_group != 0) {
            QActionGroup*& group = groups[item.radio_group];
            if (group == nullptr) {
                group = new QActionGroup(this);
            }
            group->addAction(action);
        }
        connect(action, &QAction::triggered, this, [this, command] {
            logic_.on_command(command);
            // The logic sets the check mark; a checkable action has
            // already flipped its own, which agrees with it.
        });
        actions_[command] = action;
    }
}

void MainWindow::build_menu() {
    std::map<int, QActionGroup*> groups;
    for (const Menu& menu : main_menu()) {
        add_menu_items(menuBar()->addMenu(QString::fromUtf8(menu.title)), menu.items, groups);
    }
    for (const Accelerator& accelerator : accelerators()) {
        QAction* target = action(accelerator.command);
        // The keypad's digits are matched by keypad_command instead: on X11,
        // Qt's shortcut matching drops the keypad modifier of a key press,
        // so a keypad shortcut would never fire and one without the modifier
        // would fire for the main row's digit too.
        if (target == nullptr || accelerator.keypad) {
            continue;
        }
        if (accelerator.function_key != 0) {
            target->setShortcut(QKeySequence(Qt::Key(Qt::Key_F1 + accelerator.function_key - 1)));
        } else {
            target->setShortcut(
                QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(accelerator.key))));
        }
        // Like the menu, the shortcuts work from the console panel too; a
        // modal dialog of the main window still blocks them.
        target->setShortcutContext(Qt::ApplicationShortcut);
    }
}

Command keypad_command(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                             Qt::MetaModifier | Qt::KeypadModifier);
    if (modifiers != (Qt::ControlModifier | Qt::KeypadModifier)) {
        return Command::none;
    }
    for (const Accelerator& accelerator : accelerators()) {
        if (accelerator.keypad && event.key() == accelerator.key) {
            return accelerator.command;
        }
    }
    return Command::none;
}

bool MainWindow::run_keypad_shortcut(const QKeyEvent& event) {
    const Command command = keypad_command(event);
    // A modal dialog blocks the shortcuts, as it blocks the menu.
    if (command == Command::none || QApplication::activeModalWidget() != nullptr) {
        return false;
    }
    logic_.on_command(command);
    return true;
}

void MainWindow::set_recent_files(const std::vector<std::string>& paths,
                                  const std::function<void(std::size_t)>& choose) {
    if (recent_menu_ == nullptr) {
        return;
    }
    // The item chosen may still be emitting its signal: deleted later.
    for (QAction* old : recent_menu_->actions()) {
        recent_menu_->removeAction(old);
        old->deleteLater();
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // "&1 /dossier/graphe.gr": the digit as mnemonic; an "&" of the path
        // shows as itself.
        QString text = QString::fromUtf8(paths[i].c_str());
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = recent_menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(text));
        // Once the menu has closed.
        connect(item, &QAction::triggered, this,
                [this, choose, i] { QTimer::singleShot(0, this, [choose, i] { choose(i); }); });
    }
}

QAction* MainWindow::action(Command command) const {
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (run_keypad_shortcut(*event)) {
        // Handled as a command.
    } else if (key == Qt::Key_Escape) {
        logic_.on_key_down(WindowKey::escape);
    } else if (key == Qt::Key_Home) {
        logic_.on_key_down(WindowKey::home);
    } else if (key == Qt::Key_F2) {
        // Holding F2 toggles once, not at the keyboard's repeat rate.
        if (!event->isAutoRepeat()) {
            logic_.on_key_down(WindowKey::f2);
        }
    } else {
        if (is_letter(key) && !event->isAutoRepeat()) {
            held_keys_.insert(key);
        }
        logic_.on_key_down(WindowKey::other);
    }
    event->accept();
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) {
        held_keys_.erase(event->key());
    }
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        // The releases of keys held now would go to the other window.
        held_keys_.clear();
        logic_.on_focus_lost();
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    drop_.drag(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    drop_.drag(event);
}

void MainWindow::dropEvent(QDropEvent* event) {
    drop_.drop(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window stays until the program ends.
    event->ignore();
    logic_.on_close();
}
