// vtl-cli routing: connect as identify does, then read the controller's routing table into a file
// or send one from a file, as the routing table window's Load, File Save, File Open and Send do.
#include "cli/Commands.h"
#include "cli/ConnectionOptions.h"
#include "routing/RoutingTableCsv.h"
#include "routing/RoutingTableFile.h"
#include "routing/RoutingTableOperations.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace vtl::cli {
namespace {

namespace F = RoutingTableFile;

enum class FileKind { Net, Csv };

std::optional<FileKind> fileKind(const QString& path) {
    if (path.endsWith(QLatin1String(".NET"), Qt::CaseInsensitive)) return FileKind::Net;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) return FileKind::Csv;
    return std::nullopt;
}

void fileError(UserInterface& ui, const char* text, const QString& reason = {}) {
    ui.message(QLatin1String(text), QLatin1String(F::ErrorCaption), MessageButtons::Ok,
               MessageIcon::Stop, reason);
}

bool writeCsv(const QString& path, const RoutingTableOperations& ops, UserInterface& ui) {
    QSaveFile file(path);
    const auto failure =
        F::writeWhole(file, RoutingTableCsv::write(ops.mode(), ops.table()).toUtf8());
    if (failure) fileError(ui, F::WriteError, *failure);
    return !failure;
}

// A whole table is a few kilobytes; anything far larger is no table.
constexpr qint64 MaxCsvSize = 1 << 20;

std::optional<RoutingTableCsv::ReadResult> readCsv(const QString& path, CommandContext& ctx,
                                                   UserInterface& ui) {
    // A device or a pipe may never end (or open).
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        fileError(ui, F::ReadError, QStringLiteral("not a regular file"));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fileError(ui, F::ReadError, file.errorString());
        return std::nullopt;
    }
    if (file.size() > MaxCsvSize) {
        fileError(
            ui, F::ReadError,
            QStringLiteral("the file holds %1 bytes; a table takes far fewer").arg(file.size()));
        return std::nullopt;
    }
    auto csv = RoutingTableCsv::read(QString::fromUtf8(file.readAll()));
    if (!csv.ok()) {
        ctx.err << "vtl-cli routing: " << path << " " << csv.error << Qt::endl;
        return std::nullopt;
    }
    return csv;
}

// The file of --in, read and checked whole before the controller is called.
struct InFile {
    FileKind kind = FileKind::Net;
    F::ReadResult net;
    RoutingTableCsv::ReadResult csv;
};

std::optional<InFile> readInFile(const QString& path, FileKind kind, CommandContext& ctx,
                                 UserInterface& ui) {
    InFile in;
    in.kind = kind;
    if (kind == FileKind::Csv) {
        auto csv = readCsv(path, ctx, ui);
        if (!csv) return std::nullopt;
        in.csv = std::move(*csv);
        return in;
    }
    in.net = F::read(path);
    if (!in.net.ok()) {
        ui.message(in.net.refusal, QLatin1String(F::ErrorCaption), MessageButtons::Ok,
                   MessageIcon::Stop, in.net.reason);
        return std::nullopt;
    }
    return in;
}

// The table from the file, into the window's rows; false (after saying why) when it is refused.
bool takeFile(const InFile& in, RoutingTableOperations& ops, UserInterface& ui) {
    if (in.kind == FileKind::Net) return ops.takeFile(in.net);
    if (in.csv.mode != ops.mode()) {
        fileError(ui, ops.mode() == RoutingMode::Lan ? F::NotForLan : F::NotForMain);
        return false;
    }
    ops.takeTable(in.csv.table);
    // The window warns as the seventeenth box is checked; Send lists the first sixteen.
    int marked = 0;
    for (const RoutingRow& r : ops.table().rows)
        marked += r.broadcast ? 1 : 0;
    if (marked > routing::MaxBroadcastServers)
        ui.message(QStringLiteral("Maximum Of 16 Broadcast Servers Are Allowed."),
                   QStringLiteral("Warning!"), MessageButtons::Ok, MessageIcon::Exclamation);
    return true;
}

} // namespace

