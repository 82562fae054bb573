#pragma once

#include "cli/SiteFile.h"
#include "cli/SiteMonitor.h"

#include <QDateTime>
#include <QJsonObject>
#include <QStringList>

namespace vtl::cli {

// The table printed at the end: a line a controller (result, controller, address, rate, time,
// what was made or why it failed), then "4 controllers: 3 ok, 1 failed".
QStringList summaryTable(const QList<SiteRow>& rows, const QList<RowStatus>& status);

struct SiteRun {
    QString command; // "backup", ...
    QString siteFile;
    QDateTime started;
    QDateTime finished;
    std::int64_t startedMs = 0; // `started` on the monitor's clock
};

// The summary as one JSON object: the run, then a member per controller in the file's order.
QJsonObject siteReport(const SiteRun& run, const QList<SiteRow>& rows,
                       const QList<RowStatus>& status);

// Writes the report beside `path` and puts it in place only once it is whole: an existing file
// stays as it was when anything fails. False, with `why`, when it was not written.
bool writeReport(const QString& path, const QJsonObject& report, QString* why);

// Whether every controller succeeded.
bool allSucceeded(const QList<RowStatus>& status);

} // namespace vtl::cli
