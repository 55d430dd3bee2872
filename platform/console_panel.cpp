#include "platform/console_panel.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

ConsolePanel::ConsolePanel() : text_area_(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Console"));
    setModal(false);
    text_area_->setReadOnly(true);
    text_area_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_area_->setUndoRedoEnabled(false);
    // Drops go to the panel, which loads a graph file, rather than to the
    // text area, which would refuse them as it is read-only.
    text_area_->setAcceptDrops(false);
    text_area_->viewport()->setAcceptDrops(false);
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(text_area_);
    resize(407, 471);
}

void ConsolePanel::show_beside(int client_width) {
    move(client_width + 60, 50);
    show();
}

void ConsolePanel::append(std::string_view text) {
    QTextCursor end(text_area_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    text_area_->moveCursor(QTextCursor::End);
    show_last_line();
}

void ConsolePanel::clear() {
    text_area_->clear();
}

QString ConsolePanel::text() const {
    return text_area_->toPlainText();
}

void ConsolePanel::keyPressEvent(QKeyEvent* event) {
    if (shortcuts_ && shortcuts_(*event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ConsolePanel::dragEnterEvent(QDragEnterEvent* event) {
    drop_.drag(event);
}

void ConsolePanel::dragMoveEvent(QDragMoveEvent* event) {
    drop_.drag(event);
}

void ConsolePanel::dropEvent(QDropEvent* event) {
    drop_.drop(event);
}

void ConsolePanel::show_last_line() {
    // The caret sits at the start of the empty line after the text: the view
    // follows it down and back to the left edge.
    QScrollBar* vertical = text_area_->verticalScrollBar();
    vertical->setValue(vertical->maximum());
    text_area_->horizontalScrollBar()->setValue(0);
}
