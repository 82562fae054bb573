#include "panels/AddressSpinBox.h"

#include "panels/MainPanelSettings.h"

#include <QLineEdit>

#include <algorithm>

namespace vtl {

AddressSpinBox::AddressSpinBox(QWidget* parent) : QAbstractSpinBox(parent) {
    setAccelerated(true);
}

QString AddressSpinBox::text() const {
    return lineEdit()->text();
}

void AddressSpinBox::setText(const QString& text) {
    lineEdit()->setText(text);
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
    clampText();
}

int AddressSpinBox::clamped() const {
    return std::min(int(clampPanelAddress(text())), maximum_);
}

void AddressSpinBox::clampText() {
    setText(QString::number(clamped()));
}

} // namespace vtl
