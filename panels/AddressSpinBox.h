#pragma once

#include <QAbstractSpinBox>

namespace vtl {

// A number field with spin buttons that, like the controller's address, accepts any text while
// being edited and is limited to 1-maximum (125 unless told) when it loses the focus.
class AddressSpinBox final : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit AddressSpinBox(QWidget* parent = nullptr);
    // The sub panel window stops at 124.
    void setMaximum(int maximum) { maximum_ = maximum; }

    QString text() const;
    void setText(const QString& text);
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void clampText();
    int clamped() const;

    int maximum_ = 125;
};

} // namespace vtl
