#include "cli/SiteRunner.h"

#include "cli/ConnectionOptions.h"
#include "cli/SiteJobInterface.h"
#include "panels/MainPanelMemory.h"
#include "panels/SubPanelOperations.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QMutexLocker>

namespace vtl::cli {
namespace {

thread_local int servingRow = -1;

} // namespace

int currentSiteRow() {
    return servingRow;
}

QList<QList<int>> rowsByLine(const QList<SiteRow>& rows) {
    QList<QList<int>> groups;
    QHash<QString, qsizetype> groupOfLine;
    for (int i = 0; i < rows.size(); ++i) {
        const QString key = lineKey(rows[i].port);
        if (!groupOfLine.contains(key)) {
            groupOfLine.insert(key, groups.size());
            groups.append(QList<int>());
        }
        groups[groupOfLine.value(key)].append(i);
    }
    return groups;
}

SiteRunner::SiteRunner(const QList<SiteRow>& rows, const SiteOperation& operation,
                       SiteOptions options, SiteMonitor& monitor, std::function<bool()> stop)
    : rows_(rows), operation_(operation), options_(options), monitor_(monitor),
      stop_(std::move(stop)) {}

SiteRunner::~SiteRunner() {
    for (auto& thread : threads_)
        thread->wait();
}

void SiteRunner::start(const QStringList& refused) {
    refused_ = refused;
    queue_ = rowsByLine(rows_);
    qsizetype jobs = queue_.size();
    if (options_.jobs > 0) jobs = std::min<qsizetype>(jobs, options_.jobs);
    for (qsizetype i = 0; i < jobs; ++i) {
        threads_.emplace_back(QThread::create([this] { serve(); }));
        threads_.back()->start();
    }
}

bool SiteRunner::wait(int ms) {
    QDeadlineTimer deadline(ms);
    for (auto& thread : threads_)
        if (!thread->wait(deadline)) return false;
    return true;
}

std::optional<QList<int>> SiteRunner::nextGroup() {
    QMutexLocker lock(&queueMutex_);
    if (queue_.isEmpty()) return std::nullopt;
    return queue_.takeFirst();
}

void SiteRunner::serve() {
    while (const auto group = nextGroup())
        for (int index : *group)
            runRow(index);
}

void SiteRunner::runRow(int index) {
    if (!refused_.value(index).isEmpty()) {
        monitor_.end(index, RowState::Failed, RowOutcome::failed(refused_.value(index)));
        return;
    }
    if (stop_()) {
        monitor_.end(index, RowState::Stopped, RowOutcome::failed(QStringLiteral("not begun")));
        return;
    }
    servingRow = index;
    monitor_.begin(index, rows_[index].port);
    ConnectionState state;
    state.UsbMode = options_.usb;
    state.AddDelay = options_.addDelay;
    const auto buffers = std::make_unique<TransferBuffers>();
    MainPanelMemory mainMemory;
    SubPanelMemory subMemory;
    SiteJobInterface ui(monitor_, index, options_.retries, stop_);
    operation_.presetAnswers(ui.answers());
    RowOutcome outcome;
    {
        Session session(state, *buffers, RealClock::instance(), ui);
        outcome = connectAndRun(index, session, mainMemory, subMemory);
        // The next row on this line opens the port afresh.
        session.link.ClosePort();
    }
    if (!outcome.ok && outcome.detail.isEmpty())
        outcome.detail = ui.failureText(QStringLiteral("no controller answered"));
    const RowState end = outcome.ok ? RowState::Succeeded
                         : stop_()  ? RowState::Stopped
                                    : RowState::Failed;
    monitor_.end(index, end, outcome);
    servingRow = -1;
}

RowOutcome SiteRunner::connectAndRun(int index, Session& session, MainPanelMemory& mainMemory,
                                     SubPanelMemory& subMemory) {
    const SiteRow& row = rows_[index];
    std::optional<ControllerWindow> window;
    Connect(session, {row.code, row.port, row.baudPosition, row.subLan},
            [&](ControllerWindow found) { window = found; });
    if (!window || !openingReads(session, *window, mainMemory)) return RowOutcome::failed();
    const ConnectionState& state = session.state;
    std::optional<int> typeCode;
    if (*window != ControllerWindow::SubPanel) typeCode = int(state.PanelTypeCode);
    monitor_.connected(index, controllerKind(state, *window), int(state.PanelAddress),
                       effectiveBaudRate(state), typeCode);
    // The row names one controller; another one on its line is left alone.
    if (row.address && *row.address != int(state.PanelAddress))
        return RowOutcome::failed(QStringLiteral("address %1 expected, %2 answered; nothing done")
                                      .arg(*row.address)
                                      .arg(state.PanelAddress));
    if (stop_()) return RowOutcome::failed(QStringLiteral("stopped before the work began"));
    SiteController controller{row, session, *window, mainMemory, subMemory};
    return operation_.run(controller);
}

} // namespace vtl::cli
