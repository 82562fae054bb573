#pragma once

#include "cli/SiteFile.h"
#include "cli/SiteMonitor.h"

#include <QStringList>
#include <QTextStream>

namespace vtl::cli {

// Columns padded to their widest entry, two blanks apart; the last column is not padded.
QStringList alignColumns(const QList<QStringList>& table);

// The live table: a header and one line a controller (state, controller, address, rate and
// record counts with the time left, or at the end what came of it), each cut to `width`. When the
// rows do not fit in `height` lines, only the rows being served are listed, then a tally.
QStringList liveTable(const QList<SiteRow>& rows, const QList<RowStatus>& status,
                      std::int64_t nowMs, int width, int height);

// What the user sees while a site runs, on standard error. On a terminal the live table is
// redrawn in place; elsewhere each row's news is a line of its own ("AHU-1: connecting on ...").
// With `verbose` every message and log line of the jobs is shown too.
class SiteDisplay {
public:
    SiteDisplay(QTextStream& err, const QList<SiteRow>& rows, bool live, bool verbose);
    // Takes the monitor's news and shows it; the table is redrawn.
    void refresh(SiteMonitor& monitor);

private:
    void eraseTable();

    QTextStream& err_;
    const QList<SiteRow>& rows_;
    bool live_;
    bool verbose_;
    int drawnLines_ = 0;
};

} // namespace vtl::cli
