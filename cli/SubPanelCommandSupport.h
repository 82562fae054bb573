#pragma once

#include "cli/ConnectionOptions.h"

namespace vtl::cli {

// What the sub panel commands share: their messages and how they connect.

// "vtl-cli COMMAND: problem" on standard error.
void usageError(CommandContext& ctx, const QString& problem);
// Parses the options every command here shares; nullopt with the exit status in `status` when the
// command ends before connecting.
std::optional<ConnectionChoice> parseCommand(QCommandLineParser& parser, CommandContext& ctx,
                                             int& status);
// Connects; true when the controller found is a sub panel.
bool connectSubPanel(Session& session, const ConnectionChoice& choice, CommandContext& ctx);

} // namespace vtl::cli
