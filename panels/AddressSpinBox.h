#pragma once

#include <QAbstractSpinBox>

namespace vtl {

// A number field with spin buttons for the controller's address: it takes digits only, and when it
// loses the focus (or commit() is called) a number is limited to 1-maximum (125 unless told) and an
// empty field gets back the last address it showed.
class AddressSpinBox final : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit AddressSpinBox(QWidget* parent = nullptr);
    // The sub panel window stops at 124.
    void setMaximum(int maximum) { maximum_ = maximum; }

    QString text() const;
    void setText(const QString& text);
    void stepBy(int steps) override;
    // What leaving the field does; Send calls it first, as Enter or a shortcut leaves no field.
    void commit();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int clamped() const;

    int maximum_ = 125;
    QString lastAddress_;
};

} // namespace vtl
