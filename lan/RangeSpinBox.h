#pragma once

#include <QAbstractSpinBox>

namespace vtl {

// A digits-only number field with an up-down control. Unlike QSpinBox it shows any number it is
// given, in or out of range (the BACnet window shows what the controller holds and checks only on
// OK); the arrows step within the range once one is set.
class RangeSpinBox final : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit RangeSpinBox(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void setRange(int minimum, int maximum);
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    bool hasRange_ = false;
    int minimum_ = 0;
    int maximum_ = 0;
};

} // namespace vtl
