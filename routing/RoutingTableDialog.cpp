#include "routing/RoutingTableDialog.h"
#include "panels/WindowOperationRunner.h"

#include "link/Session.h"
#include "panels/DialogButtons.h"
#include "panels/HelpButton.h"
#include "routing/RoutingTableFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vtl {

namespace {

// Four dotted numbers of 0..255, as an IP address control takes them.
QLineEdit* makeIpEdit(const QString& name, QObject* parent) {
    static const QString octet = QStringLiteral("(25[0-5]|2[0-4]\\d|1\\d\\d|[1-9]?\\d)");
    static const QRegularExpression ip(QStringLiteral("%1(\\.%1){3}").arg(octet));
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaxLength(routing::MaxTextLength);
    edit->setValidator(new QRegularExpressionValidator(ip, parent));
    return edit;
}

QLabel* header(const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QString indexed(const char* name, int row) {
    return QString::fromLatin1(name) + QString::number(row);
}

} // namespace

RoutingTableDialog::RoutingTableDialog(Session& session, QWidget* parent)
    : QDialog(parent), ops_(session), chooseSave_([this] { return askFile(true); }),
      chooseOpen_([this] { return askFile(false); }) {
    build();
}

RoutingTableDialog::~RoutingTableDialog() = default;

void RoutingTableDialog::setFileChoosers(FileChooser save, FileChooser open) {
    chooseSave_ = std::move(save);
    chooseOpen_ = std::move(open);
}

void RoutingTableDialog::build() {
    setWindowTitle(QStringLiteral("IP Routing Table"));

    auto* addresses = new QGroupBox;
    auto* addressGrid = new QGridLayout(addresses);
    addressGrid->addWidget(header("Panel"), 0, 0);
    addressGrid->addWidget(header("IP Address"), 0, 1);
    addressGrid->addWidget(header("MAC Address"), 0, 2);
    gatewayGroup_ = new QGroupBox(QStringLiteral("Gateway"));
    gatewayGroup_->setObjectName(QStringLiteral("gatewayGroup"));
    auto* gatewayGrid = new QGridLayout(gatewayGroup_);
    broadcastGroup_ = new QGroupBox(QStringLiteral("Broadcast Server"));
    broadcastGroup_->setObjectName(QStringLiteral("broadcastGroup"));
    auto* broadcastGrid = new QGridLayout(broadcastGroup_);
    broadcastGrid->addWidget(header("Interval"), 0, 1);

    for (int i = 0; i < routing::PageSize; ++i) {
        RowControls& r = rows_[std::size_t(i)];
        r.label = new QLabel;
        r.label->setObjectName(indexed("label", i));
        r.label->setMinimumWidth(32);
        r.ip = makeIpEdit(indexed("ip", i), this);
        r.mac = new QLineEdit;
        r.mac->setObjectName(indexed("mac", i));
        r.mac->setMaxLength(routing::MaxTextLength);
        r.gateway = makeIpEdit(indexed("gateway", i), this);
        r.broadcast = new QCheckBox;
        r.broadcast->setObjectName(indexed("broadcast", i));
        r.interval = new QComboBox;
        r.interval->setObjectName(indexed("interval", i));
        for (const auto& choice : routing::Intervals)
            r.interval->addItem(QString::fromLatin1(choice.caption));
        // Every row the same height, so the rows of the three groups line up; a control hidden
        // on the last page keeps its place, so that the row beside it stays where it is.
        const int height = r.interval->sizeHint().height();
        for (QWidget* w : {static_cast<QWidget*>(r.label), static_cast<QWidget*>(r.ip),
                           static_cast<QWidget*>(r.mac), static_cast<QWidget*>(r.gateway),
                           static_cast<QWidget*>(r.broadcast), static_cast<QWidget*>(r.interval)}) {
            w->setFixedHeight(height);
            QSizePolicy policy = w->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            w->setSizePolicy(policy);
        }
        addressGrid->addWidget(r.label, i + 1, 0);
        addressGrid->addWidget(r.ip, i + 1, 1);
        addressGrid->addWidget(r.mac, i + 1, 2);
        gatewayGrid->addWidget(r.gateway, i + 1, 0);
        broadcastGrid->addWidget(r.broadcast, i + 1, 0);
        broadcastGrid->addWidget(r.interval, i + 1, 1);
        wireRow(i);
    }
    gatewayGrid->addWidget(header(""), 0, 0);

    auto* table = new QHBoxLayout;
    table->addWidget(addresses);
    table->addWidget(gatewayGroup_);
    table->addWidget(broadcastGroup_);
    table->addLayout(buildPaging());

    subnetMask_ = makeIpEdit(QStringLiteral("subnetMask"), this);
    mtu_ = new QLineEdit;
    mtu_->setObjectName(QStringLiteral("mtu"));
    mtu_->setValidator(new QIntValidator(0, 65535, this));
    mtu_->setMaxLength(5);
    connect(subnetMask_, &QLineEdit::textEdited, this,
            [this](const QString& text) { ops_.table().subnetMask = text; });
    connect(mtu_, &QLineEdit::textEdited, this,
            [this](const QString& text) { ops_.table().mtu = text; });
    auto* settings = new QHBoxLayout;
    settings->addWidget(new QLabel(QStringLiteral("Subnet Mask")));
    settings->addWidget(subnetMask_);
    settings->addSpacing(24);
    settings->addWidget(new QLabel(QStringLiteral("MTU")));
    settings->addWidget(mtu_);
    settings->addStretch();

    auto* openButton = makeButton(QStringLiteral("File &Open"), QStringLiteral("fileOpen"));
    fileSave_ = makeButton(QStringLiteral("File Sa&ve"), QStringLiteral("fileSave"));
    auto* loadButton = makeButton(QStringLiteral("&Load"), QStringLiteral("load"));
    send_ = makeButton(QStringLiteral("&Send"), QStringLiteral("send"));
    auto* clearButton = makeButton(QStringLiteral("Clea&r"), QStringLiteral("clear"));
    auto* closeButton = makeButton(QStringLiteral("&Close"), QStringLiteral("close"));
    connect(openButton, &QPushButton::clicked, this, &RoutingTableDialog::openFile);
    connect(fileSave_, &QPushButton::clicked, this, &RoutingTableDialog::saveFile);
    connect(loadButton, &QPushButton::clicked, this, &RoutingTableDialog::load);
    connect(send_, &QPushButton::clicked, this, &RoutingTableDialog::send);
    connect(clearButton, &QPushButton::clicked, this, &RoutingTableDialog::clear);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    for (auto* b : {openButton, fileSave_, loadButton, send_, clearButton, closeButton})
        buttons->addWidget(b);
    buttons->addWidget(addHelp(*this, ops_.session().ui, help::RoutingTable));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(table);
    layout->addLayout(settings);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    runner_ = new WindowOperationRunner(this, ops_.session().ui, ops_.session().clock);

    // Main panels keep no gateways, broadcast servers or intervals.
    const bool lan = ops_.mode() == RoutingMode::Lan;
    gatewayGroup_->setEnabled(lan);
    broadcastGroup_->setEnabled(lan);
    showPage();
    enableWrites();
}

// The page as a number, stepped by its arrows or typed, and PgUp/PgDn from anywhere in the window.
QLayout* RoutingTableDialog::buildPaging() {
    page_ = new QSpinBox;
    page_->setObjectName(QStringLiteral("page"));
    page_->setRange(1, routing::PageCount);
    page_->setKeyboardTracking(false);
    page_->setAccelerated(true);
    page_->setMinimumWidth(page_->sizeHint().width() +
                           page_->fontMetrics().horizontalAdvance(QLatin1Char('0')));
    connect(page_, &QSpinBox::valueChanged, this, [this](int value) {
        if (value - 1 == ops_.page()) return;
        commitEdit(page_);
        ops_.turnTo(value - 1);
        showPage();
    });
    auto* previous = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
    connect(previous, &QShortcut::activated, this, [this] { step(-1); });
    auto* next = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(next, &QShortcut::activated, this, [this] { step(+1); });

    auto* paging = new QVBoxLayout;
    paging->addStretch();
    paging->addWidget(new QLabel(QStringLiteral("Page")));
    paging->addWidget(page_);
    paging->addStretch();
    return paging;
}

void RoutingTableDialog::enableWrites() {
    const bool on = ops_.hasTable();
    const QString why =
        on ? QString()
           : QStringLiteral("The table could not be read: Load it, open a file or Clear it first.");
    for (QPushButton* button : {send_, fileSave_}) {
        button->setEnabled(on);
        button->setToolTip(why);
    }
}

void RoutingTableDialog::showProblem() {
    const auto problem = checkRoutingTable(ops_.mode(), ops_.table());
    if (!ops_.hasTable() || !problem) return;
    QLineEdit* field = problem->field == RoutingField::SubnetMask ? subnetMask_ : mtu_;
    if (problem->slot >= 0) {
        ops_.turnTo(problem->slot / routing::PageSize);
        showPage();
        const RowControls& r = rows_[std::size_t(problem->slot % routing::PageSize)];
        field = problem->field == RoutingField::Ip    ? r.ip
                : problem->field == RoutingField::Mac ? r.mac
                                                      : r.gateway;
    }
    field->setFocus();
    field->selectAll();
}

void RoutingTableDialog::wireRow(int row) {
    RowControls& r = rows_[std::size_t(row)];
    connect(r.ip, &QLineEdit::textEdited, this, [this, row](const QString& text) {
        ops_.ipChanged(row, text);
        showPage();
    });
    // The MAC edit takes capitals only.
    connect(r.mac, &QLineEdit::textEdited, this, [edit = r.mac](const QString& text) {
        const int cursor = edit->cursorPosition();
        edit->setText(text.toUpper());
        edit->setCursorPosition(cursor);
    });
    connect(r.mac, &QLineEdit::editingFinished, this,
            [this, row, edit = r.mac] { edit->setText(ops_.macLeft(row, edit->text())); });
    connect(r.gateway, &QLineEdit::textEdited, this,
            [this, row](const QString& text) { ops_.gatewayChanged(row, text); });
    connect(r.broadcast, &QCheckBox::clicked, this,
            [this, row](bool checked) { ops_.broadcastClicked(row, checked); });
    connect(r.interval, &QComboBox::activated, this,
            [this, row](int index) { ops_.intervalSelected(row, index); });
}

void RoutingTableDialog::showPage() {
    const RoutingPageView v = ops_.pageView();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        RowControls& r = rows_[i];
        const RoutingPageRow& row = v.rows[i];
        r.label->setText(row.label);
        // Only what changed, so that the cursor of an edit being typed in stays put.
        if (r.ip->text() != row.ip) r.ip->setText(row.ip);
        if (r.mac->text() != row.mac) r.mac->setText(row.mac);
        if (r.gateway->text() != row.gateway) r.gateway->setText(row.gateway);
        r.broadcast->setChecked(row.checked);
        r.broadcast->setEnabled(row.checkEnabled);
        r.interval->setCurrentIndex(row.intervalIndex);
        r.mac->setEnabled(v.macEnabled);
        r.interval->setEnabled(v.lanColumnsEnabled);
        r.gateway->setEnabled(v.lanColumnsEnabled);
        for (QWidget* w : {static_cast<QWidget*>(r.ip), static_cast<QWidget*>(r.mac),
                           static_cast<QWidget*>(r.gateway), static_cast<QWidget*>(r.broadcast),
                           static_cast<QWidget*>(r.interval)})
            w->setVisible(row.shown);
    }
    subnetMask_->setText(v.subnetMask);
    mtu_->setText(v.mtu);
    const QSignalBlocker quiet(page_);
    page_->setValue(v.page + 1);
}

