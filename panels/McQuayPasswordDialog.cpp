#include "panels/McQuayPasswordDialog.h"

#include "panels/MainPanelMemory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtl {

McQuayPasswordDialog::McQuayPasswordDialog(MainPanelMemory& memory, QWidget* parent)
    : QDialog(parent), memory_(memory), field_(new QLineEdit(memory.passwordText())) {
    setWindowTitle(QStringLiteral("McQuay"));
    field_->setObjectName(QStringLiteral("password"));
    field_->setMinimumWidth(field_->fontMetrics().averageCharWidth() * 16);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter New McQuay Password :")));
    layout->addWidget(field_);
    layout->addLayout(buttons);
}

void McQuayPasswordDialog::accept() {
    memory_.setPasswordText(field_->text());
    QDialog::accept();
}

} // namespace vtl
