#pragma once

#include "link/UserInterface.h"

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

namespace vtl {

// The desktop program's user interface: real message boxes, the connection window's title as the
// progress display, the wait cursor, and the status line of the configuration window in front.
class QtUserInterface final : public UserInterface {
public:
    ~QtUserInterface() override;

    MessageAnswer message(const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon, const QString& detail = {}) override;
    void setTitle(const QString& title) override;
    void setWaitCursor(bool on) override;
    void setStatus(const QString& text) override;

    // The window whose title shows progress and that owns the message boxes.
    void setTitleWindow(QWidget* window) { titleWindow_ = window; }
    QWidget* titleWindow() const { return titleWindow_; }
    void setStatusLine(QLineEdit* line) { statusLine_ = line; }
    QLineEdit* statusLine() const { return statusLine_; }

private:
    QWidget* parentForBoxes() const;

    QPointer<QWidget> titleWindow_;
    QPointer<QLineEdit> statusLine_;
    bool waiting_ = false;
};

// Makes a configuration window's status line the target of setStatus while the window is open and
// gives the previous one back afterwards. Does nothing for other user interfaces.
class StatusLineScope {
public:
    StatusLineScope(UserInterface& ui, QLineEdit* line);
    ~StatusLineScope();
    StatusLineScope(const StatusLineScope&) = delete;
    StatusLineScope& operator=(const StatusLineScope&) = delete;

private:
    QtUserInterface* qt_;
    QPointer<QLineEdit> previous_;
};

} // namespace vtl
