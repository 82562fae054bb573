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
    const int value = std::clamp(int(clampPanelAddress(text())) + steps, 1, 125);
    setText(QString::number(value));
    selectAll();
}

QAbstractSpinBox::StepEnabled AddressSpinBox::stepEnabled() const {
    const int value = clampPanelAddress(text());
    StepEnabled enabled = StepNone;
    if (value > 1) enabled |= StepDownEnabled;
    if (value < 125) enabled |= StepUpEnabled;
    return enabled;
}

void AddressSpinBox::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    clampText();
}

void AddressSpinBox::clampText() {
    setText(QString::number(clampPanelAddress(text())));
}

} // namespace vtl
