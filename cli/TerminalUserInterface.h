#pragma once

#include "link/Clock.h"
#include "link/Question.h"
#include "link/UserInterface.h"

#include <QHash>

#include <QTextStream>

#include <functional>

namespace vtl::cli {

// The command line's answer to what the protocol code shows or asks: every message goes to
// standard error as "[Caption] Text" on one line; questions are answered from the flags given,
// otherwise with the safe answer, after retrying a Retry question a limited number of times.
class TerminalUserInterface final : public UserInterface {
public:
    TerminalUserInterface(QTextStream& err, int retries);

    // The answer to give whenever this question is asked (its text, caption and buttons).
    void presetAnswer(const Question& question, MessageAnswer answer);
    void setShowProgress(bool on) { showProgress_ = on; }
    // On a terminal: one progress line redrawn in place, with the latest status text, elapsed
    // time on `clock` and the time left. Without it status texts go one per line.
    void setProgressLine(const Clock* clock) { progressClock_ = clock; }
    // What cancelRequested() asks: the program's Ctrl-C, SIGTERM and SIGHUP unless replaced.
    void setCancelQuery(std::function<bool()> query) { cancelQuery_ = std::move(query); }

    MessageAnswer message(const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon, const QString& detail = {}) override;
    void setTitle(const QString& title) override;
    void setWaitCursor(bool) override {}
    void setStatus(const QString& text) override;
    // Printed once, as "reason: ..." beneath the next message. Empty when an exchange starts: an
    // exchange that succeeded settles the Retry question it was retried for, so the next time that
    // question is asked it is about another block or exchange and gets the whole budget again.
    void setFailureReason(const QString& reason) override;
    void setProgress(const OperationProgress& progress) override;
    bool cancelRequested() override { return cancelQuery_ && cancelQuery_(); }

    // A line of the command line's own (not a message of the program's), below any progress line.
    void note(const QString& line);

    // "[Caption] Text" with the line breaks of a message box folded into blanks.
    static QString oneLine(const QString& caption, const QString& text);

private:
    void drawProgressLine();
    void endProgressLine();
    MessageAnswer decide(const QString& text, const QString& caption, MessageButtons buttons);
    static QString presetKey(const QString& text, const QString& caption, MessageButtons buttons);

    QTextStream& err_;
    int retries_;
    bool showProgress_ = true;
    QHash<QString, MessageAnswer> presets_;
    QString failureReason_;
    bool exchangeRan_ = false;    // an exchange has started since the program began
    bool exchangeFailed_ = false; // the last one failed, or a Retry question followed it
    QString retrying_;            // the Retry question being answered, until it is settled
    int retriesUsed_ = 0;

    const Clock* progressClock_ = nullptr;
    std::function<bool()> cancelQuery_;
    bool progressShown_ = false; // the progress line is on the screen, without its line end
    std::int64_t progressStartUs_ = 0;
    OperationProgress progress_;
    QString lastStatus_;
};

} // namespace vtl::cli
