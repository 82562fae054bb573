#include "cli/SubPanelCommandSupport.h"

#include "cli/SettingAssignments.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vtl::cli {

void print(CommandContext& ctx, bool json, const Fields& fields) {
    if (json) {
        QJsonObject object;
        for (const auto& [key, value] : fields)
            object.insert(key, value);
        ctx.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << Qt::endl;
        return;
    }
    for (const auto& [key, value] : fields) {
        // A value that could not be read is null.
        const QString text = value.isBool()     ? yesNoText(value.toBool())
                             : value.isDouble() ? QString::number(value.toInteger())
                             : value.isNull()   ? QStringLiteral("unknown")
                                                : value.toString();
        ctx.out << key << ": " << text << Qt::endl;
    }
}

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
    return connectionChoice(parser, ctx.err);
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

void addSetOption(QCommandLineParser& parser, const char* keys) {
    parser.addOption(
        {QString::fromLatin1("set"),
         QStringLiteral("Change a setting and send: %1.").arg(QString::fromLatin1(keys)),
         QString::fromLatin1("KEY=VALUE")});
}

} // namespace vtl::cli
