#include "panels/MainPanelDialog.h"

#include "link/Session.h"
#include "panels/AddressSpinBox.h"
#include "panels/DialogButtons.h"
#include "panels/HelpButton.h"
#include "panels/MainPanelOperations.h"
#include "panels/McQuayPasswordDialog.h"
#include "panels/ModemStringDialog.h"
#include "panels/WindowOperationRunner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtl {

namespace {

constexpr int PortD = int(MainPort::PortD);
constexpr int PortE = int(MainPort::PortE);

QComboBox* makeCardList(const QString& name) {
    auto* list = new QComboBox;
    list->setObjectName(name);
    for (int i = 0; i <= MaxCards; ++i)
        list->addItem(QString::number(i));
    return list;
}

// Moves a cycling button's caption one step on.
void cycleOnPress(QPushButton* button, const QStringList& cycle) {
    QObject::connect(button, &QPushButton::clicked, button,
                     [button, cycle] { button->setText(nextInCycle(cycle, button->text())); });
}

} // namespace

MainPanelDialog::MainPanelDialog(Session& session, QWidget* parent)
    : QDialog(parent), owned_(std::make_unique<MainPanelOperations>(session)), ops_(*owned_) {
    build();
}

MainPanelDialog::MainPanelDialog(MainPanelOperations& operations, QWidget* parent)
    : QDialog(parent), ops_(operations) {
    build();
}

MainPanelDialog::~MainPanelDialog() = default;

