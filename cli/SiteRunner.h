#pragma once

#include "cli/SiteMonitor.h"
#include "cli/SiteOperation.h"

#include <QList>
#include <QMutex>
#include <QThread>

#include <functional>
#include <memory>
#include <vector>

namespace vtl::cli {

struct SiteOptions {
    int jobs = 0; // at most this many lines served at once; 0: every line at once
    int retries = 2;
    bool usb = false;
    bool addDelay = true;
};

// Rows grouped by the line they are on, groups in the order their first row comes in the file.
// The rows of one group share a port: they run one after the other.
QList<QList<int>> rowsByLine(const QList<SiteRow>& rows);

// Runs an operation on every row of a site. Each job is a thread of its own with its own
// connection record, buffers, session and remembered main panel and sub panel settings, so jobs
// share nothing but the monitor. A row that prepare() refused fails without connecting; rows not
// yet begun when `stop` turns true end as stopped, and running ones stop as Abort does.
class SiteRunner {
public:
    SiteRunner(const QList<SiteRow>& rows, const SiteOperation& operation, SiteOptions options,
               SiteMonitor& monitor, std::function<bool()> stop);
    ~SiteRunner();
    SiteRunner(const SiteRunner&) = delete;
    SiteRunner& operator=(const SiteRunner&) = delete;

    // `refused` holds, per row, why prepare() refused it (empty: the row runs).
    void start(const QStringList& refused);
    // Waits up to `ms`; true once every job has ended.
    bool wait(int ms);
    // How many jobs run at once.
    int jobCount() const { return int(threads_.size()); }

private:
    void serve();
    std::optional<QList<int>> nextGroup();
    void runRow(int index);
    RowOutcome connectAndRun(int index, Session& session, MainPanelMemory& mainMemory,
                             SubPanelMemory& subMemory);

    const QList<SiteRow>& rows_;
    const SiteOperation& operation_;
    SiteOptions options_;
    SiteMonitor& monitor_;
    std::function<bool()> stop_;
    QStringList refused_;

    QMutex queueMutex_;
    QList<QList<int>> queue_;
    std::vector<std::unique_ptr<QThread>> threads_;
};

// The row the calling thread's job is serving, or -1 on any other thread: log lines are told
// apart by it.
int currentSiteRow();

} // namespace vtl::cli
