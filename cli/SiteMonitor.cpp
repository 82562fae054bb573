#include "cli/SiteMonitor.h"

#include "link/TimeLeft.h"

#include <QMutexLocker>

namespace vtl::cli {

QString rowStateName(RowState state) {
    switch (state) {
    case RowState::Waiting:
        return QStringLiteral("waiting");
    case RowState::Connecting:
        return QStringLiteral("connecting");
    case RowState::Working:
        return QStringLiteral("working");
    case RowState::Succeeded:
        return QStringLiteral("ok");
    case RowState::Failed:
        return QStringLiteral("failed");
    case RowState::Stopped:
        break;
    }
    return QStringLiteral("stopped");
}

std::int64_t RowStatus::elapsedMs(std::int64_t nowMs) const {
    if (startedMs < 0) return 0;
    return (finished() ? finishedMs : nowMs) - startedMs;
}

SiteMonitor::SiteMonitor(qsizetype rows, const Clock& clock) : clock_(clock), rows_(rows) {}

void SiteMonitor::begin(int row, const QString& port) {
    QMutexLocker lock(&mutex_);
    RowStatus& r = rows_[row];
    r.state = RowState::Connecting;
    r.startedMs = nowMs();
    events_.append({row, QStringLiteral("connecting on %1").arg(port)});
}

void SiteMonitor::connected(int row, const QString& controller, int address, int baud,
                            std::optional<int> typeCode) {
    QMutexLocker lock(&mutex_);
    RowStatus& r = rows_[row];
    r.state = RowState::Working;
    r.controller = controller;
    r.address = address;
    r.baud = baud;
    r.typeCode = typeCode;
    events_.append(
        {row, QStringLiteral("%1 at address %2, %3 baud").arg(controller).arg(address).arg(baud)});
}

void SiteMonitor::progress(int row, const OperationProgress& progress) {
    QMutexLocker lock(&mutex_);
    RowStatus& r = rows_[row];
    if (progress.total > 0 && (r.progress.total <= 0 || r.progress.unit != progress.unit))
        r.progressMs = nowMs();
    r.progress = progress;
}

void SiteMonitor::message(int row, const QStringList& lines) {
    QMutexLocker lock(&mutex_);
    rows_[row].messages << lines;
    for (const QString& line : lines)
        events_.append({row, line, true});
}

void SiteMonitor::log(int row, const QString& line) {
    QMutexLocker lock(&mutex_);
    events_.append({row, line, true});
}

void SiteMonitor::end(int row, RowState state, const RowOutcome& outcome) {
    QMutexLocker lock(&mutex_);
    RowStatus& r = rows_[row];
    r.state = state;
    r.outcome = outcome;
    r.progress = {};
    r.finishedMs = nowMs();
    if (r.startedMs < 0) r.startedMs = r.finishedMs;
    QString text = rowStateName(state);
    if (!outcome.detail.isEmpty()) text += QStringLiteral(": ") + outcome.detail;
    events_.append({row, text + QStringLiteral(" (%1)").arg(formatDuration(r.elapsedMs(0)))});
}

QList<SiteEvent> SiteMonitor::takeEvents() {
    QMutexLocker lock(&mutex_);
    return std::exchange(events_, {});
}

QList<RowStatus> SiteMonitor::snapshot() const {
    QMutexLocker lock(&mutex_);
    return rows_;
}

} // namespace vtl::cli
