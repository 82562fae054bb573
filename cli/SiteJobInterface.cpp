#include "cli/SiteJobInterface.h"

#include <QMutex>
#include <QMutexLocker>

namespace vtl::cli {

SiteJobInterface::SiteJobInterface(SiteMonitor& monitor, int row, int retries,
                                   std::function<bool()> stop)
    : monitor_(monitor), row_(row), stop_(std::move(stop)), terminal_(stream_, retries) {
    terminal_.setShowProgress(false);
}

QString SiteJobInterface::failureText(const QString& fallback) const {
    if (lastMessage_.isEmpty()) return fallback;
    if (lastReason_.isEmpty()) return lastMessage_;
    return QStringLiteral("%1 (%2)").arg(lastMessage_, lastReason_);
}

MessageAnswer SiteJobInterface::message(const QString& text, const QString& caption,
                                        MessageButtons buttons, MessageIcon icon,
                                        const QString& detail) {
    MessageAnswer answer;
    {
        // The terminal's wording folds line breaks with one pattern object for the whole program;
        // messages are rare, so the jobs take turns.
        static QMutex wording;
        QMutexLocker lock(&wording);
        answer = terminal_.message(text, caption, buttons, icon, detail);
        lastMessage_ = TerminalUserInterface::oneLine(caption, text).section(QLatin1Char(' '), 1);
    }
    stream_.flush();
    const QStringList lines = printed_.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    printed_.clear();
    monitor_.message(row_, lines);

    return answer;
}

void SiteJobInterface::setFailureReason(const QString& reason) {
    terminal_.setFailureReason(reason);
    // Empty when an exchange starts: a reason is only ever that of the latest exchange.
    lastReason_ = reason;
}

void SiteJobInterface::setProgress(const OperationProgress& progress) {
    monitor_.progress(row_, progress);
}

} // namespace vtl::cli
