#include "panels/OperationProgressBar.h"

#include "link/TimeLeft.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace vtl {

OperationProgressBar::OperationProgressBar(Clock& clock, QWidget* parent)
    : QWidget(parent), clock_(clock) {
    bar_ = new QProgressBar;
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setTextVisible(false);
    bar_->setFixedWidth(120);
    label_ = new QLabel;
    label_->setObjectName(QStringLiteral("progressText"));
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"));
    cancelButton_->setObjectName(QStringLiteral("cancel"));
    cancelButton_->setAutoDefault(false);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        cancel_.store(true);
        cancelButton_->setEnabled(false);
    });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar_);
    layout->addWidget(label_);
    layout->addWidget(cancelButton_);
    setVisible(false);
}

void OperationProgressBar::begin() {
    cancel_.store(false);
    cancelButton_->setEnabled(true);
    startUs_ = clock_.nowUs();
}

// Runs while the operation's thread waits for it, so reading its clock races with nothing.
void OperationProgressBar::showProgress(const OperationProgress& progress) {
    if (progress.total <= 0) {
        setVisible(false);
        return;
    }
    bar_->setRange(0, progress.total);
    bar_->setValue(std::min(progress.done, progress.total));
    label_->setText(progressText(progress, (clock_.nowUs() - startUs_) / 1000));
    setVisible(true);
}

QString OperationProgressBar::text() const {
    return isHidden() ? QString() : label_->text();
}

} // namespace vtl
