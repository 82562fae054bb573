#pragma once

#include "link/UserInterface.h"
#include "shell/HelpFile.h"

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QMessageBox;

namespace vtl {

class ThreadCall;

// The desktop program's user interface: real message boxes, the connection window's title as the
// progress display, the wait cursor, and the status line of the configuration window in front.
// Operations run on a worker thread; everything they show is carried to the window's thread, and
// the worker waits until it is shown or answered.
class QtUserInterface final : public UserInterface {
public:
    QtUserInterface();
    ~QtUserInterface() override;

    MessageAnswer message(const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon, const QString& detail = {}) override;
    void setTitle(const QString& title) override;
    void setWaitCursor(bool on) override;
    void setStatus(const QString& text) override;
    StatusLine replaceStatusLine(StatusLine line) override;
    // Opens the page with the system's browser, or the compiled help file where there is one.
    void openHelpPage(const QString& page) override;
    void setProgress(const OperationProgress& progress) override;
    bool cancelRequested() override;
    ProgressDisplay* replaceProgressDisplay(ProgressDisplay* display) override;

    // The window whose title shows progress and that owns the message boxes.
    void setTitleWindow(QWidget* window) { titleWindow_ = window; }
    QWidget* titleWindow() const { return titleWindow_; }
    void setStatusLine(QLineEdit* line);
    void setHelpPlaces(HelpPlaces places) { help_ = std::move(places); }

    // The program is ending: the work on the line is asked to stop as Cancel asks it, every
    // question from now on gets its safe answer without a box (the message goes to the log), and
    // a box showing now is closed as its safe answer would close it.
    void endProgram();
    bool ending() const { return ending_.load(); }

private:
    QWidget* parentForBoxes() const;
    void onWindowThread(const std::function<void()>& show);

    std::unique_ptr<ThreadCall> windowThread_;
    std::atomic<bool> ending_{false};
    QPointer<QMessageBox> openBox_;
    QPointer<QWidget> titleWindow_;
    StatusLine statusLine_;
    ProgressDisplay* progress_ = nullptr;
    bool waiting_ = false;
    HelpPlaces help_;
};

// A line edit as a status line. Progress texts come from inside long loops with no event loop
// running, so each is painted at once; a line edit that is gone shows nothing.
StatusLine statusLineOf(QLineEdit* line);

} // namespace vtl
