#include "cli/SubPanelCommandSupport.h"

namespace vtl::cli {

void usageError(CommandContext& ctx, const QString& problem) {
    ctx.err << "vtl-cli " << ctx.args.first() << ": " << problem << Qt::endl;
}

std::optional<ConnectionChoice> parseCommand(QCommandLineParser& parser, CommandContext& ctx,
                                             int& status) {
    if (auto done = parseArguments(parser, ctx)) {
        status = *done;
        return std::nullopt;
    }
    status = ExitUsage;
    return connectionChoice(parser, ctx);
}

bool connectSubPanel(Session& session, const ConnectionChoice& choice, CommandContext& ctx) {
    const auto window = connectController(session, choice);
    if (!window) return false;
    if (*window != ControllerWindow::SubPanel) {
        usageError(ctx, QStringLiteral("a %1 was found; this command serves sub panels")
                            .arg(controllerKind(session.state, *window)));
        return false;
    }
    return true;
}

} // namespace vtl::cli
