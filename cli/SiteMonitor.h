#pragma once

#include "cli/SiteOperation.h"
#include "link/Clock.h"
#include "link/UserInterface.h"

#include <QList>
#include <QMutex>
#include <QString>

#include <optional>

namespace vtl::cli {

enum class RowState { Waiting, Connecting, Working, Succeeded, Failed, Stopped };

// "waiting", "connecting", "working", "ok", "failed", "stopped".
QString rowStateName(RowState state);

// Where one row's job stands, as the display and the summary show it.
struct RowStatus {
    RowState state = RowState::Waiting;
    QString controller; // "main panel", ...; empty until the controller has answered
    int address = 0;
    int baud = 0;
    std::optional<int> typeCode; // controllers reached in LAN framing
    OperationProgress progress;
    std::int64_t startedMs = -1;  // when its job began to connect
    std::int64_t progressMs = -1; // when its current progress began
    std::int64_t finishedMs = -1;
    RowOutcome outcome;
    QStringList messages; // what the protocol showed, as the terminal prints it

    bool finished() const { return finishedMs >= 0; }
    std::int64_t elapsedMs(std::int64_t nowMs) const;
};

// Something for the line-per-event display: a row's news, or with --verbose a message or log line.
struct SiteEvent {
    int row = 0;
    QString text;
    bool verbose = false;
};

// What the jobs report and the display reads, one lock for all. The jobs call the first group
// from their threads; the display takes events and snapshots from its own.
class SiteMonitor {
public:
    SiteMonitor(qsizetype rows, const Clock& clock);

    void begin(int row, const QString& port);
    void connected(int row, const QString& controller, int address, int baud,
                   std::optional<int> typeCode);
    void progress(int row, const OperationProgress& progress);
    void message(int row, const QStringList& lines);
    void log(int row, const QString& line);
    void end(int row, RowState state, const RowOutcome& outcome);

    QList<SiteEvent> takeEvents();
    QList<RowStatus> snapshot() const;
    std::int64_t nowMs() const { return clock_.nowUs() / 1000; }

private:
    mutable QMutex mutex_;
    const Clock& clock_;
    QList<RowStatus> rows_;
    QList<SiteEvent> events_;
};

} // namespace vtl::cli
