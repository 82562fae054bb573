#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace vtl::cli {

// An option's name as QCommandLineParser takes it.
inline QString opt(const char* name) {
    return QString::fromLatin1(name);
}

// Exit statuses of vtl-cli.
inline constexpr int ExitDone = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;

struct CommandContext {
    QStringList args; // the command's own arguments, the command name first
    QTextStream& out;
    QTextStream& err;
};

// Parses the command's arguments; `positionals` is how many plain arguments it takes (their name
// for the message). Returns the exit status when the command ends here (help shown, usage error),
// nullopt to go on.
std::optional<int> parseArguments(QCommandLineParser& parser, CommandContext& ctx,
                                  int positionals = 0, const char* positionalName = "");

// The link's log lines (vtl.link: exchanges that failed, device server sessions) reach standard
// error only with --verbose.
void showLinkLog(bool verbose);

int runPorts(CommandContext& ctx);
int runManual(CommandContext& ctx);
int runIdentify(CommandContext& ctx);
int runInspect(CommandContext& ctx);
int runBackup(CommandContext& ctx);
int runRestore(CommandContext& ctx);
int runRouting(CommandContext& ctx);
// inspect of a routing table file (".NET").
int inspectRoutingFile(CommandContext& ctx, const QString& path, bool json);
int runSettings(CommandContext& ctx);
int runBacnet(CommandContext& ctx);
int runClear(CommandContext& ctx);
int runTrace(CommandContext& ctx);
int runDiff(CommandContext& ctx);
int runVerify(CommandContext& ctx);
int runSite(CommandContext& ctx);
int runHistory(CommandContext& ctx);
int runUndo(CommandContext& ctx);

} // namespace vtl::cli
