// vtl-cli clear of a main panel or LAN controller: connect as identify does, make the reads the
// controller's window makes when it opens, then clear through that window's own logic.
#include "cli/Commands.h"
#include "cli/ConnectionOptions.h"
#include "lan/LanControllerOperations.h"
#include "panels/MainPanelOperations.h"

namespace vtl::cli {
namespace {

template <typename Operations, typename View> int clearThrough(Session& session) {
    Operations ops(session);
    View view;
    if (!ops.load(view)) return ExitFailed;
    return ops.clear() ? ExitDone : ExitFailed;
}

} // namespace

int runClear(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Clears the controller's memory, as its window's Clear does; without --yes the "
        "confirmation is cancelled."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption({opt("yes"), opt("Answer OK to the confirmation.")});
    if (auto status = parseArguments(parser, ctx)) return *status;
    const auto choice = connectionChoice(parser, ctx);
    if (!choice) return ExitUsage;

    TerminalUserInterface ui(ctx.err, choice->retries);
    for (const Question& clear :
         {MainPanelOperations::ClearQuestion, LanControllerOperations::ClearQuestion})
        ui.presetAnswer(clear,
                        parser.isSet(opt("yes")) ? MessageAnswer::Ok : MessageAnswer::Cancel);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    const auto window = connectController(session, *choice);
    if (!window) return ExitFailed;
    switch (*window) {
    case ControllerWindow::MainPanel:
        return clearThrough<MainPanelOperations, MainPanelView>(session);
    case ControllerWindow::LanController:
        return clearThrough<LanControllerOperations, LanControllerView>(session);
    case ControllerWindow::SubPanel:
        break;
    }
    ctx.err << "vtl-cli clear: a sub panel is cleared with --sub-lan" << Qt::endl;
    return ExitFailed;
}

} // namespace vtl::cli
