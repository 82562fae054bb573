// vtl-cli settings, modbus and bacnet: connect as identify does, open the controller's window as
// it opens, then show its settings, or change some (--set, or a template with --apply) and send
// them as the window's Send or OK does; --dry-run shows what would change.
#include "cli/Commands.h"
#include "cli/ConnectionOptions.h"
#include "cli/SettingsTemplate.h"
#include "cli/SettingsWindow.h"
#include "panels/SubPanelOperations.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vtl::cli {
namespace {

struct Request {
    SettingsRun run;
    bool json = false;
    bool applying = false;
    std::optional<QString> controller; // the kind a template names
};

class SettingsCommandRun {
public:
    SettingsCommandRun(CommandContext& ctx, SettingsCommand command)
        : ctx_(ctx), command_(command) {}
    int run(const QString& description);

private:
    int say(int status, const QString& why) {
        ctx_.err << "vtl-cli " << ctx_.args.first() << ": " << why << Qt::endl;
        return status;
    }
    void addOptions(const QString& description);
    std::optional<int> readChanges();
    std::optional<int> readTemplate(const QString& path);
    int connectAndRun();
    int report(const SettingsResult& result);

    CommandContext& ctx_;
    SettingsCommand command_;
    QCommandLineParser parser_;
    Request request_;
};

void SettingsCommandRun::addOptions(const QString& description) {
    parser_.setApplicationDescription(description);
    parser_.addHelpOption();
    addConnectionOptions(parser_);
    parser_.addOption({opt("json"), opt("Print the settings as one JSON object.")});
    parser_.addOption({opt("set"),
                       opt("Change one setting, a key of the read-out, and send them all (may be "
                           "repeated)."),
                       opt("KEY=VALUE")});
    parser_.addOption({opt("apply"),
                       opt("Change the settings a template holds (what --json prints, or part of "
                           "it) and send them all."),
                       opt("FILE")});
    parser_.addOption({opt("dry-run"), opt("With --set or --apply: read the controller and print "
                                           "what would change, without sending.")});
}

// The changes of --set or --apply, each checked as far as it can be before connecting.
std::optional<int> SettingsCommandRun::readChanges() {
    const QStringList sets = parser_.values(opt("set"));
    request_.applying = parser_.isSet(opt("apply"));
    request_.json = parser_.isSet(opt("json"));
    request_.run.dryRun = parser_.isSet(opt("dry-run"));
    if (request_.applying && !sets.isEmpty())
        return say(ExitUsage, QStringLiteral("--set and --apply exclude each other"));
    if (request_.run.dryRun && !request_.applying && sets.isEmpty())
        return say(ExitUsage, QStringLiteral("--dry-run needs --set or --apply"));
    if (request_.applying) {
        if (auto status = readTemplate(parser_.value(opt("apply")))) return status;
    }
    for (const QString& change : sets) {
        const auto equals = change.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return say(ExitUsage,
                       QStringLiteral("--set takes KEY=VALUE, not %1").arg(quotedValue(change)));
        const QString key = change.left(equals);
        for (const auto& earlier : std::as_const(request_.run.changes))
            if (earlier.first == key)
                return say(ExitUsage, QStringLiteral("--set %1 is given twice").arg(key));
        request_.run.changes.append({key, change.mid(equals + 1)});
    }
    const bool subLan = parser_.isSet(opt("sub-lan"));
    for (const auto& [key, value] : std::as_const(request_.run.changes))
        if (const QString why = settingProblem(command_, subLan, key, value); !why.isEmpty())
            return say(ExitUsage, why + QStringLiteral("; nothing sent"));
    if (const QString why = changesProblem(command_, request_.run.changes); !why.isEmpty())
        return say(ExitUsage, why + QStringLiteral("; nothing sent"));
    return std::nullopt;
}

std::optional<int> SettingsCommandRun::readTemplate(const QString& path) {
    if (path.isEmpty()) return say(ExitUsage, QStringLiteral("--apply needs a file name"));
    const bool subLan = parser_.isSet(opt("sub-lan"));
    const TemplateRead read = readSettingsTemplate(path, descriptiveKeys(command_, subLan));
    if (!read.settings)
        return say(read.unreadable ? ExitFailed : ExitUsage,
                   read.problem + QStringLiteral("; nothing sent"));
    request_.controller = read.settings->controller;
    request_.run.changes = read.settings->changes;
    // A template changes only what differs from what the controller holds.
    request_.run.skipUnchanged = true;
    // A sub panel answers only on a Sub LAN, the others only on a LAN.
    if (request_.controller && (*request_.controller == QLatin1String("sub panel")) != subLan)
        return say(ExitUsage, QStringLiteral("%1 holds the settings of a %2: %3; nothing sent")
                                  .arg(path, *request_.controller,
                                       subLan ? QStringLiteral("leave out --sub-lan")
                                              : QStringLiteral("give --sub-lan")));
    return std::nullopt;
}

int SettingsCommandRun::run(const QString& description) {
    addOptions(description);
    if (auto status = parseArguments(parser_, ctx_)) return *status;
    if (auto status = readChanges()) return *status;
    return connectAndRun();
}

int SettingsCommandRun::connectAndRun() {
    const auto choice = connectionChoice(parser_, ctx_);
    if (!choice) return ExitUsage;
    TerminalUserInterface ui(ctx_.err, choice->retries);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    const auto window = connectController(session, *choice);
    if (!window) return ExitFailed;
    const QString kind = controllerKind(session.state, *window);
    if (request_.controller && *request_.controller != kind)
        return say(ExitFailed, QStringLiteral("the template holds the settings of a %1, and a %2 "
                                              "answered; nothing sent")
                                   .arg(*request_.controller, kind));
    QString why;
    const auto settings = openSettingsWindow(
        command_, *window, session, MainPanelMemory::instance(), SubPanelMemory::instance(), why);
    if (!settings) return say(ExitFailed, why);
    return report(runSettingsWindow(*settings, request_.run));
}

int SettingsCommandRun::report(const SettingsResult& result) {
    using Status = SettingsResult::Status;
    if (result.status == Status::Refused) return say(ExitUsage, result.why);
    const bool changing = !request_.run.changes.isEmpty() || request_.applying;
    if (result.status == Status::Done && request_.run.dryRun) {
        if (request_.json)
            ctx_.out << settingDifferencesJson(result.before, result.lines) << Qt::endl;
        else
            for (const QString& line : result.differences)
                ctx_.out << line << Qt::endl;
        return say(
            ExitDone,
            QStringLiteral("dry run: %1 to change, nothing sent").arg(result.differences.size()));
    }
    if (!result.lines.isEmpty()) printSettings(ctx_.out, result.lines, request_.json);
    if (result.status == Status::Failed) {
        if (!result.why.isEmpty()) say(ExitFailed, result.why);
        return ExitFailed;
    }
    if (changing && !result.sent)
        say(ExitDone, QStringLiteral("the controller holds these settings already; nothing sent"));
    return ExitDone;
}

} // namespace

int runSettings(CommandContext& ctx) {
    return SettingsCommandRun(ctx, SettingsCommand::Settings)
        .run(QStringLiteral("Shows the settings of a controller's window, or changes some (--set, "
                            "--apply) and sends them as the window's Send does."));
}

int runModbus(CommandContext& ctx) {
    return SettingsCommandRun(ctx, SettingsCommand::Modbus)
        .run(QStringLiteral("Shows a sub panel's ModBus settings, or changes some (--set, "
                            "--apply) and writes them as the ModBus Setup window's OK does. A "
                            "change of mode puts the format on the mode's first, as the window's "
                            "mode buttons do."));
}

int runBacnet(CommandContext& ctx) {
    return SettingsCommandRun(ctx, SettingsCommand::Bacnet)
        .run(QStringLiteral("Shows the BACnet device settings of a LAN controller, or changes "
                            "some (--set, --apply) and sends them as OK does."));
}

} // namespace vtl::cli
