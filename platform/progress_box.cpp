#include "platform/progress_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ProgressBox::ProgressBox(QWidget* parent, std::function<void()> cancel)
    : QDialog(parent),
      stage_(new QLabel(this)),
      elapsed_(new QLabel(this)),
      cancel_button_(new QPushButton(QStringLiteral("Annuler"), this)),
      cancel_(std::move(cancel)) {
    setWindowTitle(QStringLiteral("Chargement"));
    setModal(false);
    setAttribute(Qt::WA_ShowWithoutActivating);
    stage_->setMinimumWidth(320);
    connect(cancel_button_, &QPushButton::clicked, this, &ProgressBox::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_button_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stage_);
    layout->addWidget(elapsed_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ProgressBox::show_progress(const QString& caption, const QString& stage,
                                const QString& elapsed) {
    setWindowTitle(caption);
    stage_->setText(stage);
    elapsed_->setText(elapsed);
    if (!isVisible()) {
        show();
    }
}

void ProgressBox::reject() {
    // The box stays up until the load has ended; only the request goes.
    if (cancel_) {
        cancel_();
    }
}
