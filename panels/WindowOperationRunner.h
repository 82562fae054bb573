#pragma once

#include "link/Clock.h"
#include "link/UserInterface.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace vtl {

class OperationProgressBar;

// Runs a window's exchanges on the line thread, one thread for all windows. run() returns when the
// work is done, as a plain call would, but the window's event loop keeps running meanwhile: it
// repaints, moves, shows the message boxes the work asks for (the user interface carries them over)
// and takes Cancel.
//
// The line carries one piece of work at a time, program-wide: while any window's work runs, no
// window takes a click, a key, a right-click menu or a close, except the running window's Cancel
// and the message boxes the work itself opens; and run() refuses to start more work. The running
// window's own buttons and choices are disabled and its text fields read-only until the work ends.
class WindowOperationRunner final : public QObject {
    Q_OBJECT
public:
    // With `besides` (the status line, in a row of its own), a progress bar and Cancel go right
    // after it in its row.
    WindowOperationRunner(QWidget* window, UserInterface& ui, Clock& clock,
                          QWidget* besides = nullptr);
    ~WindowOperationRunner() override;

    // False, with the work not run, while other work is on the line. Work started by work
    // already running (a worker's own nested step) just runs.
    bool run(const std::function<void()>& work);
    bool busy() const { return busy_; }
    OperationProgressBar* progressBar() const { return progress_; }

    // True while any window's work is on the line.
    static bool lineBusy();

private:
    struct Frozen;
    QList<Frozen> freezeInputs();
    static void thaw(const QList<Frozen>& frozen);
    void runOnLine(const std::function<void()>& work);

    QWidget* window_;
    UserInterface& ui_;
    OperationProgressBar* progress_ = nullptr;
    bool busy_ = false;

    friend class LineGuard;
};

} // namespace vtl
