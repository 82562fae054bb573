#include "cli/TerminalUserInterface.h"

#include "cli/Interrupt.h"
#include "link/TimeLeft.h"

#include <QRegularExpression>

namespace vtl::cli {

TerminalUserInterface::TerminalUserInterface(QTextStream& err, int retries)
    : err_(err), retries_(retries), cancelQuery_(interruptRequested) {}

QString TerminalUserInterface::oneLine(const QString& caption, const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\\s*\\n+\\s*"));
    return QStringLiteral("[%1] %2").arg(caption,
                                         QString(text).replace(breaks, QStringLiteral(" ")));
}

QString TerminalUserInterface::presetKey(const QString& text, const QString& caption,
                                         MessageButtons buttons) {
    return caption + QLatin1Char('\0') + toString(buttons) + QLatin1Char('\0') + text;
}

void TerminalUserInterface::presetAnswer(const Question& question, MessageAnswer answer) {
    presets_.insert(
        presetKey(question.textString(), QString::fromLatin1(question.caption), question.buttons),
        answer);
}

MessageAnswer TerminalUserInterface::message(const QString& text, const QString& caption,
                                             MessageButtons buttons, MessageIcon,
                                             const QString& detail) {
    const MessageAnswer answer = decide(text, caption, buttons);
    endProgressLine();
    err_ << oneLine(caption, text);
    if (buttons != MessageButtons::Ok) err_ << " -> " << toString(answer);
    err_ << Qt::endl;
    // The system's own reason goes on a line of its own, so the message line stays exact; once,
    // when the failed exchange's reason already holds it.
    if (!detail.isEmpty() && !failureReason_.contains(detail)) err_ << "  " << detail << Qt::endl;
    if (!failureReason_.isEmpty()) err_ << "  reason: " << failureReason_ << Qt::endl;
    failureReason_.clear();
    return answer;
}

MessageAnswer TerminalUserInterface::decide(const QString& text, const QString& caption,
                                            MessageButtons buttons) {
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (auto preset = presets_.constFind(presetKey(text, caption, buttons));
        preset != presets_.constEnd())
        return *preset;
    const bool retryQuestion =
        buttons == MessageButtons::RetryCancel || buttons == MessageButtons::AbortRetryIgnore;
    // Once the program is asked to stop, no exchange is tried again.
    if (retryQuestion && cancelRequested()) return safeAnswer(buttons);
    if (retryQuestion) {
        // Asked straight after an exchange: that exchange failed after all (a reply too short).
        exchangeFailed_ = true;
        // Another question, or the same text about another block: the budget starts again.
        if (text != retrying_) {
            retrying_ = text;
            retriesUsed_ = 0;
        }
        if (retriesUsed_ < retries_) {
            ++retriesUsed_;
            return MessageAnswer::Retry;
        }
    }
    retrying_.clear();
    retriesUsed_ = 0;
    return safeAnswer(buttons);
}

void TerminalUserInterface::setFailureReason(const QString& reason) {
    failureReason_ = reason;
    if (!reason.isEmpty()) {
        exchangeFailed_ = true;
        return;
    }
    if (exchangeRan_ && !exchangeFailed_) {
        retrying_.clear();
        retriesUsed_ = 0;
    }
    exchangeRan_ = true;
    exchangeFailed_ = false;
}

void TerminalUserInterface::note(const QString& line) {
    endProgressLine();
    err_ << line << Qt::endl;
}

void TerminalUserInterface::setTitle(const QString& title) {
    // The bare window names are not progress; on a progress line the speed tried is shown there.
    if (!showProgress_ || title == QLatin1String("VTL") || title == QLatin1String("Vantrel"))
        return;
    if (progressClock_ && progress_.total > 0) return;
    err_ << title << Qt::endl;
}

void TerminalUserInterface::setStatus(const QString& text) {
    if (!showProgress_) return;
    if (progressClock_ && progress_.total > 0) {
        // An empty text clears a window's status line; on the terminal the line just stays.
        if (text.isEmpty()) return;
        lastStatus_ = text;
        drawProgressLine();
        return;
    }
    if (!text.isEmpty()) err_ << text << Qt::endl;
}

void TerminalUserInterface::setProgress(const OperationProgress& progress) {
    if (!showProgress_ || !progressClock_) return;
    if (progress.total <= 0) {
        progress_ = {};
        lastStatus_.clear();
        endProgressLine();
        return;
    }
    if (progress_.total <= 0) progressStartUs_ = progressClock_->nowUs();
    progress_ = progress;
    drawProgressLine();
}

// Back to the start of the line, the new text, and the rest of the old one erased.
void TerminalUserInterface::drawProgressLine() {
    const std::int64_t elapsedMs = (progressClock_->nowUs() - progressStartUs_) / 1000;
    QString line = progressText(progress_, elapsedMs);
    if (!lastStatus_.isEmpty()) line = lastStatus_ + QStringLiteral(": ") + line;
    err_ << '\r' << line << "\x1b[K" << Qt::flush;
    progressShown_ = true;
}

void TerminalUserInterface::endProgressLine() {
    if (!progressShown_) return;
    err_ << Qt::endl;
    progressShown_ = false;
}

} // namespace vtl::cli
