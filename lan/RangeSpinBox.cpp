#include "lan/RangeSpinBox.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace vtl {

RangeSpinBox::RangeSpinBox(QWidget* parent) : QAbstractSpinBox(parent) {
    setAlignment(Qt::AlignHCenter);
    lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
}

QString RangeSpinBox::text() const {
    return lineEdit()->text();
}

void RangeSpinBox::setText(const QString& text) {
    lineEdit()->setText(text);
}

void RangeSpinBox::setRange(int minimum, int maximum) {
    hasRange_ = true;
    minimum_ = minimum;
    maximum_ = maximum;
}

void RangeSpinBox::stepBy(int steps) {
    if (!hasRange_) return;
    const int value = std::clamp(text().toInt() + steps, minimum_, maximum_);
    setText(QString::number(value));
    selectAll();
}

QAbstractSpinBox::StepEnabled RangeSpinBox::stepEnabled() const {
    if (!hasRange_) return StepNone;
    const int value = text().toInt();
    StepEnabled enabled = StepNone;
    if (value > minimum_) enabled |= StepDownEnabled;
    if (value < maximum_) enabled |= StepUpEnabled;
    return enabled;
}

} // namespace vtl
