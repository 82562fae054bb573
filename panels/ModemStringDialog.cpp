#include "panels/ModemStringDialog.h"

#include "panels/MainPanelMemory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtl {

ModemStringDialog::ModemStringDialog(MainPanelMemory& memory, QWidget* parent)
    : QDialog(parent), memory_(memory), field_(new QLineEdit(memory.modemStringText())) {
    setWindowTitle(QStringLiteral("Modem Initialization"));
    field_->setObjectName(QStringLiteral("modemString"));
    field_->setMinimumWidth(field_->fontMetrics().averageCharWidth() * 36);

    auto* ok = new QPushButton(QStringLiteral("&OK"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter New Modem Initialization String :")));
    layout->addWidget(field_);
    layout->addLayout(buttons);
}

void ModemStringDialog::accept() {
    memory_.setModemStringText(field_->text());
    QDialog::accept();
}

} // namespace vtl
