#pragma once

#include <QDialog>

// "À Propos": the program's title and credits, and an OK button. Escape
// and the close box dismiss it as well.
class AboutBox : public QDialog {
  public:
    explicit AboutBox(QWidget* parent);
};
