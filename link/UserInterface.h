#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace vtl {

enum class MessageButtons { Ok, OkCancel, YesNo, RetryCancel, AbortRetryIgnore };
enum class MessageIcon { None, Stop, Question, Exclamation, Information };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// How far a long operation has got: records done of records to do (or, while connecting, speeds
// tried of speeds to try), at the line rate in use. A total of 0 ends the display. stalledMs is
// the time spent on exchanges that failed and on the questions after them: it says nothing about
// how long the records still to do will take.
enum class ProgressUnit { Records, Speeds };
struct OperationProgress {
    int done = 0;
    int total = 0;
    std::int32_t baudRate = 0;
    ProgressUnit unit = ProgressUnit::Records;
    std::int64_t stalledMs = 0;
};

// A window's progress bar and its Cancel button. showProgress() runs on the window's thread; the
// question comes from whichever thread runs the operation.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    virtual void showProgress(const OperationProgress& progress) = 0;
    virtual bool cancelPressed() const = 0;
};

// A window's status line: shows a text at once.
using StatusLine = std::function<void(const QString& text)>;

// Everything the protocol code shows or asks. A message's detail, when given, is the system's own
// account of a failure (why a port would not open), shown beneath the fixed text. The desktop
// program answers with real message boxes, the command line with its flags, tests with a scripted
// double.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual MessageAnswer message(const QString& text, const QString& caption,
                                  MessageButtons buttons = MessageButtons::Ok,
                                  MessageIcon icon = MessageIcon::None,
                                  const QString& detail = {}) = 0;
    // The connection window's title, which doubles as the progress display while connecting.
    virtual void setTitle(const QString& title) = 0;
    virtual void setWaitCursor(bool on) = 0;
    // The status line of the window in front; shown at once (the window is repainted).
    virtual void setStatus(const QString& text) = 0;
    // Why the exchange that just ended failed, in one line; empty when an exchange starts. The
    // messages a failure leads to stay as they are; this is the account beneath them.
    virtual void setFailureReason(const QString& reason) { (void)reason; }
    // Makes `line` the target of setStatus and gives back the one it replaces. A front end
    // without windows keeps its own target and gives back nothing.
    // NOLINTNEXTLINE(performance-unnecessary-value-param): a sink; the windowed override keeps it.
    virtual StatusLine replaceStatusLine(StatusLine line) {
        (void)line;
        return {};
    }
    // Opens a page of the user manual (a file name such as "main-panel.html") with the system's
    // browser. A front end without windows has no browser to open.
    virtual void openHelpPage(const QString& page) { (void)page; }
    // Long operations report each record boundary; a front end that shows nothing ignores it.
    virtual void setProgress(const OperationProgress& progress) { (void)progress; }
    // Asked at each record boundary of a long operation, before a Retry question and while an
    // exchange waits on a silent line: true once the user has asked to stop (Cancel, or the
    // program being told to end), which then ends as Abort would. Asked from the thread that runs
    // the operation.
    virtual bool cancelRequested() { return false; }
    // Makes `display` the target of setProgress and cancelRequested and gives back the one it
    // replaces; a front end without windows ignores it.
    virtual ProgressDisplay* replaceProgressDisplay(ProgressDisplay* display) {
        (void)display;
        return nullptr;
    }
};

// A configuration window's status line as the target of setStatus while the window is open; the
// previous target comes back afterwards.
class StatusLineScope {
public:
    StatusLineScope(UserInterface& ui, StatusLine line)
        : ui_(ui), previous_(ui.replaceStatusLine(std::move(line))) {}
    ~StatusLineScope() { ui_.replaceStatusLine(std::move(previous_)); }
    StatusLineScope(const StatusLineScope&) = delete;
    StatusLineScope& operator=(const StatusLineScope&) = delete;

private:
    UserInterface& ui_;
    StatusLine previous_;
};

// A window's progress display as the target while one operation runs.
class ProgressDisplayScope {
public:
    ProgressDisplayScope(UserInterface& ui, ProgressDisplay* display)
        : ui_(ui), previous_(ui.replaceProgressDisplay(display)) {}
    ~ProgressDisplayScope() { ui_.replaceProgressDisplay(previous_); }
    ProgressDisplayScope(const ProgressDisplayScope&) = delete;
    ProgressDisplayScope& operator=(const ProgressDisplayScope&) = delete;

private:
    UserInterface& ui_;
    ProgressDisplay* previous_;
};

// Shows nothing and takes the safe answer: for code that runs where nobody can be asked.
class SilentUserInterface final : public UserInterface {
public:
    MessageAnswer message(const QString&, const QString&, MessageButtons buttons, MessageIcon,
                          const QString& = {}) override;
    void setTitle(const QString&) override {}
    void setWaitCursor(bool) override {}
    void setStatus(const QString&) override {}
};

// The answer that cannot do harm: No, Cancel, Abort, or OK where OK is all there is.
MessageAnswer safeAnswer(MessageButtons buttons);

QString toString(MessageButtons buttons);
QString toString(MessageIcon icon);
QString toString(MessageAnswer answer);

} // namespace vtl
