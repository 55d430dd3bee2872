#include "platform/qt_platform.h"

#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QMetaObject>
#include <QScreen>
#include <QTimer>
#include <optional>

#include "platform/about_box.h"
#include "platform/gl_view.h"
#include "platform/progress_box.h"
#include "shell/commands.h"

namespace {

QString to_qt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtPlatform::QtPlatform(RandomSource random, LoadFunction load, PreferenceStore* preferences)
    : logic_(*this, random, std::move(load), monotonic_milliseconds, preferences), window_(logic_) {
    console_.set_shortcut_handler(
        [this](const QKeyEvent& event) { return window_.run_keypad_shortcut(event); });
    const GraphDropHandler drop{
        [this] { return logic_.can_load(); },
        [this](const QString& path) { logic_.load_file(path.toStdString()); }};
    window_.set_drop_handler(drop);
    console_.set_drop_handler(drop);
    connect(&console_, &QDialog::finished, this, [this] { logic_.on_console_closed(); });
    window_.view()->set_failure_handler([this] {
        show_start_failure();
        quit(1);
    });
    progress_timer_.setInterval(100);
    connect(&progress_timer_, &QTimer::timeout, this, [this] { logic_.on_progress_tick(); });
}

QtPlatform::~QtPlatform() {
    progress_timer_.stop();
    if (override_cursor_) {
        QApplication::restoreOverrideCursor();
    }
}

bool QtPlatform::restore_place(QWidget& widget, const std::optional<WindowPlace>& place) {
    if (!place) {
        return false;
    }
    const QRect rect(place->x, place->y, place->width, place->height);
    // A screen that was there at the last run may be gone.
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(rect)) {
            widget.setGeometry(rect);
            return true;
        }
    }
    return false;
}

void QtPlatform::start(const std::optional<std::string>& file) {
    if (!restore_place(window_, logic_.kept_window_place(PlacedWindow::main))) {
        window_.move(50, 50);
        window_.resize(700, 710);
    }
    window_.show();
    if (restore_place(console_, logic_.kept_window_place(PlacedWindow::console))) {
        console_.show();
    } else {
        console_.show_beside(window_.view()->width());
    }
    window_.raise();
    window_.activateWindow();
    window_.view()->setFocus();
    logic_.start();
    if (file) {
        const std::string path = QFileInfo(to_qt(*file)).absoluteFilePath().toStdString();
        // Once the windows are up, as if the file had been chosen in the
        // open dialog.
        QTimer::singleShot(0, this, [this, path] { logic_.load_file(path); });
    }
}

void QtPlatform::set_title(const std::string& title) {
    window_.setWindowTitle(to_qt(title));
}

void QtPlatform::show_box(int icon, const std::string& caption, const std::string& text) {
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), to_qt(caption), to_qt(text),
                    QMessageBox::Ok, &window_);
    box.exec();
    give_back_focus();
}

void QtPlatform::show_error(const std::string& caption, const std::string& text) {
    show_box(QMessageBox::Critical, caption, text);
}

void QtPlatform::show_information(const std::string& caption, const std::string& text) {
    show_box(QMessageBox::Information, caption, text);
}

void QtPlatform::set_menu_check(Command command, bool checked) {
    if (QAction* action = window_.action(command)) {
        action->setChecked(checked);
    }
}

void QtPlatform::set_menu_enabled(Command command, bool enabled) {
    if (QAction* action = window_.action(command)) {
        action->setEnabled(enabled);
    }
}

void QtPlatform::open_file_dialog(QFileDialog* dialog, FileDialogKind kind,
                                  std::function<void(const std::optional<std::string>&)> answer) {
    file_dialog_ = dialog;
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, this, [this, dialog, kind, answer](int result) {
        std::optional<std::string> path;
        const QStringList chosen = dialog->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty()) {
            path = QFileInfo(chosen.first()).absoluteFilePath().toStdString();
        }
        // The chosen file's folder (a path typed in full leaves the dialog's
        // own folder where it was), else where the dialog was left.
        logic_.on_dialog_folder(kind, path ? QFileInfo(chosen.first()).absolutePath().toStdString()
                                           : dialog->directory().absolutePath().toStdString());
        dialog->deleteLater();
        file_dialog_ = nullptr;
        give_back_focus();
        // Answer once the dialog is gone from the screen.
        QTimer::singleShot(0, this, [answer, path] { answer(path); });
    });
    dialog->open();
    dialog->activateWindow();
}

