#include "shell/ProgramEnd.h"

#include "panels/WindowOperationRunner.h"
#include "shell/QtUserInterface.h"

#include <QApplication>

namespace vtl {

ProgramEnd::ProgramEnd(QtUserInterface& ui, std::function<bool()> asked)
    : ui_(ui), asked_(std::move(asked)) {
    connect(&timer_, &QTimer::timeout, this, &ProgramEnd::check);
    timer_.start(100);
}

void ProgramEnd::check() {
    if (!ending_) {
        if (!asked_()) return;
        ending_ = true;
        ui_.endProgram();
    }
    // A window opened by the end of the work (a controller's window after its first read) closes
    // at the next look.
    if (!WindowOperationRunner::lineBusy()) QApplication::closeAllWindows();
}

} // namespace vtl
