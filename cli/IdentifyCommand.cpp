#include "cli/Commands.h"
#include "cli/ConnectionOptions.h"
#include "panelfile/FamilyCode.h"
#include "panels/MainPanelOperations.h"

namespace vtl::cli {

int runIdentify(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Connects to a controller and says what it is."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    if (auto status = parseArguments(parser, ctx)) return *status;
    const auto choice = connectionChoice(parser, ctx);
    if (!choice) return ExitUsage;

    TerminalUserInterface ui(ctx.err, choice->retries);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    const auto window = connectController(session, *choice);
    if (!window) return ExitFailed;
    const bool read = openingReads(session, *window);

    const ConnectionState& state = session.state;
    ctx.out << "controller: " << controllerKind(state, *window) << Qt::endl;
    if (*window != ControllerWindow::SubPanel) {
        ctx.out << "type-code: " << state.PanelTypeCode << Qt::endl;
        ctx.out << "firmware: "
                << MainPanelOperations::firmwareLine(state.PanelTypeCode)
                       .section(QLatin1Char(':'), 1)
                       .trimmed()
                << Qt::endl;
    }
    ctx.out << "address: " << state.PanelAddress << Qt::endl;
    ctx.out << "baud: " << effectiveBaudRate(state) << Qt::endl;
    ctx.out << "family: " << familyBase(familyOf(*window), state) << Qt::endl;
    return read ? ExitDone : ExitFailed;
}

} // namespace vtl::cli
