#pragma once

#include "cli/SiteFile.h"
#include "link/Connect.h"
#include "link/Session.h"

#include <QJsonObject>

namespace vtl {
struct MainPanelMemory;
struct SubPanelMemory;
} // namespace vtl

namespace vtl::cli {

class TerminalUserInterface;

// What one row's work came to.
struct RowOutcome {
    bool ok = false;
    // One line for the summary: what was made or found, or why the work failed. Left empty on a
    // failure, the job puts the last message the controller's work showed there.
    QString detail;
    QJsonObject report; // the operation's own members of the row in the JSON report
    QStringList output; // what the command prints for the row on standard output, if anything

    static RowOutcome failed(const QString& why = {}) {
        RowOutcome outcome;
        outcome.detail = why;
        return outcome;
    }
    static RowOutcome succeeded() {
        RowOutcome outcome;
        outcome.ok = true;
        return outcome;
    }
};

// A connected controller whose opening reads are done and whose address is the row's, as the
// row's job hands it to the operation. Every job has its own.
struct SiteController {
    const SiteRow& row;
    Session& session;
    ControllerWindow window;
    MainPanelMemory& mainPanelMemory;
    SubPanelMemory& subPanelMemory;
};

// The work a site command does on every controller (identify, backup, verify, settings). The
// job connects, makes the configuration window's opening reads and checks the address; then
// the operation runs. run() is called on several job threads at once: it keeps no state of its
// own beyond what prepare() left.
class SiteOperation {
public:
    virtual ~SiteOperation() = default;
    SiteOperation() = default;
    SiteOperation(const SiteOperation&) = delete;
    SiteOperation& operator=(const SiteOperation&) = delete;

    // Called for every row, one after the other, before anything connects: why the row cannot
    // run (it then fails without connecting), or empty.
    virtual QString prepare(const SiteRow& row) {
        (void)row;
        return {};
    }
    // The answers this operation gives the questions its work asks, set before connecting.
    virtual void presetAnswers(TerminalUserInterface& ui) const { (void)ui; }
    virtual RowOutcome run(SiteController& controller) const = 0;
};

} // namespace vtl::cli
