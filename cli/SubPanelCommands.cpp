// vtl-cli clear for sub panels: connect as identify does, open the window's logic as the window
// would, then clear through it.
#include "cli/SubPanelCommands.h"

#include "cli/SubPanelCommandSupport.h"
#include "panels/SubPanelOperations.h"

namespace vtl::cli {

int runSubPanelClear(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Clears a sub panel's whole memory as the window's Clear does."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption(
        {QStringLiteral("yes"), QStringLiteral("Answer the warning with OK (required).")});
    int status = ExitUsage;
    const auto choice = parseCommand(parser, ctx, status);
    if (!choice) return status;
    if (!parser.isSet(QStringLiteral("yes"))) {
        usageError(ctx, QStringLiteral("--yes is required: this wipes the controller's memory"));
        return ExitUsage;
    }

    TerminalUserInterface ui(ctx.err, choice->retries);
    ui.presetAnswer(SubPanelOperations::ClearQuestion, MessageAnswer::Ok);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    if (!connectSubPanel(session, *choice, ctx)) return ExitFailed;
    SubPanelOperations ops(session);
    SubPanelView view;
    ops.open(view);
    if (!ops.clear()) return ExitFailed;
    ctx.out << "cleared: yes" << Qt::endl;
    return ExitDone;
}

} // namespace vtl::cli
