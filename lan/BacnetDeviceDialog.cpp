#include "lan/BacnetDeviceDialog.h"
#include "link/Session.h"
#include "panels/WindowOperationRunner.h"

#include "lan/RangeSpinBox.h"
#include "link/Session.h"
#include "panels/ControllerTextEdit.h"
#include "panels/HelpButton.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace vtl {

namespace {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A caption with its unit beneath.
QWidget* captionWithUnit(const QString& caption) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new QLabel(caption));
    layout->addWidget(new QLabel(QStringLiteral("(mS)")), 0, Qt::AlignHCenter);
    return box;
}

} // namespace

BacnetDeviceDialog::BacnetDeviceDialog(Session& session, QWidget* parent)
    : QDialog(parent), ops_(session) {
    setWindowTitle(QStringLiteral("BACnet"));
    instance_ = named(new QLineEdit, "instance");
    instance_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,7}")), this));
    name_ = named(new QLineEdit, "name");
    location_ = named(new QLineEdit, "location");
    description_ = named(new QLineEdit, "description");
    limitToControllerText(name_, BacnetNameLength);
    limitToControllerText(location_, BacnetTextLength);
    limitToControllerText(description_, BacnetTextLength);
    apdu_ = named(new RangeSpinBox, "apduTimeout");
    token_ = named(new RangeSpinBox, "tokenTimeout");
    maxMaster_ = named(new RangeSpinBox, "maxMaster");

    auto* group = new QGroupBox(QStringLiteral("Configuration"));
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (const auto& [caption, edit] : {std::pair{QStringLiteral("Instance:"), instance_},
                                        {QStringLiteral("Name:"), name_},
                                        {QStringLiteral("Location:"), location_},
                                        {QStringLiteral("Description:"), description_}}) {
        grid->addWidget(new QLabel(caption), row, 0);
        grid->addWidget(edit, row++, 1, 1, 3);
    }
    grid->addWidget(captionWithUnit(QStringLiteral("APDU Timeout:")), row, 0);
    grid->addWidget(apdu_, row, 1);
    grid->addWidget(captionWithUnit(QStringLiteral("MS/TP Token Timeout:")), row, 2);
    grid->addWidget(token_, row++, 3);
    grid->addWidget(new QLabel(QStringLiteral("MS/TP Max Master:")), row, 0);
    grid->addWidget(maxMaster_, row, 1);
    name_->setMinimumWidth(320);

    auto* okButton = named(new QPushButton(QStringLiteral("OK")), "ok");
    ok_ = okButton;
    auto* clearButton = named(new QPushButton(QStringLiteral("Clear")), "clear");
    auto* cancelButton = named(new QPushButton(QStringLiteral("Cancel")), "cancel");
    okButton->setDefault(true);
    clearButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);
    connect(okButton, &QPushButton::clicked, this, &BacnetDeviceDialog::ok);
    connect(clearButton, &QPushButton::clicked, this, &BacnetDeviceDialog::clear);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto* b : {okButton, clearButton, cancelButton})
        buttons->addWidget(b);
    buttons->addWidget(addHelp(*this, session.ui, help::Bacnet));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    runner_ = new WindowOperationRunner(this, ops_.session().ui, ops_.session().clock);
}

void BacnetDeviceDialog::setRanges() {
    apdu_->setRange(50, 60000);
    token_->setRange(20, 100);
    maxMaster_->setRange(0, 127);
}

void BacnetDeviceDialog::start() {
    BacnetDeviceView v;
    // A failed read leaves the fields empty and the arrows without a range.
    bool read = false;
    runner_->run([&] { read = ops_.open(v); });
    // Without the block read, OK would write one of zeros: only Cancel is left.
    ok_->setEnabled(read);
    if (!read) return;
    showView(v);
    setRanges();
}

BacnetDeviceView BacnetDeviceDialog::view() const {
    return {instance_->text(), name_->text(),  location_->text(), description_->text(),
            apdu_->text(),     token_->text(), maxMaster_->text()};
}

void BacnetDeviceDialog::showView(const BacnetDeviceView& v) {
    instance_->setText(v.instance);
    name_->setText(v.name);
    location_->setText(v.location);
    description_->setText(v.description);
    apdu_->setText(v.apduTimeout);
    token_->setText(v.tokenTimeout);
    maxMaster_->setText(v.maxMaster);
}

void BacnetDeviceDialog::ok() {
    const auto v = view();
    auto outcome = BacnetDeviceOperations::Outcome::Failed;
    runner_->run([&] { outcome = ops_.ok(v); });
    if (outcome == BacnetDeviceOperations::Outcome::Sent) accept();
}

void BacnetDeviceDialog::clear() {
    showView(clearedBacnetView());
    setRanges();
}

} // namespace vtl
