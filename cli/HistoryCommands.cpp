// vtl-cli history and undo: the snapshots kept before every write, and sending one back.
#include "cli/Commands.h"
#include "cli/ConnectionOptions.h"
#include "history/HistoryFolder.h"
#include "history/SnapshotUndo.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace vtl::cli {
namespace {

QString localTime(const Snapshot& s) {
    return s.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// "5", or "5 -> 6" for a write that moved the controller.
QString addressText(const Snapshot& s) {
    QString text = QString::number(s.controller.address);
    if (s.movesTo && *s.movesTo != s.controller.address)
        text += QStringLiteral(" -> %1").arg(*s.movesTo);
    return text;
}

QString controllerText(const ControllerIdentity& c) {
    return c.subLan ? c.kind : QStringLiteral("%1 %2").arg(c.kind).arg(c.typeCode);
}

QJsonObject toJson(const Snapshot& s) {
    QJsonObject o{{"id", s.id},
                  {"time", s.time.toOffsetFromUtc(s.time.offsetFromUtc()).toString(Qt::ISODate)},
                  {"operation", operationName(s.operation)},
                  {"controller", s.controller.kind},
                  {"framing", s.controller.subLan ? "sub-lan" : "lan"},
                  {"type-code", s.controller.typeCode},
                  {"family", s.controller.family},
                  {"address", s.controller.address},
                  {"port", s.port},
                  {"holds", s.holds()},
                  {"records", int(s.records.size())}};
    if (s.movesTo) o.insert(QStringLiteral("moves-to"), *s.movesTo);
    if (!s.backup.isEmpty()) o.insert(QStringLiteral("backup"), s.backup);
    return o;
}

void printTable(QTextStream& out, const std::vector<Snapshot>& snapshots) {
    QList<QStringList> rows{{"ID", "TIME", "OPERATION", "CONTROLLER", "ADDRESS", "PORT", "HOLDS"}};
    for (const Snapshot& s : snapshots)
        rows.append({s.id, localTime(s), operationName(s.operation), controllerText(s.controller),
                     addressText(s), s.port, s.holds()});
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        out << line << Qt::endl;
    }
}

} // namespace

int runHistory(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the snapshots kept before every write, newest first (folder: "
                       "VTL_HISTORY_DIR, else \"history\" in the user's data location)."));
    parser.addHelpOption();
    parser.addOption({opt("port"), opt("Only the snapshots taken on PORT."), opt("PORT")});
    parser.addOption({opt("json"), opt("Print them as one JSON array.")});
    if (auto status = parseArguments(parser, ctx)) return *status;

    const HistoryFolder folder = HistoryFolder::standard();
    HistoryFolder::Listing listing = folder.list();
    for (const QString& problem : listing.unreadable)
        ctx.err << "vtl-cli history: skipped " << problem << Qt::endl;
    if (parser.isSet(opt("port")))
        std::erase_if(listing.snapshots,
                      [&](const Snapshot& s) { return s.port != parser.value(opt("port")); });

    if (parser.isSet(opt("json"))) {
        QJsonArray array;
        for (const Snapshot& s : listing.snapshots)
            array.append(toJson(s));
        ctx.out << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return ExitDone;
    }
    if (listing.snapshots.empty()) {
        ctx.err << "vtl-cli history: no snapshots in " << QDir::toNativeSeparators(folder.path())
                << Qt::endl;
        return ExitDone;
    }
    printTable(ctx.out, listing.snapshots);
    return ExitDone;
}

int runUndo(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends a snapshot back to its controller (the newest of the port unless --snapshot names "
        "one), through the Send or OK of its window; without --yes the question is answered No."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption({opt("snapshot"), opt("The snapshot to send back (see history)."), opt("ID")});
    parser.addOption({opt("yes"), opt("Answer Yes to \"Send The Snapshot Back\".")});
    if (auto status = parseArguments(parser, ctx)) return *status;
    auto choice = connectionChoice(parser, ctx);
    if (!choice) return ExitUsage;

    const HistoryFolder folder = HistoryFolder::standard();
    std::optional<Snapshot> snapshot;
    QString why;
    if (parser.isSet(opt("snapshot"))) {
        snapshot = folder.load(parser.value(opt("snapshot")), &why);
    } else {
        HistoryFolder::Listing listing = folder.list();
        for (Snapshot& s : listing.snapshots) {
            if (s.port != choice->request.portName) continue;
            snapshot = std::move(s);
            break;
        }
        why = QStringLiteral("no snapshot of %1 in %2")
                  .arg(choice->request.portName, QDir::toNativeSeparators(folder.path()));
    }
    if (!snapshot) {
        ctx.err << "vtl-cli undo: " << why << Qt::endl;
        return ExitFailed;
    }
    // The snapshot knows how the controller is reached unless the command line says it.
    if (!parser.isSet(opt("lan")) && !parser.isSet(opt("sub-lan")))
        choice->request.subLan = snapshot->controller.subLan;

    TerminalUserInterface ui(ctx.err, choice->retries);
    ui.presetAnswer(undo::SendBackQuestion,
                    parser.isSet(opt("yes")) ? MessageAnswer::Yes : MessageAnswer::No);
    if (!undo::mayConnectFor(ui, *snapshot)) return ExitFailed;
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    const auto window = connectController(session, *choice);
    if (!window) return ExitFailed;
    if (undo::sendBack(session, *window, *snapshot) != undo::Outcome::Sent) return ExitFailed;
    ctx.out << "sent-back: " << snapshot->id << Qt::endl;
    return ExitDone;
}

} // namespace vtl::cli
