#include "cli/SiteDisplay.h"

#include "cli/TerminalSize.h"
#include "link/TimeLeft.h"

namespace vtl::cli {
namespace {

QString progressColumn(const RowStatus& r, std::int64_t nowMs) {
    if (r.finished()) return r.outcome.detail;
    if (r.progress.total <= 0 || r.progressMs < 0) return {};
    return progressText(r.progress, nowMs - r.progressMs);
}

QStringList tableLine(const SiteRow& row, const RowStatus& r, std::int64_t nowMs) {
    const bool answered = !r.controller.isEmpty();
    return {row.name,
            rowStateName(r.state),
            r.controller,
            answered ? QString::number(r.address) : QString(),
            answered ? QString::number(r.baud) : QString(),
            progressColumn(r, nowMs)};
}

bool beingServed(const RowStatus& r) {
    return r.state == RowState::Connecting || r.state == RowState::Working;
}

} // namespace

QStringList alignColumns(const QList<QStringList>& table) {
    QList<qsizetype> widths;
    for (const QStringList& line : table)
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (widths.size() <= i) widths.append(0);
            widths[i] = std::max(widths[i], line[i].size());
        }
    QStringList lines;
    for (const QStringList& line : table) {
        QString text;
        for (qsizetype i = 0; i < line.size(); ++i)
            text += i + 1 < line.size() ? line[i].leftJustified(widths[i] + 2) : line[i];
        lines << text.trimmed();
    }
    return lines;
}

QStringList liveTable(const QList<SiteRow>& rows, const QList<RowStatus>& status,
                      std::int64_t nowMs, int width, int height) {
    QList<QStringList> table{{QStringLiteral("NAME"), QStringLiteral("STATE"),
                              QStringLiteral("CONTROLLER"), QStringLiteral("ADDRESS"),
                              QStringLiteral("BAUD"), QStringLiteral("PROGRESS")}};
    const bool all = rows.size() + 1 < height;
    int waiting = 0, ok = 0, failed = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const RowStatus& r = status[i];
        waiting += r.state == RowState::Waiting;
        ok += r.state == RowState::Succeeded;
        failed += r.state == RowState::Failed || r.state == RowState::Stopped;
        if (all || beingServed(r)) table << tableLine(rows[i], r, nowMs);
    }
    QStringList lines = alignColumns(table);
    if (!all)
        lines << QStringLiteral("%1 waiting, %2 ok, %3 failed or stopped")
                     .arg(waiting)
                     .arg(ok)
                     .arg(failed);
    for (QString& line : lines)
        line.truncate(std::max(1, width - 1));
    return lines;
}

SiteDisplay::SiteDisplay(QTextStream& err, const QList<SiteRow>& rows, bool live, bool verbose)
    : err_(err), rows_(rows), live_(live), verbose_(verbose) {}

void SiteDisplay::eraseTable() {
    if (drawnLines_ > 0) err_ << "\x1b[" << drawnLines_ << "A";
    err_ << "\r\x1b[J";
    drawnLines_ = 0;
}

void SiteDisplay::refresh(SiteMonitor& monitor) {
    const QList<SiteEvent> events = monitor.takeEvents();
    QStringList lines;
    for (const SiteEvent& event : events)
        if ((live_ ? event.verbose : true) && (verbose_ || !event.verbose))
            lines << rows_[event.row].name + QStringLiteral(": ") + event.text;
    if (!live_) {
        for (const QString& line : lines)
            err_ << line << '\n';
        err_.flush();
        return;
    }
    const TerminalSize size = standardErrorSize();
    const QStringList table =
        liveTable(rows_, monitor.snapshot(), monitor.nowMs(), size.columns, size.rows);
    if (!lines.isEmpty()) eraseTable();
    if (drawnLines_ > 0) err_ << "\x1b[" << drawnLines_ << "A";
    for (const QString& line : lines)
        err_ << line << '\n';
    for (const QString& line : table)
        err_ << '\r' << line << "\x1b[K\n";
    err_ << "\x1b[J";
    err_.flush();
    drawnLines_ = int(table.size());
}

} // namespace vtl::cli
