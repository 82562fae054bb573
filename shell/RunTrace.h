#pragma once

#include "link/Clock.h"
#include "link/LineTrace.h"
#include "link/UserInterface.h"

#include <QString>
#include <functional>
#include <memory>

class QAction;
class QWidget;

namespace vtl {

// The line trace of this run of the program, written from the start into a temporary file that
// goes when the program ends; "Save Line Trace..." keeps a copy.
class RunTrace {
public:
    explicit RunTrace(Clock& clock);

    // Null when no temporary file could be made: the program then runs without a trace.
    LineTrace* trace() const { return trace_.get(); }
    QString path() const { return path_; }

    // Copies what has been traced so far; false with the system's words in `error`.
    bool saveTo(const QString& target, QString* error) const;

    using FileChooser = std::function<QString()>;
    // Puts "Save Line Trace..." on the window's right-click menu (after what is there, the About
    // entry). `choose` asks for the target, the system's save dialog unless replaced (tests).
    QAction* addSaveAction(QWidget* window, UserInterface& ui, FileChooser choose = {});

private:
    QString path_;
    std::unique_ptr<LineTrace> trace_;
};

} // namespace vtl
