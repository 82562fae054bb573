#include "shell/ConnectionDialog.h"

#include "link/PortRegistry.h"
#include "panels/HelpButton.h"
#include "panels/WindowOperationRunner.h"
#include "shell/AboutBox.h"
#include "shell/AccessCodeEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace vtl {
namespace {

const QString SubLanWarning = QStringLiteral("%1\n%2\n\n%3\n\n\n%4")
                                  .arg(QStringLiteral("Sub LAN Controllers MUST"),
                                       QStringLiteral("Be Disconnected From The Network."),
                                       QStringLiteral("Failure To Do So May Result In Data Loss."),
                                       QStringLiteral("COM LED MUST Be In A Rapid Flash."));

QGroupBox* groupOf(const QString& title, QWidget* content) {
    auto* group = new QGroupBox(title);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(content);
    return group;
}

} // namespace

const QStringList& ConnectionDialog::baudListTexts() {
    static const QStringList texts = {
        QStringLiteral("Auto Detect"), QStringLiteral("115200"), QStringLiteral("57600"),
        QStringLiteral("38400"),       QStringLiteral("19200"),  QStringLiteral("9600"),
        QStringLiteral("4800"),        QStringLiteral("2400"),   QStringLiteral("1200")};
    return texts;
}

ConnectionDialog::ConnectionDialog(Session& session, QSettings& settings, QWidget* parent)
    : QDialog(parent), session_(session), settings_(settings) {
    setWindowTitle(QStringLiteral("Vantrel"));
    setWindowIcon(programIcon());
    buildControls();
    restoreSettings();

    connect(ok_, &QPushButton::clicked, this, &ConnectionDialog::connectToController);
    connect(close_, &QPushButton::clicked, this, &ConnectionDialog::reject);
    // clicked, not toggled: a click on the button already selected warns again.
    connect(subLan_, &QRadioButton::clicked, this, &ConnectionDialog::showSubLanWarning);
    // The boxes set the state at once. The line thread reads it only inside work, and while work
    // runs the boxes are disabled: each piece of work takes what they last wrote with it.
    connect(usb_, &QCheckBox::toggled, this, [this](bool on) { session_.state.UsbMode = on; });
    connect(delay_, &QCheckBox::toggled, this, [this](bool on) { session_.state.AddDelay = on; });
    connect(about_, &QAction::triggered, this, [this] { showAboutBox(this); });
    connect(ports_, &QComboBox::currentIndexChanged, this, [this](int index) {
        ports_->setToolTip(ports_->itemData(index, Qt::ToolTipRole).toString());
    });
    ports_->setToolTip(ports_->itemData(ports_->currentIndex(), Qt::ToolTipRole).toString());
}

