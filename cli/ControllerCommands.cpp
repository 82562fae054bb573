// vtl-cli settings, clear and bacnet: connect as identify does, make the reads the controller's
// window makes when it opens, then show, send or clear through that window's own logic.
#include "cli/Commands.h"
#include "cli/ConnectionOptions.h"
#include "cli/LanSettingsKeys.h"
#include "cli/MainPanelSettingsKeys.h"
#include "lan/BacnetDeviceOperations.h"
#include "lan/LanControllerOperations.h"
#include "panels/MainPanelOperations.h"

namespace vtl::cli {
namespace {

QString opt(const char* name) {
    return QString::fromLatin1(name);
}

struct SettingsRequest {
    SettingLines changes; // in the order given; empty: show only
    bool json = false;
};

// What the command was asked, its connection and the session it runs in.
struct Run {
    CommandContext& ctx;
    Session& session;
    SettingsRequest request;

    int usage(const QString& why) const {
        ctx.err << "vtl-cli " << ctx.args.first() << ": " << why << "; nothing sent" << Qt::endl;
        return ExitUsage;
    }
    int noWindow() const {
        ctx.err << "vtl-cli " << ctx.args.first()
                << ": the configuration window of this controller is not available in this version"
                << Qt::endl;
        return ExitFailed;
    }
};

// ---- settings ---------------------------------------------------------------------------------

int lanControllerSettings(Run& run) {
    LanControllerOperations ops(run.session);
    LanControllerView view;
    if (!ops.load(view)) return ExitFailed;
    if (!run.request.changes.isEmpty()) {
        for (const auto& [key, value] : run.request.changes)
            if (const QString why = setLanSetting(view, key, value); !why.isEmpty())
                return run.usage(why);
        if (!ops.send(view)) return ExitFailed;
        // What went, as the window would show it when read back.
        view.status.clear();
        showLanSettings(*ops.lastSent(), view);
    }
    printSettings(run.ctx.out, lanSettingLines(run.session.state, view), run.request.json);
    return ExitDone;
}

int mainPanelSettings(Run& run) {
    MainPanelOperations ops(run.session);
    MainPanelView view;
    if (!ops.load(view)) return ExitFailed;
    if (!run.request.changes.isEmpty()) {
        for (const auto& [key, value] : run.request.changes)
            if (const QString why = setMainPanelSetting(view, ops.memory(), key, value);
                !why.isEmpty())
                return run.usage(why);
        if (!ops.send(view)) return ExitFailed;
        view.addressText = QString::number(clampPanelAddress(view.addressText));
    }
    printSettings(run.ctx.out, mainPanelSettingLines(run.session.state, view, ops.memory()),
                  run.request.json);
    return ExitDone;
}

// The window each kind of controller has; one line per kind.
int settingsOf(ControllerWindow window, Run& run) {
    switch (window) {
    case ControllerWindow::MainPanel:
        return mainPanelSettings(run);
    case ControllerWindow::LanController:
        return lanControllerSettings(run);
    case ControllerWindow::SubPanel:
        return run.noWindow();
    }
    return ExitFailed;
}

// ---- clear ------------------------------------------------------------------------------------

int clearLanController(Run& run) {
    LanControllerOperations ops(run.session);
    LanControllerView view;
    if (!ops.load(view)) return ExitFailed;
    return ops.clear() ? ExitDone : ExitFailed;
}

int clearMainPanel(Run& run) {
    MainPanelOperations ops(run.session);
    MainPanelView view;
    if (!ops.load(view)) return ExitFailed;
    return ops.clear() ? ExitDone : ExitFailed;
}

int clearOf(ControllerWindow window, Run& run) {
    switch (window) {
    case ControllerWindow::MainPanel:
        return clearMainPanel(run);
    case ControllerWindow::LanController:
        return clearLanController(run);
    case ControllerWindow::SubPanel:
        return run.noWindow();
    }
    return ExitFailed;
}

// ---- BACnet -----------------------------------------------------------------------------------

SettingLines bacnetLines(const BacnetDeviceView& v) {
    return {{"instance", v.instance},        {"name", v.name},
            {"location", v.location},        {"description", v.description},
            {"apdu-timeout", v.apduTimeout}, {"token-timeout", v.tokenTimeout},
            {"max-master", v.maxMaster}};
}

// Sets one field as it could be typed; the window's own checks judge the numbers.
QString setBacnetField(BacnetDeviceView& v, const QString& key, const QString& value) {
    struct Field {
        const char* key;
        QString BacnetDeviceView::*text;
        bool digitsOnly;
    };
    static constexpr Field Fields[] = {
        {"instance", &BacnetDeviceView::instance, true},
        {"name", &BacnetDeviceView::name, false},
        {"location", &BacnetDeviceView::location, false},
        {"description", &BacnetDeviceView::description, false},
        {"apdu-timeout", &BacnetDeviceView::apduTimeout, true},
        {"token-timeout", &BacnetDeviceView::tokenTimeout, true},
        {"max-master", &BacnetDeviceView::maxMaster, true},
    };
    for (const Field& f : Fields) {
        if (key != QLatin1String(f.key)) continue;
        if (f.digitsOnly ? !isDigits(value, 10, true) : value.toLatin1() != value.toUtf8())
            return QStringLiteral("%1 takes %2, not \"%3\"")
                .arg(key,
                     f.digitsOnly ? QStringLiteral("digits") : QStringLiteral("plain characters"),
                     value);
        v.*f.text = value;
        return {};
    }
    return QStringLiteral("unknown key %1").arg(key);
}

int bacnetSettings(Run& run) {
    LanControllerOperations lan(run.session);
    LanControllerView lanView;
    if (!lan.load(lanView)) return ExitFailed;
    BacnetDeviceOperations ops(run.session);
    BacnetDeviceView view;
    if (!ops.open(view)) return ExitFailed;
    if (!run.request.changes.isEmpty()) {
        for (const auto& [key, value] : run.request.changes)
            if (const QString why = setBacnetField(view, key, value); !why.isEmpty())
                return run.usage(why);
        if (ops.ok(view) != BacnetDeviceOperations::Outcome::Sent) return ExitFailed;
        view = showBacnetSettings(ops.lastSent());
    }
    printSettings(run.ctx.out, bacnetLines(view), run.request.json);
    return ExitDone;
}

int bacnetOf(ControllerWindow window, Run& run) {
    if (window == ControllerWindow::LanController) return bacnetSettings(run);
    run.ctx.err << "vtl-cli bacnet: only LAN and Brinlet controllers have BACnet settings"
                << Qt::endl;
    return ExitFailed;
}

// ---- common -----------------------------------------------------------------------------------

// Parses, connects and hands the controller's window to `act`.
int connectAndRun(CommandContext& ctx, const QString& description, bool settingsOptions,
                  int (*act)(ControllerWindow, Run&)) {
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    addConnectionOptions(parser);
    if (settingsOptions) {
        parser.addOption({opt("json"), opt("Print the settings as one JSON object.")});
        parser.addOption({opt("set"),
                          opt("Change one setting and send them all (may be repeated)."),
                          opt("KEY=VALUE")});
    } else {
        parser.addOption({opt("yes"), opt("Answer OK to the confirmation.")});
    }
    if (auto status = parseArguments(parser, ctx)) return *status;
    SettingsRequest request;
    if (settingsOptions) {
        request.json = parser.isSet(opt("json"));
        for (const QString& change : parser.values(opt("set"))) {
            const auto equals = change.indexOf(QLatin1Char('='));
            if (equals <= 0) {
                ctx.err << "vtl-cli " << ctx.args.first() << ": --set takes KEY=VALUE, not \""
                        << change << "\"" << Qt::endl;
                return ExitUsage;
            }
            request.changes.append({change.left(equals), change.mid(equals + 1)});
        }
    }
    const auto choice = connectionChoice(parser, ctx.err);
    if (!choice) return ExitUsage;

    TerminalUserInterface ui(ctx.err, choice->retries);
    if (!settingsOptions)
        for (const Question& clear :
             {MainPanelOperations::ClearQuestion, LanControllerOperations::ClearQuestion})
            ui.presetAnswer(clear,
                            parser.isSet(opt("yes")) ? MessageAnswer::Ok : MessageAnswer::Cancel);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    const auto window = connectController(session, *choice);
    if (!window) return ExitFailed;
    Run run{ctx, session, request};
    return act(*window, run);
}

} // namespace

int runSettings(CommandContext& ctx) {
    return connectAndRun(ctx,
                         QStringLiteral("Shows the settings of a controller's window, or changes "
                                        "some (--set) and sends them as the window's Send does."),
                         true, settingsOf);
}

int runBacnet(CommandContext& ctx) {
    return connectAndRun(ctx,
                         QStringLiteral("Shows the BACnet device settings of a LAN controller, or "
                                        "changes some (--set) and sends them as OK does."),
                         true, bacnetOf);
}

int runClear(CommandContext& ctx) {
    return connectAndRun(ctx,
                         QStringLiteral("Clears the controller's memory, as its window's Clear "
                                        "does; without --yes the confirmation is cancelled."),
                         false, clearOf);
}

} // namespace vtl::cli
