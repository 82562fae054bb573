#include "panels/SubPanelDialog.h"
#include "link/Session.h"
#include "panels/WindowOperationRunner.h"

#include "link/Session.h"
#include "panels/AddressSpinBox.h"
#include "panels/DialogButtons.h"
#include "panels/HelpButton.h"
#include "panels/ModbusSetupDialog.h"
#include "panels/SubPanelSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtl {

SubPanelDialog::SubPanelDialog(SubPanelOperations& operations, QWidget* parent)
    : QDialog(parent), ops_(operations) {
    build();
}

void SubPanelDialog::build() {
    setWindowTitle(QStringLiteral("Vantrel"));

    address_ = new AddressSpinBox;
    address_->setObjectName(QStringLiteral("address"));
    address_->setMaximum(SubPanelMaxAddress);
    baud_ = makeButton(QStringLiteral("38400"), QStringLiteral("baud"));
    connect(baud_, &QPushButton::clicked, this,
            [this] { baud_->setText(nextSubPanelBaudText(baud_->text())); });
    lastPanel_ = new QCheckBox(QStringLiteral("Yes"));
    lastPanel_->setObjectName(QStringLiteral("lastPanel"));
    kestrom_ = new QCheckBox(QStringLiteral("Kestrom Compatible"));
    kestrom_->setObjectName(QStringLiteral("kestrom"));
    modbus_ = makeButton(QStringLiteral("ModBus Setup"), QStringLiteral("modbus"));
    connect(modbus_, &QPushButton::clicked, this, &SubPanelDialog::openModbusSetup);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Panel Address")), 0, 0);
    fields->addWidget(address_, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Panel Baud")), 1, 0);
    fields->addWidget(baud_, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Last Panel")), 2, 0);
    fields->addWidget(lastPanel_, 2, 1);
    fields->addWidget(kestrom_, 3, 0, 1, 2);
    fields->addWidget(modbus_, 4, 0, 1, 2);
    fields->setColumnStretch(2, 1);

    auto* note = new QLabel(QStringLiteral("Comm LED Must Be In A Rapid Flash To Communicate."));
    note->setObjectName(QStringLiteral("note"));
    auto* group = new QGroupBox(QStringLiteral("Sub Panel Configuration"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(fields);
    groupLayout->addWidget(note, 0, Qt::AlignHCenter);

    auto* backup = makeButton(QStringLiteral("Panel File Backup"), QStringLiteral("backup"));
    auto* restore = makeButton(QStringLiteral("Panel File Restore"), QStringLiteral("restore"));
    connect(backup, &QPushButton::clicked, this, &SubPanelDialog::backupRequested);
    connect(restore, &QPushButton::clicked, this, &SubPanelDialog::restoreRequested);
    status_ = new QLineEdit;
    status_->setObjectName(QStringLiteral("status"));
    status_->setReadOnly(true);
    status_->setFocusPolicy(Qt::NoFocus);
    auto* files = new QGroupBox;
    auto* filesLayout = new QVBoxLayout(files);
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addWidget(backup);
    fileButtons->addWidget(restore);
    filesLayout->addLayout(fileButtons);
    filesLayout->addWidget(status_);

    const OperationButtons buttons = makeOperationButtons();
    send_ = buttons.send;
    send_->setDefault(true);
    connect(buttons.load, &QPushButton::clicked, this, &SubPanelDialog::load);
    connect(buttons.send, &QPushButton::clicked, this, &SubPanelDialog::send);
    connect(buttons.clear, &QPushButton::clicked, this, &SubPanelDialog::clear);
    connect(buttons.close, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = buttons.row;
    bottom->addWidget(addHelp(*this, ops_.session().ui, help::SubPanel));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(files);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    runner_ = new WindowOperationRunner(this, ops_.session().ui, ops_.session().clock, status_);

    showView(SubPanelView{});
}

void SubPanelDialog::start() {
    auto v = view();
    runner_->run([&] { ops_.open(v); });
    showView(v);
}

SubPanelView SubPanelDialog::view() const {
    SubPanelView v;
    v.addressText = address_->text();
    v.baudText = baud_->text();
    v.lastPanel = lastPanel_->isChecked();
    v.kestromShown = !kestrom_->isHidden();
    if (kestrom_->checkState() == Qt::PartiallyChecked)
        v.kestromCompatible.reset();
    else
        v.kestromCompatible = kestrom_->isChecked();
    v.modbusShown = !modbus_->isHidden();
    return v;
}

void SubPanelDialog::showView(const SubPanelView& v) {
    address_->setText(v.addressText);
    baud_->setText(v.baudText);
    lastPanel_->setChecked(v.lastPanel);
    kestrom_->setVisible(v.kestromShown);
    // A flag that could not be read shows neither state and cannot be sent until a Load reads it.
    if (v.kestromCompatible) {
        kestrom_->setTristate(false);
        kestrom_->setChecked(*v.kestromCompatible);
    } else {
        kestrom_->setCheckState(Qt::PartiallyChecked);
    }
    kestrom_->setEnabled(v.kestromCompatible.has_value());
    modbus_->setVisible(v.modbusShown);
    send_->setEnabled(SubPanelOperations::canSend(v));
}

void SubPanelDialog::load() {
    auto v = view();
    runner_->run([&] { ops_.load(v); });
    showView(v);
}

void SubPanelDialog::send() {
    address_->commit();
    const auto v = view();
    runner_->run([&] { ops_.send(v); });
}

void SubPanelDialog::clear() {
    runner_->run([&] { ops_.clear(); });
}

void SubPanelDialog::openModbusSetup() {
    ModbusSetupOperations operations(ops_.session());
    ModbusSetupDialog dialog(operations, this);
    dialog.start();
    dialog.exec();
}

} // namespace vtl
