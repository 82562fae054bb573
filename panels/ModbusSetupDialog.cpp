#include "panels/ModbusSetupDialog.h"
#include "link/Session.h"
#include "panels/WindowOperationRunner.h"

#include "link/Session.h"
#include "panels/DialogButtons.h"
#include "panels/HelpButton.h"
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vtl {

namespace {

QGroupBox* groupOf(const QString& title, std::initializer_list<QWidget*> widgets) {
    auto* group = new QGroupBox(title);
    auto* layout = new QVBoxLayout(group);
    for (auto* w : widgets)
        layout->addWidget(w);
    return group;
}

} // namespace

ModbusSetupDialog::ModbusSetupDialog(ModbusSetupOperations& operations, QWidget* parent)
    : QDialog(parent), ops_(operations) {
    setWindowTitle(QStringLiteral("ModBus Setup"));

    rtu_ = new QRadioButton(QStringLiteral("RTU"));
    rtu_->setObjectName(QStringLiteral("rtu"));
    ascii_ = new QRadioButton(QStringLiteral("ASCII"));
    ascii_->setObjectName(QStringLiteral("ascii"));
    connect(rtu_, &QRadioButton::clicked, this, [this] { chooseMode(false); });
    connect(ascii_, &QRadioButton::clicked, this, [this] { chooseMode(true); });
    baud_ = makeButton(QStringLiteral("???"), QStringLiteral("baud"));
    connect(baud_, &QPushButton::clicked, this,
            [this] { baud_->setText(nextModbusBaudText(baud_->text())); });
    data_ = makeButton(QStringLiteral("???"), QStringLiteral("data"));
    connect(data_, &QPushButton::clicked, this,
            [this] { data_->setText(nextModbusFormatText(data_->text(), ascii_->isChecked())); });

    auto* groups = new QHBoxLayout;
    groups->addWidget(groupOf(QStringLiteral("Mode"), {rtu_, ascii_}));
    groups->addWidget(groupOf(QStringLiteral("Baud"), {baud_}));
    groups->addWidget(groupOf(QStringLiteral("Data"), {data_}));

    ok_ = makeButton(QStringLiteral("OK"), QStringLiteral("ok"));
    auto* cancel = makeButton(QStringLiteral("Cancel"), QStringLiteral("cancel"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ok_);
    bottom->addWidget(cancel);
    bottom->addWidget(addHelp(*this, ops_.session().ui, help::ModbusSetup));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    runner_ = new WindowOperationRunner(this, ops_.session().ui, ops_.session().clock);
}

void ModbusSetupDialog::start() {
    ModbusView v;
    runner_->run([&] { ops_.open(v); });
    showView(v);
    if (ops_.canWrite()) return;
    // Nothing of the controller's is known after a read given up: no mode chosen, "???" on both
    // buttons, and only Cancel left.
    for (QRadioButton* mode : {rtu_, ascii_}) {
        mode->setAutoExclusive(false);
        mode->setChecked(false);
        mode->setAutoExclusive(true);
    }
    data_->setText(QStringLiteral("???"));
    for (QWidget* control : std::initializer_list<QWidget*>{rtu_, ascii_, baud_, data_, ok_})
        control->setEnabled(false);
}

ModbusView ModbusSetupDialog::view() const {
    return {ascii_->isChecked(), baud_->text(), data_->text()};
}

void ModbusSetupDialog::showView(const ModbusView& v) {
    (v.ascii ? ascii_ : rtu_)->setChecked(true);
    asciiMode_ = v.ascii;
    baud_->setText(v.baudText);
    data_->setText(v.dataText);
}

void ModbusSetupDialog::chooseMode(bool ascii) {
    // A click on the mode already chosen keeps the format; the baud button keeps its rate always.
    if (ascii == asciiMode_) return;
    asciiMode_ = ascii;
    data_->setText(modbusFormatForMode(ascii));
}

void ModbusSetupDialog::accept() {
    if (!ops_.canWrite()) return;
    // Closes after the write, and after the user gave it up alike.
    const auto v = view();
    runner_->run([&] { ops_.ok(v); });
    QDialog::accept();
}

} // namespace vtl