void ConnectionDialog::buildControls() {
    accessCode_ = new AccessCodeEdit;
    auto* codeLabel = new QLabel(QStringLiteral("Access Code :"));
    codeLabel->setBuddy(accessCode_);

    ok_ = new QPushButton(QStringLiteral("&OK"));
    ok_->setDefault(true);
    close_ = new QPushButton(QStringLiteral("&Close"));
    close_->setAutoDefault(false);

    lan_ = new QRadioButton(QStringLiteral("LAN"));
    subLan_ = new QRadioButton(QStringLiteral("Sub LAN"));
    auto* controllerType = new QGroupBox(QStringLiteral("Controller Type"));
    auto* typeLayout = new QVBoxLayout(controllerType);
    typeLayout->addWidget(lan_);
    typeLayout->addWidget(subLan_);
    typeLayout->addStretch();

    // Editable so that a device path or tcp://HOST:PORT can be typed in.
    ports_ = new QComboBox;
    ports_->setEditable(true);
    ports_->setInsertPolicy(QComboBox::NoInsert);
    ports_->setMinimumContentsLength(14);
    bauds_ = new QComboBox;
    bauds_->addItems(baudListTexts());

    usb_ = new QCheckBox(QStringLiteral("USB (may help older driver issues)"));
    delay_ = new QCheckBox(QStringLiteral("Add Delay (may help LAN comm. issues)"));

    // There is no portable system menu; the entry is offered on the window's context menu and
    // on a small button instead.
    about_ = new QAction(QStringLiteral("&About VTL..."), this);
    addAction(about_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    aboutButton_ = new QToolButton;
    aboutButton_->setDefaultAction(about_);
    aboutButton_->setAutoRaise(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(codeLabel, 0, 0);
    grid->addWidget(accessCode_, 0, 1);
    grid->addWidget(ok_, 0, 2);
    grid->addWidget(close_, 1, 2);
    grid->addWidget(controllerType, 2, 0, 2, 1);
    grid->addWidget(groupOf(QStringLiteral("Port Setting"), ports_), 2, 1, 1, 2);
    grid->addWidget(groupOf(QStringLiteral("Baud"), bauds_), 3, 1, 1, 2);
    grid->addWidget(usb_, 4, 0, 1, 3);
    grid->addWidget(delay_, 5, 0, 1, 3);
    auto* bottom = new QHBoxLayout;
    auto* version = new QLabel(QStringLiteral("Version " VTL_VERSION));
    bottom->addWidget(version);
    bottom->addStretch();
    bottom->addWidget(addHelp(*this, session_.ui, help::Connecting));
    bottom->addWidget(aboutButton_);
    grid->addLayout(bottom, 6, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    runner_ = new WindowOperationRunner(this, session_.ui, session_.clock, version);
}

void ConnectionDialog::restoreSettings() {
    const StoredSettings stored = readSettings(settings_);

    if (stored.PanelType != 0) {
        subLan_->setChecked(true);
        showSubLanWarning();
    } else {
        lan_->setChecked(true);
    }

    // A position outside the list would leave the speed undefined; start from "Auto Detect".
    const bool baudKnown = stored.Baud >= 0 && stored.Baud < bauds_->count();
    bauds_->setCurrentIndex(baudKnown ? stored.Baud : 0);

    fillPortList();
    // The position counts in the list as it was then; one that no longer exists selects nothing.
    ports_->setCurrentIndex(stored.Port >= 0 && stored.Port < ports_->count() ? stored.Port : -1);
    // A device server used last has no position; it is found by its address.
    if (stored.Port < 0 && !readDeviceServer(settings_).isEmpty())
        ports_->setCurrentIndex(ports_->findText(readDeviceServer(settings_), Qt::MatchExactly));

    session_.state.UsbMode = stored.USB != 0;
    session_.state.AddDelay = stored.Delay != 0;
    usb_->setChecked(session_.state.UsbMode != 0);
    delay_->setChecked(session_.state.AddDelay != 0);
}

void ConnectionDialog::fillPortList() {
    for (const PortEntry& port : listPorts()) {
        ports_->addItem(port.name);
        ports_->setItemData(ports_->count() - 1, portDetails(port), Qt::ToolTipRole);
    }
    if (const QString server = readDeviceServer(settings_);
        !server.isEmpty() && ports_->findText(server, Qt::MatchExactly) < 0) {
        ports_->addItem(server);
        ports_->setItemData(ports_->count() - 1, QStringLiteral("Device server"), Qt::ToolTipRole);
    }
}

QLineEdit* ConnectionDialog::accessCodeBox() const {
    return accessCode_;
}

ConnectRequest ConnectionDialog::request() const {
    ConnectRequest r;
    r.accessCode = accessCode_->text();
    r.portName = ports_->currentText().trimmed();
    r.baudPosition = bauds_->currentIndex();
    r.subLan = subLan_->isChecked();
    return r;
}

void ConnectionDialog::saveSettings() {
    StoredSettings values;
    values.Baud = bauds_->currentIndex();
    // A typed name that is not in the list has no position to remember; a device server is
    // remembered by its address instead.
    const QString port = ports_->currentText().trimmed();
    values.Port = isDeviceServerName(port) ? -1 : ports_->findText(port, Qt::MatchExactly);
    if (isDeviceServerName(port)) writeDeviceServer(settings_, port);
    values.PanelType = subLan_->isChecked() ? 1 : 0;
    session_.state.UsbMode = usb_->isChecked();
    values.USB = int(session_.state.UsbMode);
    values.Delay = int(session_.state.AddDelay);
    writeSettings(settings_, values);
}

void ConnectionDialog::reject() {
    saveSettings();
    QDialog::reject();
}

void ConnectionDialog::showSubLanWarning() {
    session_.ui.message(SubLanWarning, QStringLiteral("Warning!"), MessageButtons::Ok,
                        MessageIcon::Exclamation);
}

// The search runs off the window's thread. The controller found is the last thing it does, so
// its window opens here once the search is over, and its own exchanges run as the search did.
void ConnectionDialog::connectToController() {
    const ConnectRequest r = request();
    if (isDeviceServerName(r.portName)) writeDeviceServer(settings_, r.portName);
    std::optional<ControllerWindow> found;
    runner_->run(
        [&] { Connect(session_, r, [&found](ControllerWindow window) { found = window; }); });
    if (found && windowOpener_) windowOpener_(*found);
    // The connection ends here: the port is free for other programs until the next OK.
    runner_->run([this] { session_.link.ClosePort(); });
}

} // namespace vtl