int runRouting(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads a controller's IP routing table into a file (--out) or sends one "
                       "from a file (--in). FILE ends in .NET (a routing table file) or .csv."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption({opt("out"), opt("Read the table and write it to FILE."), opt("FILE")});
    parser.addOption({opt("in"), opt("Send the table FILE holds."), opt("FILE")});
    if (auto status = parseArguments(parser, ctx)) return *status;
    const bool out = parser.isSet(opt("out"));
    if (out == parser.isSet(opt("in"))) {
        ctx.err << "vtl-cli routing: one of --out FILE and --in FILE is required" << Qt::endl;
        return ExitUsage;
    }
    const QString path = parser.value(opt(out ? "out" : "in"));
    const auto kind = fileKind(path);
    if (!kind) {
        ctx.err << "vtl-cli routing: FILE must end in .NET or .csv" << Qt::endl;
        return ExitUsage;
    }
    const auto choice = connectionChoice(parser, ctx);
    if (!choice) return ExitUsage;

    TerminalUserInterface ui(ctx.err, choice->retries);
    // A file that cannot be read, or does not hold a whole table, is refused before the
    // controller is called.
    std::optional<InFile> in;
    if (!out && !(in = readInFile(path, *kind, ctx, ui))) return ExitFailed;

    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    const auto window = connectController(session, *choice);
    if (!window) return ExitFailed;
    if (*window == ControllerWindow::SubPanel) {
        ctx.err << "vtl-cli routing: a sub panel keeps no routing table" << Qt::endl;
        return ExitFailed;
    }
    if (!openingReads(session, *window)) return ExitFailed;

    RoutingTableOperations ops(session);
    bool done = false;
    if (out) {
        if (!ops.open()) {
            ctx.err << "vtl-cli routing: the routing table could not be read; nothing written"
                    << Qt::endl;
            return ExitFailed;
        }
        done = *kind == FileKind::Net ? ops.saveFile(path) : writeCsv(path, ops, ui);
    } else {
        done = takeFile(*in, ops, ui) && ops.send();
    }
    if (!done) return ExitFailed;
    ctx.out << "mode: " << routingModeName(ops.mode()) << Qt::endl;
    ctx.out << "rows: " << routing::rowCount(ops.mode()) << Qt::endl;
    return ExitDone;
}

int inspectRoutingFile(CommandContext& ctx, const QString& path, bool json) {
    TerminalUserInterface ui(ctx.err, 0);
    const F::ReadResult read = F::read(path);
    if (!read.ok()) {
        fileError(ui, F::ReadError, read.reason);
        return ExitFailed;
    }
    const RoutingMode mode = read.mode;
    if (read.markedGateway)
        ctx.err << "vtl-cli inspect: a main panel table whose GW address begins 90.20, the mark of "
                   "a RZQ-410 file: File Open and routing --in refuse it"
                << Qt::endl;
    RoutingTable table = RoutingTable::labelled(mode);
    parseRoutingTableBlock(mode, read.block, table);
    const bool lan = mode == RoutingMode::Lan;

    if (!json) {
        ctx.out << "mode: " << routingModeName(mode) << Qt::endl
                << "subnet-mask: " << table.subnetMask << Qt::endl
                << "mtu: " << table.mtu << Qt::endl
                << "rows: " << routing::rowCount(mode) << Qt::endl;
        ctx.out << RoutingTableCsv::write(mode, table)
                       .section(QLatin1Char('\n'), 0, routing::rowCount(mode))
                << Qt::endl;
        return ExitDone;
    }
    QJsonArray rows;
    for (int slot = 0; slot < routing::rowCount(mode); ++slot) {
        const RoutingRow& r = table.rows[std::size_t(slot)];
        QJsonObject row{{"label", r.label}, {"ip", r.ip}, {"mac", r.mac}};
        if (lan) {
            row.insert(QStringLiteral("gateway"), r.gateway);
            row.insert(QStringLiteral("broadcast"), r.broadcast);
            row.insert(QStringLiteral("interval-ms"), r.intervalMs);
        }
        rows.append(row);
    }
    const QJsonObject document{{"mode", routingModeName(mode)},
                               {"subnet-mask", table.subnetMask},
                               {"mtu", table.mtu.toInt()},
                               {"rows", rows}};
    ctx.out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    return ExitDone;
}

} // namespace vtl::cli
