#pragma once

#include <QDialog>
#include <functional>
#include <string_view>

#include "common/console_log.h"
#include "platform/file_drop.h"

class QPlainTextEdit;

// The console panel: a window of its own beside the main window, holding the
// console's text in a read-only area that scrolls both ways and does not
// wrap lines. Closing it (close box or Escape) only hides it; the text keeps
// growing behind it. A graph file dropped on it is loaded.
class ConsolePanel : public QDialog, public ConsoleSink {
  public:
    ConsolePanel();

    // Shows the panel with its left edge `client_width` + 60 pixels from the
    // screen's left and its top 50 pixels down, to the right of the main
    // window.
    void show_beside(int client_width);

    // Appends at the very end and scrolls to it; the area repaints on the
    // next turn of the event loop.
    void append(std::string_view text) override;
    void clear() override;

    // Offers every key press that the text area leaves to `shortcuts`
    // first, which returns whether it ran a command for it.
    void set_shortcut_handler(std::function<bool(const QKeyEvent&)> shortcuts) {
        shortcuts_ = std::move(shortcuts);
    }

    void set_drop_handler(GraphDropHandler handler) { drop_ = std::move(handler); }

    // The whole text, as shown.
    QString text() const;
    QPlainTextEdit* text_area() const { return text_area_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void show_last_line();

    QPlainTextEdit* text_area_;
    std::function<bool(const QKeyEvent&)> shortcuts_;
    GraphDropHandler drop_;
};
