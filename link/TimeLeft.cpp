#include "link/TimeLeft.h"

#include <algorithm>

namespace vtl {
namespace {

// A typical record with its frame, check sums and acknowledgements, and the pauses around one
// exchange, for the estimate before anything has been measured.
constexpr std::int64_t TypicalExchangeBytes = 600;
constexpr std::int64_t BitsPerByte = 10; // start, eight data, stop
constexpr std::int64_t ExchangeOverheadMs = 150;

} // namespace

std::optional<std::int64_t> estimateTimeLeftMs(const TimeLeftInput& input) {
    const int left = std::max(0, input.total - std::max(0, input.done));
    if (left == 0) return 0;
    // A record retried for minutes says nothing about the next ones: only the time the records
    // took when they went through counts.
    const std::int64_t workingMs = std::max<std::int64_t>(0, input.elapsedMs - input.stalledMs);
    if (input.done > 0) return workingMs * left / input.done;
    if (input.baudRate <= 0) return std::nullopt;
    const std::int64_t perRecordMs =
        TypicalExchangeBytes * BitsPerByte * 1000 / input.baudRate + ExchangeOverheadMs;
    return perRecordMs * left;
}

QString formatDuration(std::int64_t ms) {
    const std::int64_t seconds = std::max<std::int64_t>(0, ms) / 1000;
    const std::int64_t h = seconds / 3600;
    const std::int64_t m = seconds / 60 % 60;
    const std::int64_t s = seconds % 60;
    const QString mmss =
        QStringLiteral("%1:%2")
            .arg(h > 0 ? QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')) : QString::number(m))
            .arg(s, 2, 10, QLatin1Char('0'));
    return h > 0 ? QStringLiteral("%1:%2").arg(h).arg(mmss) : mmss;
}

QString progressText(const OperationProgress& progress, std::int64_t elapsedMs) {
    if (progress.unit == ProgressUnit::Speeds)
        return QStringLiteral("Trying %1 baud, %2 of %3 speeds, %4 elapsed")
            .arg(progress.baudRate)
            .arg(progress.done + 1)
            .arg(progress.total)
            .arg(formatDuration(elapsedMs));
    const int total = std::max(1, progress.total);
    const int percent = int(std::int64_t(std::clamp(progress.done, 0, total)) * 100 / total);
    QString text = QStringLiteral("%1 of %2 records, %3%, %4 elapsed")
                       .arg(progress.done)
                       .arg(progress.total)
                       .arg(percent)
                       .arg(formatDuration(elapsedMs));
    const auto left = estimateTimeLeftMs(
        {progress.done, progress.total, elapsedMs, progress.baudRate, progress.stalledMs});
    if (left) text += QStringLiteral(", %1 left").arg(formatDuration(*left));
    return text;
}

} // namespace vtl
