#include "lan/LanControllerDialog.h"
#include "panels/WindowOperationRunner.h"

#include "lan/BacnetDeviceDialog.h"
#include "lan/Ipv4AddressValidator.h"
#include "lan/LanRates.h"
#include "link/Session.h"
#include "panels/AddressSpinBox.h"
#include "panels/ControllerTextEdit.h"
#include "panels/DialogButtons.h"
#include "panels/HelpButton.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace vtl {

namespace {

// Moves a button's caption one step on.
void onPress(QPushButton* button, std::function<QString(const QString&)> next) {
    QObject::connect(button, &QPushButton::clicked, button,
                     [button, next = std::move(next)] { button->setText(next(button->text())); });
}

// A baud rate button in a group box of its own.
QGroupBox* rateGroup(const QString& title, QPushButton*& button, const char* name) {
    auto* group = new QGroupBox(title);
    group->setObjectName(QString::fromLatin1(name) + QStringLiteral("Group"));
    button = makeButton(QStringLiteral("19200"), QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(button);
    return group;
}

} // namespace

LanControllerDialog::LanControllerDialog(Session& session, QWidget* parent)
    : QDialog(parent), ops_(session) {
    build();
}

void LanControllerDialog::build() {
    setWindowTitle(QStringLiteral("Vantrel"));

    note_ = new QLabel(
        QStringLiteral("This program assumes the current PC connection is through Computer A."));
    note_->setObjectName(QStringLiteral("note"));

    address_ = new AddressSpinBox;
    address_->setObjectName(QStringLiteral("address"));
    address_->setMinimumWidth(64);
    lastPanel_ = new QCheckBox(QStringLiteral("Last Panel"));
    lastPanel_->setObjectName(QStringLiteral("lastPanel"));
    auto* addressGroup = new QGroupBox(QStringLiteral("Address"));
    auto* addressLayout = new QHBoxLayout(addressGroup);
    addressLayout->addWidget(address_);
    addressLayout->addWidget(lastPanel_);

    auto* subLanAGroup = rateGroup(QStringLiteral("Sub LAN A"), subLanA_, "subLanA");
    subLanBGroup_ = rateGroup(QStringLiteral("Sub LAN B"), subLanB_, "subLanB");
    mainNetworkGroup_ = rateGroup(QStringLiteral("Main Network"), mainNetwork_, "mainNetwork");
    bacnetGroup_ = rateGroup(QStringLiteral("BACnet"), bacnet_, "bacnet");
    computerAGroup_ = rateGroup(QStringLiteral("Computer A"), computerA_, "computerA");
    computerBGroup_ = rateGroup(QStringLiteral("Computer B"), computerB_, "computerB");
    modem_ = new QCheckBox(QStringLiteral("Modem"));
    modem_->setObjectName(QStringLiteral("modem"));
    computerBGroup_->layout()->addWidget(modem_);

    auto eight = [](const QString& t) { return nextLanRate(LanRateList::Eight, t); };
    onPress(computerA_, eight);
    onPress(computerB_, eight);
    onPress(subLanA_, [](const QString& t) { return nextLanRate(LanRateList::Six, t); });
    onPress(bacnet_, [](const QString& t) { return nextLanRate(LanRateList::Nine, t); });
    // In the Mode/Parity form these two buttons are the Mode and Parity buttons.
    onPress(subLanB_, [this](const QString& t) {
        return form_ == LanForm::ModeParity ? nextMode(t) : nextLanRate(LanRateList::Six, t, true);
    });
    onPress(mainNetwork_, [this](const QString& t) {
        return form_ == LanForm::ModeParity ? nextParity(t) : nextLanRate(LanRateList::Eight, t);
    });

    modemString_ = new QLineEdit;
    modemString_->setObjectName(QStringLiteral("modemString"));
    limitToControllerText(modemString_, int(LanModemStringSize));
    auto* modemGroup = new QGroupBox(QStringLiteral("Modem String"));
    (new QVBoxLayout(modemGroup))->addWidget(modemString_);

    ethernet_ = makeButton(QStringLiteral("Ethernet Configuration"), QStringLiteral("ethernet"));
    ethernet_->setEnabled(false);
    connect(ethernet_, &QPushButton::clicked, this, &LanControllerDialog::ethernetRequested);
    auto* bacnetConfiguration =
        makeButton(QStringLiteral("BACnet Configuration"), QStringLiteral("bacnetConfiguration"));
    connect(bacnetConfiguration, &QPushButton::clicked, this, &LanControllerDialog::editBacnet);

    cardsGroup_ = new QGroupBox(QStringLiteral("I/O Card Configuration"));
    cardsGroup_->setObjectName(QStringLiteral("cardsGroup"));
    auto* cardsLayout = new QGridLayout(cardsGroup_);
    for (int n = 1; n <= LanCardCount; ++n) {
        auto* card =
            makeButton(cardCaption(n, QStringLiteral("Unused")), QStringLiteral("card%1").arg(n));
        onPress(card, [n](const QString& t) { return nextCardCaption(n, t); });
        cards_[std::size_t(n - 1)] = card;
        cardsLayout->addWidget(card, (n - 1) / 4, (n - 1) % 4);
    }

    smtp_ = new QLineEdit(QStringLiteral("0.0.0.0"));
    smtp_->setObjectName(QStringLiteral("smtp"));
    smtp_->setMaximumWidth(160);
    smtp_->setValidator(new Ipv4AddressValidator(smtp_));
    smtpGroup_ = new QGroupBox(QStringLiteral("SMTP IP Address"));
    smtpGroup_->setObjectName(QStringLiteral("smtpGroup"));
    (new QVBoxLayout(smtpGroup_))->addWidget(smtp_);

    firmware_ = new QLabel;
    firmware_->setObjectName(QStringLiteral("firmware"));
    firmware_->setAlignment(Qt::AlignHCenter);

    auto* rates = new QGridLayout;
    rates->addWidget(addressGroup, 0, 0);
    rates->addWidget(subLanAGroup, 0, 1);
    rates->addWidget(subLanBGroup_, 0, 2);
    rates->addWidget(mainNetworkGroup_, 0, 3);
    rates->addWidget(bacnetGroup_, 0, 4);
    rates->addWidget(modemGroup, 1, 0);
    rates->addWidget(computerAGroup_, 1, 1);
    rates->addWidget(computerBGroup_, 1, 2);
    auto* extraButtons = new QVBoxLayout;
    extraButtons->addWidget(ethernet_);
    extraButtons->addWidget(bacnetConfiguration);
    rates->addLayout(extraButtons, 1, 3, 1, 2);

    outer_ = new QGroupBox(QStringLiteral("LAN Controller Configuration"));
    outer_->setObjectName(QStringLiteral("configuration"));
    auto* outerLayout = new QVBoxLayout(outer_);
    outerLayout->addWidget(note_, 0, Qt::AlignHCenter);
    outerLayout->addLayout(rates);
    outerLayout->addWidget(cardsGroup_);
    outerLayout->addWidget(smtpGroup_);
    outerLayout->addWidget(firmware_);

    auto* backup = makeButton(QStringLiteral("Panel Backup"), QStringLiteral("backup"));
    auto* restore = makeButton(QStringLiteral("Panel Restore"), QStringLiteral("restore"));
    connect(backup, &QPushButton::clicked, this, &LanControllerDialog::backupRequested);
    connect(restore, &QPushButton::clicked, this, &LanControllerDialog::restoreRequested);
    status_ = new QLineEdit;
    status_->setObjectName(QStringLiteral("status"));
    status_->setReadOnly(true);
    status_->setFrame(false);
    status_->setFocusPolicy(Qt::NoFocus);
    auto* files = new QHBoxLayout;
    files->addWidget(backup);
    files->addWidget(status_, 1);
    files->addWidget(restore);

    const OperationButtons buttons = makeOperationButtons();
    send_ = buttons.send;
    buttons.load->setDefault(true);
    connect(buttons.load, &QPushButton::clicked, this, &LanControllerDialog::load);
    connect(send_, &QPushButton::clicked, this, &LanControllerDialog::send);
    connect(buttons.clear, &QPushButton::clicked, this, &LanControllerDialog::clear);
    connect(buttons.close, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = buttons.row;
    bottom->addWidget(addHelp(*this, ops_.session().ui, help::LanController));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(outer_);
    layout->addLayout(files);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    runner_ = new WindowOperationRunner(this, ops_.session().ui, ops_.session().clock, status_);

    LanControllerView initial;
    hiddenRate_ = initial.hiddenRate;
    showView(initial);
}

void LanControllerDialog::applyForm(LanForm form) {
    form_ = form;
    const bool brinlet = form != LanForm::Lan;
    const bool modeParity = form == LanForm::ModeParity;
    note_->setVisible(!brinlet);
    computerAGroup_->setVisible(!brinlet);
    cardsGroup_->setVisible(!brinlet);
    bacnetGroup_->setVisible(!brinlet);
    subLanBGroup_->setVisible(!brinlet || modeParity);
    mainNetworkGroup_->setVisible(!brinlet || modeParity);
    smtpGroup_->setVisible(brinlet);
    outer_->setTitle(brinlet ? QStringLiteral("Brinlet Controller Configuration")
                             : QStringLiteral("LAN Controller Configuration"));
    computerBGroup_->setTitle(brinlet ? QStringLiteral("Computer Port")
                                      : QStringLiteral("Computer B"));
    subLanBGroup_->setTitle(modeParity ? QStringLiteral("Mode") : QStringLiteral("Sub LAN B"));
    mainNetworkGroup_->setTitle(modeParity ? QStringLiteral("Parity")
                                           : QStringLiteral("Main Network"));
}

void LanControllerDialog::start() {
    load();
}

LanControllerView LanControllerDialog::view() const {
    LanControllerView v;
    v.form = form_;
    v.firmwareLine = firmware_->text();
    v.addressText = address_->text();
    v.lastPanel = lastPanel_->isChecked();
    v.modem = modem_->isChecked();
    v.modemString = modemString_->text();
    v.smtpText = smtp_->text();
    v.mainNetwork = mainNetwork_->text();
    v.computerA = computerA_->text();
    v.computerB = computerB_->text();
    v.subLanA = subLanA_->text();
    v.subLanB = subLanB_->text();
    v.bacnet = bacnet_->text();
    v.hiddenRate = hiddenRate_;
    for (std::size_t i = 0; i < cards_.size(); ++i)
        v.cards[i] = cards_[i]->text();
    v.status = status_->text();
    return v;
}

void LanControllerDialog::showView(const LanControllerView& v) {
    applyForm(v.form);
    firmware_->setText(v.firmwareLine);
    address_->setText(v.addressText);
    lastPanel_->setChecked(v.lastPanel);
    modem_->setChecked(v.modem);
    modemString_->setText(v.modemString);
    smtp_->setText(v.smtpText);
    mainNetwork_->setText(v.mainNetwork);
    computerA_->setText(v.computerA);
    computerB_->setText(v.computerB);
    subLanA_->setText(v.subLanA);
    subLanB_->setText(v.subLanB);
    bacnet_->setText(v.bacnet);
    hiddenRate_ = v.hiddenRate;
    for (std::size_t i = 0; i < cards_.size(); ++i)
        cards_[i]->setText(v.cards[i]);
    if (status_->text() != v.status) status_->setText(v.status);
    // Until this window has read its controller, Send would write the controls' first texts.
    send_->setEnabled(ops_.canSend());
}

void LanControllerDialog::load() {
    auto v = view();
    runner_->run([&] { ops_.load(v); });
    showView(v);
}

void LanControllerDialog::send() {
    address_->commit();
    const auto v = view();
    runner_->run([&] { ops_.send(v); });
}

void LanControllerDialog::clear() {
    runner_->run([&] { ops_.clear(); });
}

void LanControllerDialog::offerEthernet(bool on) {
    ethernet_->setEnabled(on);
}

void LanControllerDialog::editBacnet() {
    BacnetDeviceDialog dialog(ops_.session(), this);
    dialog.start();
    dialog.exec();
}

} // namespace vtl
