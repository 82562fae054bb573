// vtl-cli settings, clear and bacnet: connect as identify does, make the reads the controller's
// window makes when it opens, then show, send or clear through that window's own logic.
#include "cli/Commands.h"
#include "cli/ConnectionOptions.h"
#include "cli/LanSettingsKeys.h"
#include "cli/MainPanelSettingsKeys.h"
#include "lan/BacnetDeviceOperations.h"
#include "lan/LanControllerOperations.h"
#include "panels/ControllerText.h"
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
    // A --set after a read that failed: the values it would send over were never read.
    int notRead() const {
        if (!request.changes.isEmpty())
            ctx.err << "vtl-cli " << ctx.args.first()
                    << ": the settings could not be read; nothing written" << Qt::endl;
        return ExitFailed;
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
    if (!ops.load(view)) return run.notRead();
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
    if (!ops.load(view)) return run.notRead();
    if (!run.request.changes.isEmpty()) {
        for (const auto& [key, value] : run.request.changes)
            if (const QString why = setMainPanelSetting(view, ops.memory(), key, value);
                !why.isEmpty())
                return run.usage(why);
        if (!ops.send(view)) return ExitFailed;
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

// Sets one field as it could be typed into the window: numbers within their ranges, texts that fit
// their fields in the controller's characters. The name's check, which needs the instance read,
// is the window's.
QString setBacnetField(BacnetDeviceView& v, const QString& key, const QString& value) {
    struct Field {
        const char* key;
        QString BacnetDeviceView::*text;
        qint64 minimum, maximum; // a number; maximum 0: a text of `minimum` characters
    };
    static constexpr Field Fields[] = {
        {"instance", &BacnetDeviceView::instance, 0, MaxBacnetInstance},
        {"name", &BacnetDeviceView::name, BacnetNameLength, 0},
        {"location", &BacnetDeviceView::location, BacnetTextLength, 0},
        {"description", &BacnetDeviceView::description, BacnetTextLength, 0},
        {"apdu-timeout", &BacnetDeviceView::apduTimeout, 50, 60000},
        {"token-timeout", &BacnetDeviceView::tokenTimeout, 20, 100},
        {"max-master", &BacnetDeviceView::maxMaster, 0, 127},
    };
    for (const Field& f : Fields) {
        if (key != QLatin1String(f.key)) continue;
        QString why;
        if (f.maximum == 0) {
            why = controllerTextProblem(value, int(f.minimum));
        } else if (!isDigits(value, 7) || value.toLongLong() < f.minimum ||
                   value.toLongLong() > f.maximum) {
            why = QStringLiteral("a number from %1 to %2").arg(f.minimum).arg(f.maximum);
        }
        if (!why.isEmpty()) return QStringLiteral("%1 takes %2, not \"%3\"").arg(key, why, value);
        v.*f.text = value;
        return {};
    }
    return QStringLiteral("unknown key %1").arg(key);
}

int bacnetSettings(Run& run) {
    LanControllerOperations lan(run.session);
    LanControllerView lanView;
    if (!lan.load(lanView)) return run.notRead();
    BacnetDeviceOperations ops(run.session);
    BacnetDeviceView view;
    if (!ops.open(view)) return run.notRead();
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

// ---- checks before connecting ------------------------------------------------------------------

// What the settings read-out shows of the controller itself; --set does not take them.
const QStringList ReadOnlyKeys = {"controller", "type-code", "firmware", "form", "result"};

// Without knowing yet whether a main panel or a LAN controller answers: a key one of their windows
// has, with a value that window could take.
QString settingsChangeProblem(const QString& key, const QString& value) {
    if (ReadOnlyKeys.contains(key))
        return QStringLiteral("%1 describes the controller and cannot be set").arg(key);
    QString why = QStringLiteral("unknown key %1").arg(key);
    const bool mainKey = mainPanelSettingKeys().contains(key);
    if (mainKey) {
        why = mainPanelSettingProblem(key, value);
        if (why.isEmpty()) return {};
    }
    if (lanSettingKeys().contains(key)) {
        QString lanWhy = lanSettingProblem(key, value);
        if (lanWhy.isEmpty() || !mainKey) return lanWhy;
    }
    return why;
}

QString bacnetChangeProblem(const QString& key, const QString& value) {
    BacnetDeviceView view;
    return setBacnetField(view, key, value);
}

// ---- common -----------------------------------------------------------------------------------

// Parses, checks every --set with `check` (settings commands), connects and hands the controller's
// window to `act`.
int connectAndRun(CommandContext& ctx, const QString& description,
                  QString (*check)(const QString& key, const QString& value),
                  int (*act)(ControllerWindow, Run&)) {
    const bool settingsOptions = check != nullptr;
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
            const QString key = change.left(equals);
            const QString value = change.mid(equals + 1);
            QString why = check(key, value);
            for (const auto& earlier : request.changes)
                if (earlier.first == key) why = QStringLiteral("--set %1 is given twice").arg(key);
            if (!why.isEmpty()) {
                ctx.err << "vtl-cli " << ctx.args.first() << ": " << why << "; nothing sent"
                        << Qt::endl;
                return ExitUsage;
            }
            request.changes.append({key, value});
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
                         settingsChangeProblem, settingsOf);
}

int runBacnet(CommandContext& ctx) {
    return connectAndRun(ctx,
                         QStringLiteral("Shows the BACnet device settings of a LAN controller, or "
                                        "changes some (--set) and sends them as OK does."),
                         bacnetChangeProblem, bacnetOf);
}

int runClear(CommandContext& ctx) {
    return connectAndRun(ctx,
                         QStringLiteral("Clears the controller's memory, as its window's Clear "
                                        "does; without --yes the confirmation is cancelled."),
                         nullptr, clearOf);
}

} // namespace vtl::cli