void MainPanelDialog::build() {
    setWindowTitle(QStringLiteral("Vantrel"));

    firmware_ = new QLabel;
    firmware_->setObjectName(QStringLiteral("firmware"));
    address_ = new AddressSpinBox;
    address_->setObjectName(QStringLiteral("address"));
    lastPanel_ = new QCheckBox(QStringLiteral("Last Panel"));
    lastPanel_->setObjectName(QStringLiteral("lastPanel"));
    inCards_ = makeCardList(QStringLiteral("inCards"));
    outCards_ = makeCardList(QStringLiteral("outCards"));

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Address")), 0, 0);
    fields->addWidget(address_, 0, 1);
    fields->addWidget(lastPanel_, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("In Cards")), 0, 3);
    fields->addWidget(inCards_, 0, 4);
    fields->addWidget(new QLabel(QStringLiteral("Out Cards")), 1, 3);
    fields->addWidget(outCards_, 1, 4);
    fields->setColumnMinimumWidth(2, 24);
    fields->setColumnStretch(5, 1);

    auto* ports = new QHBoxLayout;
    ports->addWidget(buildPortGroup(0, QStringLiteral("Computer A"), QStringLiteral("Local")));
    ports->addWidget(buildPortGroup(1, QStringLiteral("Computer B"), QStringLiteral("Modem")));
    ports->addWidget(buildPortGroup(2, QStringLiteral("Port C"), QStringLiteral("Sub A")));
    ports->addWidget(buildPortGroup(3, QStringLiteral("Port D"), QStringLiteral("Sub B")));
    ports->addWidget(buildPortGroup(4, QStringLiteral("Port E"), QStringLiteral("Main")));
    connect(role_[1], &QPushButton::clicked, this, &MainPanelDialog::editModemString);
    cycleOnPress(role_[PortD], portDRoleCycle());
    cycleOnPress(role_[PortE], portERoleCycle());

    auto* ethernet = makeButton(QStringLiteral("&Ethernet"), QStringLiteral("ethernet"));
    auto* mcquay = makeButton(QStringLiteral("&McQuay"), QStringLiteral("mcquay"));
    connect(ethernet, &QPushButton::clicked, this, &MainPanelDialog::ethernetRequested);
    connect(mcquay, &QPushButton::clicked, this, &MainPanelDialog::editPassword);
    auto* note = new QVBoxLayout;
    note->setSpacing(0);
    for (const auto& line :
         {QStringLiteral("This program assumes"), QStringLiteral("the current PC connection"),
          QStringLiteral("is through Port A.")})
        note->addWidget(new QLabel(line), 0, Qt::AlignHCenter);
    auto* extras = new QHBoxLayout;
    extras->addWidget(ethernet);
    extras->addWidget(mcquay);
    extras->addStretch();
    extras->addLayout(note);
    extras->addStretch();

    auto* group = new QGroupBox(QStringLiteral("Main Panel Configuration"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(firmware_);
    groupLayout->addLayout(fields);
    groupLayout->addLayout(ports);
    groupLayout->addLayout(extras);

    auto* backup = makeButton(QStringLiteral("Panel File Backup"), QStringLiteral("backup"));
    auto* restore = makeButton(QStringLiteral("Panel File Restore"), QStringLiteral("restore"));
    connect(backup, &QPushButton::clicked, this, &MainPanelDialog::backupRequested);
    connect(restore, &QPushButton::clicked, this, &MainPanelDialog::restoreRequested);
    status_ = new QLineEdit;
    status_->setObjectName(QStringLiteral("status"));
    status_->setReadOnly(true);
    status_->setFocusPolicy(Qt::NoFocus);
    auto* files = new QGroupBox;
    auto* filesLayout = new QHBoxLayout(files);
    filesLayout->addWidget(backup);
    filesLayout->addWidget(status_, 1);
    filesLayout->addWidget(restore);

    const OperationButtons buttons = makeOperationButtons();
    send_ = buttons.send;
    send_->setDefault(true);
    connect(buttons.load, &QPushButton::clicked, this, &MainPanelDialog::load);
    connect(buttons.send, &QPushButton::clicked, this, &MainPanelDialog::send);
    connect(buttons.clear, &QPushButton::clicked, this, &MainPanelDialog::clear);
    connect(buttons.close, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = buttons.row;
    bottom->addWidget(addHelp(*this, ops_.ui(), help::MainPanel));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(files);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    runner_ = new WindowOperationRunner(this, ops_.ui(), ops_.clock(), status_);

    showView(MainPanelView{});
}

QWidget* MainPanelDialog::buildPortGroup(int port, const QString& title, const QString& role) {
    auto* group = new QGroupBox(title);
    auto* layout = new QVBoxLayout(group);
    QString name = title; // "Port E" -> "portE"
    name.remove(QLatin1Char(' '));
    name[0] = name[0].toLower();
    baud_[std::size_t(port)] = makeButton(QStringLiteral("19200"), name + QStringLiteral("Baud"));
    role_[std::size_t(port)] = makeButton(role, name + QStringLiteral("Role"));
    cycleOnPress(baud_[std::size_t(port)], baudCycle(MainPort(port)));
    layout->addWidget(baud_[std::size_t(port)]);
    layout->addWidget(role_[std::size_t(port)]);
    return group;
}

void MainPanelDialog::start() {
    auto v = view();
    runner_->run([&] { ops_.open(v); });
    showView(v);
}

MainPanelView MainPanelDialog::view() const {
    MainPanelView v;
    v.firmwareLine = firmware_->text();
    v.addressText = address_->text();
    v.lastPanel = lastPanel_->isChecked();
    v.inCards = inCards_->currentIndex();
    v.outCards = outCards_->currentIndex();
    for (std::size_t i = 0; i < baud_.size(); ++i)
        v.baudTexts[i] = baud_[i]->text();
    v.portDRole = role_[PortD]->text();
    v.portERole = role_[PortE]->text();
    return v;
}

void MainPanelDialog::showView(const MainPanelView& v) {
    firmware_->setText(v.firmwareLine);
    address_->setText(v.addressText);
    lastPanel_->setChecked(v.lastPanel);
    inCards_->setCurrentIndex(v.inCards);
    outCards_->setCurrentIndex(v.outCards);
    for (std::size_t i = 0; i < baud_.size(); ++i)
        baud_[i]->setText(v.baudTexts[i]);
    role_[PortD]->setText(v.portDRole);
    role_[PortE]->setText(v.portERole);
    // Until this window has read its controller, Send would write the remembered copies.
    send_->setEnabled(ops_.canSend());
}

void MainPanelDialog::setStatusText(const QString& text) {
    status_->setText(text);
    status_->repaint();
}

void MainPanelDialog::load() {
    auto v = view();
    runner_->run([&] { ops_.load(v); });
    showView(v);
}

void MainPanelDialog::send() {
    address_->commit();
    const auto v = view();
    runner_->run([&] { ops_.send(v); });
}

void MainPanelDialog::clear() {
    runner_->run([&] { ops_.clear(); });
}

void MainPanelDialog::editModemString() {
    ModemStringDialog editor(ops_.memory(), this);
    addHelpKey(editor, ops_.ui(), help::MainPanel);
    editor.exec();
}

void MainPanelDialog::editPassword() {
    McQuayPasswordDialog editor(ops_.memory(), this);
    addHelpKey(editor, ops_.ui(), help::MainPanel);
    editor.exec();
}

} // namespace vtl
