#pragma once

#include "link/Clock.h"
#include "link/UserInterface.h"

#include <QWidget>

#include <atomic>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vtl {

// Beside a window's status line while a long operation runs: a bar of records done of records to
// do, "12 of 345 records, 3%, 0:42 elapsed, 4:51 left", and Cancel. Hidden otherwise.
class OperationProgressBar final : public QWidget, public ProgressDisplay {
    Q_OBJECT
public:
    explicit OperationProgressBar(Clock& clock, QWidget* parent = nullptr);

    // A new operation: Cancel not pressed, elapsed time from now.
    void begin();
    void showProgress(const OperationProgress& progress) override;
    bool cancelPressed() const override { return cancel_.load(); }

    QString text() const;
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    Clock& clock_;
    std::int64_t startUs_ = 0;
    std::atomic<bool> cancel_{false};
    QProgressBar* bar_ = nullptr;
    QLabel* label_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

} // namespace vtl
