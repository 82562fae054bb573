// vtl-cli backup and restore: connect as identify does, make the window's opening reads, then run
// the backup or restore of the controller found.
#include "cli/Commands.h"
#include "cli/CompareCommands.h"
#include "cli/ConnectionOptions.h"
#include "cli/Interrupt.h"
#include "panelfile/PanelBackup.h"
#include "panelfile/PanelFileQuestions.h"
#include "panelfile/PanelRestore.h"

namespace vtl::cli {
namespace {

MessageAnswer yesIf(bool yes) {
    return yes ? MessageAnswer::Yes : MessageAnswer::No;
}

// Parses the command line; returns the exit status for a usage error or help, nullopt to go on.
std::optional<int> parse(QCommandLineParser& parser, CommandContext& ctx, const char* fileOption) {
    if (auto status = parseArguments(parser, ctx)) return status;
    if (parser.value(opt(fileOption)).isEmpty()) {
        ctx.err << "vtl-cli " << ctx.args.first() << ": --" << fileOption << " FILE is required"
                << Qt::endl;
        return ExitUsage;
    }
    return std::nullopt;
}

// Connects and makes the opening reads; the family of the controller found, or nullopt.
std::optional<PanelFamily> connectForFile(Session& session, const ConnectionChoice& choice) {
    const auto window = connectController(session, choice);
    if (!window || !openingReads(session, *window)) return std::nullopt;
    return familyOf(*window);
}

// A progress line on a terminal, status texts one per line elsewhere; Ctrl-C stops as Cancel does.
void showProgressAndWatchCtrlC(TerminalUserInterface& ui) {
    if (standardErrorIsTerminal()) ui.setProgressLine(&RealClock::instance());
    ui.setCancelQuery(interruptRequested);
    watchForInterrupt();
}

} // namespace

int runBackup(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Backs up the whole memory of a controller to a panel file."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption(
        {opt("out"), opt("The panel file to write (replaced only when complete)."), opt("FILE")});
    parser.addOption(
        {opt("any-address"), opt("Sub panels: a file that may be restored at any address.")});
    if (auto status = parse(parser, ctx, "out")) return *status;
    const auto choice = connectionChoice(parser, ctx);
    if (!choice) return ExitUsage;

    TerminalUserInterface ui(ctx.err, choice->retries);
    ui.presetAnswer(PanelFileQuestions::MakeAddressSpecific,
                    yesIf(!parser.isSet(opt("any-address"))));
    showProgressAndWatchCtrlC(ui);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    const auto family = connectForFile(session, *choice);
    if (!family) return ExitFailed;
    return PanelBackup(session, *family).run(parser.value(opt("out"))) == BackupOutcome::Finished
               ? ExitDone
               : ExitFailed;
}

int runRestore(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sends a panel file back to a controller."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption({opt("in"), opt("The panel file to send."), opt("FILE")});
    parser.addOption({opt("clear"), opt("Clear the controller before sending the file.")});
    parser.addOption(
        {opt("send-ethernet"), opt("Send the Ethernet configuration the file holds.")});
    parser.addOption({opt("send-anyway"), opt("Send a main panel file to a LAN controller.")});
    parser.addOption({opt("verify"), opt("Then read the controller back and compare it with the "
                                         "file (see verify).")});
    parser.addOption({opt("backup-first"),
                      opt("Once the file has passed its checks, back the controller up into a new "
                          "file in DIR; the restore starts only when that backup is complete."),
                      opt("DIR")});
    if (auto status = parse(parser, ctx, "in")) return *status;
    const auto choice = connectionChoice(parser, ctx);
    if (!choice) return ExitUsage;

    TerminalUserInterface ui(ctx.err, choice->retries);
    ui.presetAnswer(PanelFileQuestions::ClearFirst, yesIf(parser.isSet(opt("clear"))));
    ui.presetAnswer(PanelFileQuestions::SendEthernet, yesIf(parser.isSet(opt("send-ethernet"))));
    ui.presetAnswer(PanelFileQuestions::SendMainFileAnyway,
                    yesIf(parser.isSet(opt("send-anyway"))));
    // The backup before a restore names the address it was made at, as a backup does by default.
    ui.presetAnswer(PanelFileQuestions::MakeAddressSpecific, MessageAnswer::Yes);
    showProgressAndWatchCtrlC(ui);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    const auto family = connectForFile(session, *choice);
    if (!family) return ExitFailed;
    const QString path = parser.value(opt("in"));
    PanelRestore restore(session, *family);
    if (parser.isSet(opt("backup-first")))
        restore.setBackUpFirst(parser.value(opt("backup-first")));
    const RestoreOutcome outcome = restore.run(path);
    if (!restore.backup().isEmpty()) ctx.out << "backup: " << restore.backup() << Qt::endl;
    if (outcome != RestoreOutcome::Finished) return ExitFailed;
    if (!parser.isSet(opt("verify"))) return ExitDone;
    return reportVerify(ctx, session, *family, path, restore.ethernetSent(),
                        VerifyCase::AfterRestore);
}

} // namespace vtl::cli
