#include "cli/Commands.h"

namespace vtl::cli {

std::optional<int> parseArguments(QCommandLineParser& parser, CommandContext& ctx, int positionals,
                                  const char* positionalName) {
    const bool parsed = parser.parse(ctx.args);
    if (parsed && parser.isSet(QStringLiteral("help"))) {
        ctx.out << parser.helpText();
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

} // namespace vtl::cli
