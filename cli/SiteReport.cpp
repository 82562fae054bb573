#include "cli/SiteReport.h"

#include "cli/SiteDisplay.h"
#include "link/TimeLeft.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace vtl::cli {

QStringList summaryTable(const QList<SiteRow>& rows, const QList<RowStatus>& status) {
    QList<QStringList> table{{QStringLiteral("NAME"), QStringLiteral("RESULT"),
                              QStringLiteral("CONTROLLER"), QStringLiteral("ADDRESS"),
                              QStringLiteral("BAUD"), QStringLiteral("TIME"),
                              QStringLiteral("DETAIL")}};
    int ok = 0, failed = 0, stopped = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const RowStatus& r = status[i];
        ok += r.state == RowState::Succeeded;
        failed += r.state == RowState::Failed;
        stopped += r.state == RowState::Stopped;
        const bool answered = !r.controller.isEmpty();
        table << QStringList{rows[i].name,
                             rowStateName(r.state),
                             r.controller,
                             answered ? QString::number(r.address) : QString(),
                             answered ? QString::number(r.baud) : QString(),
                             formatDuration(r.elapsedMs(0)),
                             r.outcome.detail};
    }
    QStringList lines = alignColumns(table);
    QString tally =
        QStringLiteral("%1 controllers: %2 ok, %3 failed").arg(rows.size()).arg(ok).arg(failed);
    if (stopped > 0) tally += QStringLiteral(", %1 stopped").arg(stopped);
    lines << tally;
    return lines;
}

QJsonObject siteReport(const SiteRun& run, const QList<SiteRow>& rows,
                       const QList<RowStatus>& status) {
    QJsonArray controllers;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const SiteRow& row = rows[i];
        const RowStatus& r = status[i];
        QJsonObject c = r.outcome.report;
        c.insert(QStringLiteral("name"), row.name);
        c.insert(QStringLiteral("line"), row.line);
        c.insert(QStringLiteral("port"), row.port);
        c.insert(QStringLiteral("framing"),
                 row.subLan ? QStringLiteral("sub-lan") : QStringLiteral("lan"));
        c.insert(QStringLiteral("result"), rowStateName(r.state));
        c.insert(QStringLiteral("detail"), r.outcome.detail);
        c.insert(QStringLiteral("seconds"), double(r.elapsedMs(0)) / 1000.0);
        if (r.startedMs >= 0) {
            const auto at = [&](std::int64_t ms) {
                return run.started.addMSecs(ms - run.startedMs).toString(Qt::ISODateWithMs);
            };
            c.insert(QStringLiteral("started"), at(r.startedMs));
            if (r.finished()) c.insert(QStringLiteral("finished"), at(r.finishedMs));
        }
        if (!r.controller.isEmpty()) {
            c.insert(QStringLiteral("controller"), r.controller);
            c.insert(QStringLiteral("address"), r.address);
            c.insert(QStringLiteral("baud"), r.baud);
            if (r.typeCode) c.insert(QStringLiteral("type-code"), *r.typeCode);
        }
        if (!r.messages.isEmpty())
            c.insert(QStringLiteral("messages"), QJsonArray::fromStringList(r.messages));
        controllers.append(c);
    }
    return {{QStringLiteral("command"), run.command},
            {QStringLiteral("site"), run.siteFile},
            {QStringLiteral("started"), run.started.toString(Qt::ISODate)},
            {QStringLiteral("finished"), run.finished.toString(Qt::ISODate)},
            {QStringLiteral("ok"), allSucceeded(status)},
            {QStringLiteral("controllers"), controllers}};
}

bool writeReport(const QString& path, const QJsonObject& report, QString* why) {
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(report).toJson(QJsonDocument::Indented);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *why = file.errorString();
        return false;
    }
    return true;
}

bool allSucceeded(const QList<RowStatus>& status) {
    return std::all_of(status.begin(), status.end(),
                       [](const RowStatus& r) { return r.state == RowState::Succeeded; });
}

} // namespace vtl::cli
