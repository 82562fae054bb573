// vtl-cli diff and verify: two panel files, or a controller and a panel file, record by record.
#include "cli/CompareCommands.h"

#include "cli/Commands.h"
#include "cli/ConnectionOptions.h"

namespace vtl::cli {
namespace {

// Either file may be of any family: the LAN reader knows every family code.
std::optional<PanelFileContents> readForDiff(CommandContext& ctx, const QString& path) {
    QString why;
    auto contents = readPanelFile(path, PanelFamily::Lan, &why);
    if (!contents) ctx.err << "vtl-cli diff: " << path << ": " << why << Qt::endl;
    return contents;
}

} // namespace

int runDiff(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compares two panel files record by record; prints nothing when they hold the same."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE_A"), QStringLiteral("The first file."));
    parser.addPositionalArgument(QStringLiteral("FILE_B"), QStringLiteral("The second file."));
    if (auto status = parseArguments(parser, ctx, 2, "files")) return *status;
    const QStringList files = parser.positionalArguments();
    const auto first = readForDiff(ctx, files[0]);
    const auto second = readForDiff(ctx, files[1]);
    if (!first || !second) return ExitFailed;
    const Comparison comparison = compareFiles(*first, *second);
    for (const QString& line : comparison.differences)
        ctx.out << line << Qt::endl;
    return comparison.equal() ? ExitDone : ExitFailed;
}

int reportVerify(CommandContext& ctx, Session& session, PanelFamily family, const QString& path,
                 bool ethernetSent, VerifyCase verifyCase) {
    QString why;
    const auto comparison = verifyController(session, family, path, ethernetSent, &why, verifyCase);
    if (!comparison) {
        ctx.err << "vtl-cli " << ctx.args.first() << ": "
                << (why.isEmpty() ? QStringLiteral("the controller was not read")
                                  : path + QStringLiteral(": ") + why)
                << Qt::endl;
        return ExitFailed;
    }
    for (const QString& line : comparison->differences)
        ctx.out << line << Qt::endl;
    for (const QString& line : comparison->expected)
        ctx.out << "expected: " << line << Qt::endl;
    ctx.out << QStringLiteral("%1 records match, %2 differ, %3 as the restore rules leave them")
                   .arg(comparison->matching)
                   .arg(comparison->differences.size())
                   .arg(comparison->expected.size())
            << Qt::endl;
    return comparison->equal() ? ExitDone : ExitFailed;
}

int runVerify(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads a controller's whole memory (into memory, no file) and compares it with a panel "
        "file as a restore of that file should leave it."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption({opt("in"), opt("The panel file to compare with."), opt("FILE")});
    parser.addOption({opt("send-ethernet"),
                      opt("The restore sent the Ethernet configuration: compare it too.")});
    if (auto status = parseArguments(parser, ctx)) return *status;
    if (parser.value(opt("in")).isEmpty()) {
        ctx.err << "vtl-cli verify: --in FILE is required" << Qt::endl;
        return ExitUsage;
    }
    const auto choice = connectionChoice(parser, ctx);
    if (!choice) return ExitUsage;

    TerminalUserInterface ui(ctx.err, choice->retries);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    const auto window = connectController(session, *choice);
    if (!window || !openingReads(session, *window)) return ExitFailed;
    return reportVerify(ctx, session, familyOf(*window), parser.value(opt("in")),
                        parser.isSet(opt("send-ethernet")), VerifyCase::OnItsOwn);
}

} // namespace vtl::cli
