#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

// The progress of a load ("Chargement") or of the force layout that takes a
// while, with its stage, the time it has run and an "Annuler" button. It is not modal, and it shows
// without taking the keyboard from the main window, whose view stays live;
// Escape and the close box cancel like the button.
class ProgressBox : public QDialog {
  public:
    // `cancel` runs when the user asks to stop the load.
    ProgressBox(QWidget* parent, std::function<void()> cancel);

    // Shows the box, or updates it, with this caption and these two lines.
    void show_progress(const QString& caption, const QString& stage, const QString& elapsed);

    QLabel* stage_label() const { return stage_; }
    QLabel* elapsed_label() const { return elapsed_; }
    QPushButton* cancel_button() const { return cancel_button_; }

  protected:
    void reject() override;

  private:
    QLabel* stage_;
    QLabel* elapsed_;
    QPushButton* cancel_button_;
    std::function<void()> cancel_;
};
