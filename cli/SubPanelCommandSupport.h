#pragma once

#include "cli/ConnectionOptions.h"

#include <QJsonValue>
#include <QList>
#include <QPair>

namespace vtl::cli {

// What the sub panel commands share: their output, their messages and how they connect.

using Fields = QList<QPair<QString, QJsonValue>>;

// "key: value" lines (flags as yes/no, null as "unknown"), or one JSON object.
void print(CommandContext& ctx, bool json, const Fields& fields);
// "vtl-cli COMMAND: problem" on standard error.
void usageError(CommandContext& ctx, const QString& problem);
// Parses the options every command here shares; nullopt with the exit status in `status` when the
// command ends before connecting.
std::optional<ConnectionChoice> parseCommand(QCommandLineParser& parser, CommandContext& ctx,
                                             int& status);
// Connects; true when the controller found is a sub panel.
bool connectSubPanel(Session& session, const ConnectionChoice& choice, CommandContext& ctx);
// The repeatable --set KEY=VALUE option, with the keys it takes.
void addSetOption(QCommandLineParser& parser, const char* keys);

} // namespace vtl::cli