void QtPlatform::start_open_dialog(const std::string& folder) {
    if (file_dialog_ != nullptr) {
        return;
    }
    // A new dialog each time: a reused one would keep the last selection,
    // which outranks a path typed afresh.
    auto* dialog = new QFileDialog(&window_, QStringLiteral("Ouvrir"),
                                   folder.empty() ? QDir::currentPath() : to_qt(folder),
                                   QStringLiteral("Graphes (*.gr)"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(QStringLiteral("gr"));
    open_file_dialog(dialog, FileDialogKind::open, [this](const std::optional<std::string>& path) {
        logic_.on_open_dialog_answer(path);
    });
}

void QtPlatform::start_demands_dialog(const std::string& folder) {
    if (file_dialog_ != nullptr) {
        return;
    }
    auto* dialog = new QFileDialog(&window_, QStringLiteral("Ouvrir des demandes"),
                                   folder.empty() ? QDir::currentPath() : to_qt(folder),
                                   QStringLiteral("Demandes (*.dem *.txt)"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    open_file_dialog(
        dialog, FileDialogKind::demands,
        [this](const std::optional<std::string>& path) { logic_.on_demands_dialog_answer(path); });
}

void QtPlatform::start_save_dialog(SaveKind kind, const std::string& suggested) {
    if (file_dialog_ != nullptr) {
        return;
    }
    const bool results = kind == SaveKind::results;
    auto* dialog = new QFileDialog(
        &window_,
        results ? QStringLiteral("Enregistrer les résultats")
                : QStringLiteral("Enregistrer la console"),
        QDir::currentPath(),
        results ? QStringLiteral("Résultats JSON (*.json)") : QStringLiteral("Texte (*.txt)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(results ? QStringLiteral("json") : QStringLiteral("txt"));
    // A full path also sets the directory; a bare name stays in the current
    // one.
    dialog->selectFile(to_qt(suggested));
    open_file_dialog(dialog, results ? FileDialogKind::save_results : FileDialogKind::save_console,
                     [this, kind](const std::optional<std::string>& path) {
                         logic_.on_save_dialog_answer(kind, path);
                     });
}

void QtPlatform::give_back_focus() {
    // The file name's completion list can still be up after Return accepted
    // a file dialog; left alone it would keep the keyboard and the mouse.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
    }
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

std::optional<std::string> QtPlatform::choose_export_file(const std::string& proposed) {
    const QString path = QFileDialog::getSaveFileName(
        &window_, QStringLiteral("Exporter l'image"), QDir::current().filePath(to_qt(proposed)),
        QStringLiteral("Images PNG (*.png)"), nullptr, QFileDialog::DontUseNativeDialog);
    give_back_focus();
    if (path.isEmpty()) {
        return std::nullopt;
    }
    const QFileInfo chosen(path);
    logic_.on_dialog_folder(FileDialogKind::export_image, chosen.absolutePath().toStdString());
    return chosen.absoluteFilePath().toStdString();
}

std::string QtPlatform::view_png() {
    // The view drawn again into an image of the drawing area's size, with
    // its labels and legend.
    const QImage picture = window_.view()->grabFramebuffer();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (picture.isNull() || !buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) {
        return {};
    }
    return bytes.toStdString();
}

void QtPlatform::set_recent_files(const std::vector<std::string>& paths) {
    window_.set_recent_files(paths, [this](std::size_t index) { logic_.open_recent(index); });
}

std::optional<WindowPlace> QtPlatform::window_place(PlacedWindow which) {
    const QWidget& widget =
        which == PlacedWindow::main ? static_cast<const QWidget&>(window_) : console_;
    const QRect rect = widget.geometry();
    return WindowPlace{rect.x(), rect.y(), rect.width(), rect.height()};
}

TextMetrics QtPlatform::overlay_text_metrics() {
    return window_.view()->overlay_text_metrics();
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
    cursor_hidden_ = hidden;
    apply_cursor();
}

ScreenRect QtPlatform::main_window_rect() {
    const QRect frame = window_.frameGeometry();
    return ScreenRect{frame.left(), frame.top(), frame.left() + frame.width(),
                      frame.top() + frame.height()};
}

void QtPlatform::set_busy(bool busy) {
    busy_ = busy;
    apply_cursor();
}

void QtPlatform::apply_cursor() {
    const bool wanted = busy_ && !cursor_hidden_;
    if (wanted == override_cursor_) {
        return;
    }
    override_cursor_ = wanted;
    if (wanted) {
        // The arrow with the busy sign: the window stays usable meanwhile.
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void QtPlatform::request_frame() {
    window_.view()->request_frame();
}

void QtPlatform::post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void QtPlatform::set_progress_ticks(bool on) {
    if (on) {
        progress_timer_.start();
    } else {
        progress_timer_.stop();
    }
}

void QtPlatform::show_progress(const std::string& caption, const std::string& stage,
                               const std::string& elapsed) {
    if (progress_box_ == nullptr) {
        progress_box_ = new ProgressBox(&window_, [this] { logic_.cancel_running(); });
    }
    progress_box_->show_progress(to_qt(caption), to_qt(stage), to_qt(elapsed));
}

void QtPlatform::hide_progress() {
    if (progress_box_ != nullptr) {
        progress_box_->hide();
    }
}

std::string QtPlatform::console_text() {
    return console_.text().toStdString();
}

void QtPlatform::set_console_shown(bool shown) {
    if (shown) {
        console_.show_beside(window_.view()->width());
    } else {
        console_.hide();
    }
}

void show_start_failure() {
    QMessageBox::critical(nullptr, QStringLiteral("Erreur critique !"),
                          QStringLiteral("Impossible de créer la fenêtre"));
}
