#pragma once

#include <QHBoxLayout>
#include <QPushButton>

namespace vtl {

// A push button the tests find by name; Enter presses only the button a window makes default.
QPushButton* makeButton(const QString& text, const QString& name);

// The row every configuration window ends with: Load, Send, Clear and Close.
struct OperationButtons {
    QPushButton* load;
    QPushButton* send;
    QPushButton* clear;
    QPushButton* close;
    QHBoxLayout* row;
};
OperationButtons makeOperationButtons();

} // namespace vtl
