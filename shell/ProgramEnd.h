#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace vtl {

class QtUserInterface;

// Ends the desktop program when it is asked to stop from outside (Ctrl-C, SIGTERM, SIGHUP, the
// session ending): the work on the line stops at its next safe point as Cancel stops it, its
// questions get their safe answers, and once the line is free every window closes as its Close
// button closes it, so that the port, the bus, the settings and the files end as they would.
class ProgramEnd final : public QObject {
public:
    // `asked` is looked at ten times a second.
    explicit ProgramEnd(QtUserInterface& ui, std::function<bool()> asked);

    bool ending() const { return ending_; }

private:
    void check();

    QtUserInterface& ui_;
    std::function<bool()> asked_;
    QTimer timer_;
    bool ending_ = false;
};

} // namespace vtl
