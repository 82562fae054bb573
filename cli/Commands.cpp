#include "cli/Commands.h"

#include <QLoggingCategory>
#include <QRegularExpression>

namespace vtl::cli {

namespace {

// The parser's help names the program by the path it was started from and offers --help-all,
// which adds nothing here: the usage line names the command instead, and --help-all goes.
QString commandHelp(const QCommandLineParser& parser, const QString& command) {
    QString help = parser.helpText();
    const qsizetype lineEnd = help.indexOf(QLatin1Char('\n'));
    const QString usage = help.left(lineEnd);
    const qsizetype options = usage.indexOf(QLatin1String(" [options]"));
    if (usage.startsWith(QLatin1String("Usage: ")) && options > 0)
        help.replace(0, options, QStringLiteral("Usage: vtl-cli ") + command);
    static const QRegularExpression helpAll(QStringLiteral("\\n *--help-all +[^\\n]*"));
    return help.remove(helpAll);
}

} // namespace

std::optional<int> parseArguments(QCommandLineParser& parser, CommandContext& ctx, int positionals,
                                  const char* positionalName) {
    const bool parsed = parser.parse(ctx.args);
    if (parsed &&
        (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))) {
        ctx.out << commandHelp(parser, ctx.args.first());
        return ExitDone;
    }
    QString problem = parser.errorText();
    if (parsed && parser.positionalArguments().size() != positionals)
        problem = positionals == 0 ? QStringLiteral("takes no plain arguments")
                                   : QStringLiteral("needs %1 %2")
                                         .arg(positionals)
                                         .arg(QString::fromLatin1(positionalName));
    if (problem.isEmpty()) return std::nullopt;
    ctx.err << "vtl-cli " << ctx.args.first() << ": " << problem << Qt::endl;
    return ExitUsage;
}

void showLinkLog(bool verbose) {
    // QT_LOGGING_RULES, read after these rules, still switches any of them on or off.
    QLoggingCategory::setFilterRules(
        verbose ? QStringLiteral("vtl.link.info=true\nvtl.link.warning=true")
                : QStringLiteral("vtl.link.info=false\nvtl.link.warning=false\n"
                                 "vtl.link.critical=false"));
}

} // namespace vtl::cli
