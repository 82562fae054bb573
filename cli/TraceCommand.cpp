// vtl-cli trace: a line trace written with --trace (or saved from a window), as a table.
#include "cli/Commands.h"
#include "link/LineTraceTable.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

namespace vtl::cli {

int runTrace(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows a line trace (written with --trace) as a table."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("full"), QStringLiteral("Show every byte of long frames.")});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The trace file."));
    if (auto status = parseArguments(parser, ctx, 1, "FILE")) return *status;
    const QString path = parser.positionalArguments().first();

    // A device or a pipe may never end (/dev/zero): a trace is always a file on disk.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        ctx.err << "vtl-cli trace: " << path << " is not a regular file" << Qt::endl;
        return ExitFailed;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ctx.err << "vtl-cli trace: cannot read " << path << ": " << file.errorString() << Qt::endl;
        return ExitFailed;
    }
    switch (writeTraceTable(file, ctx.out, parser.isSet(QStringLiteral("full")))) {
    case TraceTableResult::Shown:
        return ExitDone;
    case TraceTableResult::NotATrace:
        ctx.err << "vtl-cli trace: " << path << " is not a line trace" << Qt::endl;
        break;
    case TraceTableResult::ReadError:
        ctx.err << "vtl-cli trace: cannot read " << path << ": " << file.errorString() << Qt::endl;
        break;
    }
    return ExitFailed;
}

} // namespace vtl::cli
