#include "platform/qt_platform.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <optional>

#include "platform/about_box.h"
#include "platform/gl_view.h"

QtPlatform::QtPlatform(RandomSource random) : logic_(*this, random), window_(logic_) {
    console_.set_shortcut_handler(
        [this](const QKeyEvent& event) { return window_.run_keypad_shortcut(event); });
    window_.view()->set_failure_handler([this] {
        show_start_failure();
        quit(1);
    });
}

QtPlatform::~QtPlatform() {
    if (busy_) {
        QApplication::restoreOverrideCursor();
    }
}

void QtPlatform::start() {
    window_.move(50, 50);
    window_.resize(700, 710);
    window_.show();
    console_.show_beside(window_.view()->width());
    window_.raise();
    window_.activateWindow();
    window_.view()->setFocus();
    logic_.start();
}

void QtPlatform::set_title(const std::string& title) {
    window_.setWindowTitle(QString::fromStdString(title));
}

void QtPlatform::show_error(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, &window_);
    box.exec();
    give_back_focus();
}

void QtPlatform::set_menu_check(int command, bool checked) {
    if (QAction* action = window_.action(command)) {
        action->setChecked(checked);
    }
}

void QtPlatform::start_open_dialog() {
    if (open_dialog_ != nullptr) {
        return;
    }
    // A new dialog each time: a reused one would keep the last selection,
    // which outranks a path typed afresh. It starts where the last one
    // ended, the first one in the current directory.
    open_dialog_ = new QFileDialog(&window_, QStringLiteral("Ouvrir"), open_directory_,
                                   QStringLiteral("Graphes (*.gr)"));
    open_dialog_->setOption(QFileDialog::DontUseNativeDialog);
    open_dialog_->setAcceptMode(QFileDialog::AcceptOpen);
    open_dialog_->setFileMode(QFileDialog::ExistingFile);
    open_dialog_->setDefaultSuffix(QStringLiteral("gr"));
    open_dialog_->setWindowModality(Qt::WindowModal);
    connect(open_dialog_, &QDialog::finished, this, &QtPlatform::open_dialog_finished);
    open_dialog_->open();
    open_dialog_->activateWindow();
}

void QtPlatform::open_dialog_finished(int result) {
    std::optional<std::string> path;
    const QStringList chosen = open_dialog_->selectedFiles();
    if (result == QDialog::Accepted && !chosen.isEmpty()) {
        path = QFileInfo(chosen.first()).absoluteFilePath().toStdString();
    }
    open_directory_ = open_dialog_->directory().absolutePath();
    open_dialog_->deleteLater();
    open_dialog_ = nullptr;
    // The file name's completion list can still be up after Return accepted
    // the dialog; left alone it would keep the keyboard and the mouse.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
    }
    give_back_focus();
    // Answer once the dialog is gone from the screen, so that the load does
    // not run under it.
    QTimer::singleShot(0, this, [this, path] { logic_.on_open_dialog_answer(path); });
}

void QtPlatform::give_back_focus() {
    // A window manager hands the focus back to the main window when one of
    // its dialogs closes; without one, nothing would have it.
    window_.activateWindow();
}

void QtPlatform::show_about() {
    if (about_box_ == nullptr) {
        about_box_ = new AboutBox(&window_);
        about_box_->setWindowModality(Qt::WindowModal);
        connect(about_box_, &QDialog::finished, this, &QtPlatform::give_back_focus);
    }
    about_box_->open();
    about_box_->activateWindow();
}

void QtPlatform::export_picture(const std::string& proposed_name) {
    const QString path = QFileDialog::getSaveFileName(
        &window_, QStringLiteral("Exporter l'image"),
        QDir(open_directory_).filePath(QString::fromStdString(proposed_name)),
        QStringLiteral("Images PNG (*.png)"), nullptr, QFileDialog::DontUseNativeDialog);
    give_back_focus();
    if (path.isEmpty()) {
        return;
    }
    // The view drawn again into an image of the drawing area's size, with
    // its labels and legend.
    const QImage picture = window_.view()->grabFramebuffer();
    if (picture.isNull() || !picture.save(path, "PNG")) {
        show_error("Erreur d'écriture", "Impossible d'écrire l'image\n" + path.toStdString());
    }
}

void QtPlatform::show_shortcuts(const std::string& text) {
    if (shortcuts_box_ == nullptr) {
        shortcuts_box_ = new QMessageBox(QMessageBox::Information, QStringLiteral("Raccourcis"),
                                         QString(), QMessageBox::Ok, &window_);
        shortcuts_box_->setWindowModality(Qt::WindowModal);
        connect(shortcuts_box_, &QDialog::finished, this, &QtPlatform::give_back_focus);
    }
    shortcuts_box_->setText(QString::fromUtf8(text.c_str()));
    shortcuts_box_->open();
    shortcuts_box_->activateWindow();
}

void QtPlatform::quit(int status) {
    QCoreApplication::exit(status);
}

bool QtPlatform::is_key_held(char letter) {
    if (letter < 'A' || letter > 'Z') {
        return false;
    }
    return window_.is_key_held(Qt::Key_A + (letter - 'A'));
}

ScreenPoint QtPlatform::cursor_position() {
    const QPoint p = QCursor::pos();
    return ScreenPoint{p.x(), p.y()};
}

void QtPlatform::set_cursor_position(ScreenPoint point) {
    QCursor::setPos(point.x, point.y);
}

void QtPlatform::set_cursor_hidden(bool hidden) {
    if (hidden) {
        window_.setCursor(Qt::BlankCursor);
    } else {
        window_.unsetCursor();
    }
}

ScreenRect QtPlatform::main_window_rect() {
    const QRect frame = window_.frameGeometry();
    return ScreenRect{frame.left(), frame.top(), frame.left() + frame.width(),
                      frame.top() + frame.height()};
}

void QtPlatform::set_busy(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void show_start_failure() {
    QMessageBox::critical(nullptr, QStringLiteral("Erreur critique !"),
                          QStringLiteral("Impossible de créer la fenêtre"));
}
