#pragma once

#include <QStringList>
#include <QTextStream>

namespace vtl::cli {

// Exit statuses of vtl-cli.
inline constexpr int ExitDone = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;

struct CommandContext {
    QStringList args; // the command's own arguments, the command name first
    QTextStream& out;
    QTextStream& err;
};

int runPorts(CommandContext& ctx);
int runIdentify(CommandContext& ctx);
int runInspect(CommandContext& ctx);
int runBackup(CommandContext& ctx);
int runRestore(CommandContext& ctx);

} // namespace vtl::cli
