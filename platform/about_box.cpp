#include "platform/about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("À Propos"));
    auto* text = new QLabel(QStringLiteral("Quillmere\n\n"
                                           "Flots multiproduits, coupes creuses et plongements "
                                           "métriques sur de petits graphes.\n\n"
                                           "Programmation linéaire : lp_solve. "
                                           "Affichage : OpenGL et Qt."),
                            this);
    text->setWordWrap(true);
    text->setMinimumWidth(240);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 24, 12, 12);
    layout->addWidget(text);
    layout->addLayout(buttons);
    // As large as its text needs, and no larger.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
