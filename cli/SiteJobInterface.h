#pragma once

#include "cli/SiteMonitor.h"
#include "cli/TerminalUserInterface.h"

#include <QString>
#include <QTextStream>

#include <functional>

namespace vtl::cli {

// The user interface of one row's job. Questions are answered as the single commands answer them
// (flags, then Retry a limited number of times, then the safe answer); what would be printed goes
// to the monitor under the row, progress too. Cancel is the program's Ctrl-C.
class SiteJobInterface final : public UserInterface {
public:
    SiteJobInterface(SiteMonitor& monitor, int row, int retries, std::function<bool()> stop);

    // For presetting the answers to the operation's questions.
    TerminalUserInterface& answers() { return terminal_; }

    // The last message shown, without its caption, and why the latest exchange failed if it did:
    // "Panel File Creation Aborted. (no reply at 38400 baud after 25 reads)". `fallback` when
    // nothing was shown.
    QString failureText(const QString& fallback) const;

    MessageAnswer message(const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon, const QString& detail = {}) override;
    void setTitle(const QString&) override {}
    void setWaitCursor(bool) override {}
    void setStatus(const QString&) override {}
    void setFailureReason(const QString& reason) override;
    void setProgress(const OperationProgress& progress) override;
    bool cancelRequested() override { return stop_ && stop_(); }

private:
    SiteMonitor& monitor_;
    int row_;
    std::function<bool()> stop_;
    QString printed_;
    QTextStream stream_{&printed_};
    TerminalUserInterface terminal_;
    QString lastMessage_;
    QString lastReason_;
};

} // namespace vtl::cli