void RoutingTableDialog::commitEdit(QWidget* keep) {
    if (QWidget* focused = focusWidget(); focused && focused != keep) focused->clearFocus();
}

void RoutingTableDialog::start() {
    runner_->run([&] { ops_.open(); });
    showPage();
    enableWrites();
}

void RoutingTableDialog::load() {
    commitEdit();
    runner_->run([&] { ops_.load(); });
    showPage();
    enableWrites();
}

void RoutingTableDialog::send() {
    commitEdit();
    // The line thread sends a copy of the table: nothing the window does meanwhile reaches it.
    RoutingTableOperations sending = ops_;
    bool sent = false;
    runner_->run([&sending, &sent] { sent = sending.send(); });
    if (!sent) showProblem();
}

void RoutingTableDialog::clear() {
    commitEdit();
    ops_.clear();
    showPage();
    enableWrites();
}

void RoutingTableDialog::saveFile() {
    commitEdit();
    // A table that may not be saved is refused before a file is asked for.
    if (!ops_.readyToWrite()) {
        showProblem();
        return;
    }
    const QString path = chooseSave_();
    if (!path.isEmpty()) ops_.saveFile(path);
}

void RoutingTableDialog::openFile() {
    commitEdit();
    const QString path = chooseOpen_();
    if (path.isEmpty()) return;
    ops_.openFile(path);
    showPage();
    enableWrites();
}

void RoutingTableDialog::step(int delta) {
    commitEdit();
    ops_.step(delta);
    showPage();
}

QString RoutingTableDialog::askFile(bool save) {
    QFileDialog dialog(this);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setNameFilter(QLatin1String(RoutingTableFile::Filter));
    dialog.setDefaultSuffix(QLatin1String(RoutingTableFile::DefaultSuffix));
    // The open dialog takes any name; a file that is not there is reported on reading.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !save);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

} // namespace vtl
