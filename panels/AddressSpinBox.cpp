#include "panels/AddressSpinBox.h"

#include "panels/MainPanelSettings.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace vtl {

AddressSpinBox::AddressSpinBox(QWidget* parent) : QAbstractSpinBox(parent) {
    setAccelerated(true);
    lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
}

QString AddressSpinBox::text() const {
    return lineEdit()->text();
}

void AddressSpinBox::setText(const QString& text) {
    lineEdit()->setText(text);
    if (!text.isEmpty()) lastAddress_ = text;
}

void AddressSpinBox::stepBy(int steps) {
    const int value = std::clamp(clamped() + steps, 1, maximum_);
    setText(QString::number(value));
    selectAll();
}

QAbstractSpinBox::StepEnabled AddressSpinBox::stepEnabled() const {
    const int value = clamped();
    StepEnabled enabled = StepNone;
    if (value > 1) enabled |= StepDownEnabled;
    if (value < maximum_) enabled |= StepUpEnabled;
    return enabled;
}

void AddressSpinBox::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    commit();
}

void AddressSpinBox::commit() {
    // An emptied field is no address: the one it showed comes back rather than a 1.
    if (text().isEmpty() && !lastAddress_.isEmpty()) lineEdit()->setText(lastAddress_);
    setText(QString::number(clamped()));
}

int AddressSpinBox::clamped() const {
    return std::min(int(clampPanelAddress(text())), maximum_);
}

} // namespace vtl
