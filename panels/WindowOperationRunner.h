#pragma once

#include "link/Clock.h"
#include "link/UserInterface.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractButton;
class QWidget;

namespace vtl {

class OperationProgressBar;

// Runs a window's exchanges on the line thread, one thread for all windows. run() returns when the
// work is done, as a plain call would, but the window's event loop keeps running meanwhile: it
// repaints, moves, shows the message boxes the work asks for (the user interface carries them over)
// and takes Cancel. Every other button of the window is disabled and the window cannot be closed
// until the work ends.
class WindowOperationRunner final : public QObject {
    Q_OBJECT
public:
    // With `besides` (the status line, in a row of its own), a progress bar and Cancel go right
    // after it in its row.
    WindowOperationRunner(QWidget* window, UserInterface& ui, Clock& clock,
                          QWidget* besides = nullptr);
    ~WindowOperationRunner() override;

    void run(const std::function<void()>& work);
    bool busy() const { return busy_; }
    OperationProgressBar* progressBar() const { return progress_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPointer<QAbstractButton>> disableButtons();

    QWidget* window_;
    UserInterface& ui_;
    OperationProgressBar* progress_ = nullptr;
    bool busy_ = false;
};

} // namespace vtl
