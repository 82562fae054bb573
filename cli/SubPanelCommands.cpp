// vtl-cli settings, clear and modbus for sub panels: connect as identify does, open the window's
// logic as the window would, then show, send or clear through it.
#include "cli/SubPanelCommands.h"

#include "cli/ConnectionOptions.h"
#include "cli/SettingAssignments.h"
#include "panels/ModbusSetupOperations.h"
#include "panels/SubPanelOperations.h"
#include "panels/SubPanelSettings.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vtl::cli {
namespace {

QString opt(const char* name) {
    return QString::fromLatin1(name);
}

using Fields = QList<QPair<QString, QJsonValue>>;

// "key: value" lines (flags as yes/no), or one JSON object.
void print(CommandContext& ctx, bool json, const Fields& fields) {
    if (json) {
        QJsonObject object;
        for (const auto& [key, value] : fields)
            object.insert(key, value);
        ctx.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << Qt::endl;
        return;
    }
    for (const auto& [key, value] : fields) {
        const QString text = value.isBool()     ? yesNoText(value.toBool())
                             : value.isDouble() ? QString::number(value.toInteger())
                                                : value.toString();
        ctx.out << key << ": " << text << Qt::endl;
    }
}

void usageError(CommandContext& ctx, const QString& problem) {
    ctx.err << "vtl-cli " << ctx.args.first() << ": " << problem << Qt::endl;
}

// Parses the options every command here shares; nullopt with the exit status in `status` when the
// command ends before connecting.
std::optional<ConnectionChoice> parseCommand(QCommandLineParser& parser, CommandContext& ctx,
                                             int& status) {
    if (auto done = parseArguments(parser, ctx)) {
        status = *done;
        return std::nullopt;
    }
    status = ExitUsage;
    return connectionChoice(parser, ctx.err);
}

// Connects; true when the controller found is a sub panel.
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

Fields subPanelFields(const SubPanelView& view) {
    Fields fields{{opt("controller"), opt("sub panel")},
                  {opt("address"), int(clampSubPanelAddress(view.addressText))},
                  {opt("baud"), view.baudText.toInt()},
                  {opt("last-panel"), view.lastPanel}};
    if (view.kestromShown) fields.append({opt("kestrom-compatible"), view.kestromCompatible});
    fields.append({opt("modbus"), view.modbusShown});
    return fields;
}

// Checks the --set values of settings; writes them into `view` later, once the window is open.
struct SubPanelChanges {
    std::optional<QString> address, baud;
    std::optional<bool> lastPanel, kestrom;
};

std::optional<SubPanelChanges> subPanelChanges(const QStringList& pairs, QTextStream& err) {
    const auto assigned = parseAssignments(
        pairs, {opt("address"), opt("baud"), opt("last-panel"), opt("kestrom-compatible")}, err);
    if (!assigned) return std::nullopt;
    SubPanelChanges c;
    if (assigned->contains(opt("address"))) {
        bool ok = false;
        const int address = assigned->value(opt("address")).toInt(&ok);
        if (!ok || address < 1 || address > SubPanelMaxAddress) {
            err << "address must be a number from 1 to " << SubPanelMaxAddress << Qt::endl;
            return std::nullopt;
        }
        c.address = QString::number(address);
    }
    if (assigned->contains(opt("baud"))) {
        const QString baud = assigned->value(opt("baud"));
        // The rates the "Panel Baud" button can reach.
        if (baud != QLatin1String("9600") && baud != QLatin1String("19200") &&
            baud != QLatin1String("38400")) {
            err << "baud must be 9600, 19200 or 38400" << Qt::endl;
            return std::nullopt;
        }
        c.baud = baud;
    }
    for (const auto& [key, target] :
         {std::pair{"last-panel", &c.lastPanel}, std::pair{"kestrom-compatible", &c.kestrom}}) {
        if (!assigned->contains(opt(key))) continue;
        *target = yesNo(assigned->value(opt(key)));
        if (!*target) {
            err << key << " must be yes or no" << Qt::endl;
            return std::nullopt;
        }
    }
    return c;
}

void addSetOption(QCommandLineParser& parser, const char* keys) {
    parser.addOption({opt("set"), QStringLiteral("Change a setting and send: %1.").arg(opt(keys)),
                      opt("KEY=VALUE")});
}

} // namespace

int runSubPanelSettings(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows a sub panel's settings, or changes and sends them as the window's "
                       "Send does."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption({opt("json"), opt("Write JSON instead of text.")});
    addSetOption(parser, "address=1..124, baud=9600|19200|38400, last-panel=yes|no, "
                         "kestrom-compatible=yes|no");
    int status = ExitUsage;
    const auto choice = parseCommand(parser, ctx, status);
    if (!choice) return status;
    const bool sending = parser.isSet(opt("set"));
    const auto changes = subPanelChanges(parser.values(opt("set")), ctx.err);
    if (!changes) return ExitUsage;

    TerminalUserInterface ui(ctx.err, choice->retries);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    if (!connectSubPanel(session, *choice, ctx)) return ExitFailed;
    SubPanelOperations ops(session);
    SubPanelView view;
    const bool read = ops.open(view);
    const bool json = parser.isSet(opt("json"));
    if (!sending) {
        print(ctx, json, subPanelFields(view));
        return read ? ExitDone : ExitFailed;
    }
    if (changes->kestrom && !view.kestromShown) {
        usageError(ctx, opt("this sub panel has no kestrom-compatible setting; nothing sent"));
        return ExitUsage;
    }
    if (changes->address) view.addressText = *changes->address;
    if (changes->baud) view.baudText = *changes->baud;
    if (changes->lastPanel) view.lastPanel = *changes->lastPanel;
    if (changes->kestrom) view.kestromCompatible = *changes->kestrom;
    if (!ops.send(view)) return ExitFailed;
    print(ctx, json, subPanelFields(view));
    // The window goes on to the address and baud when the user gives the flag up; say so here.
    if (view.kestromShown && !ops.compatibilityWritten()) {
        ctx.err << "kestrom-compatible was not written" << Qt::endl;
        return ExitFailed;
    }
    return ExitDone;
}

int runSubPanelClear(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Clears a sub panel's whole memory as the window's Clear does."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption({opt("yes"), opt("Answer the warning with OK (required).")});
    int status = ExitUsage;
    const auto choice = parseCommand(parser, ctx, status);
    if (!choice) return status;
    if (!parser.isSet(opt("yes"))) {
        usageError(ctx, opt("--yes is required: this wipes the controller's memory"));
        return ExitUsage;
    }

    TerminalUserInterface ui(ctx.err, choice->retries);
    ui.presetAnswer(QStringLiteral("This Will Completely Clear The Controller.\n\nProceed?"),
                    MessageAnswer::Ok);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    if (!connectSubPanel(session, *choice, ctx)) return ExitFailed;
    SubPanelOperations ops(session);
    SubPanelView view;
    ops.open(view);
    if (!ops.clear()) return ExitFailed;
    ctx.out << "cleared: yes" << Qt::endl;
    return ExitDone;
}

namespace {

struct ModbusChanges {
    std::optional<bool> ascii;
    std::optional<QString> baud, format;
};

std::optional<ModbusChanges> modbusChanges(const QStringList& pairs, QTextStream& err) {
    const auto assigned = parseAssignments(pairs, {opt("mode"), opt("baud"), opt("format")}, err);
    if (!assigned) return std::nullopt;
    ModbusChanges c;
    if (assigned->contains(opt("mode"))) {
        const QString mode = assigned->value(opt("mode")).toLower();
        if (mode != QLatin1String("rtu") && mode != QLatin1String("ascii")) {
            err << "mode must be rtu or ascii" << Qt::endl;
            return std::nullopt;
        }
        c.ascii = mode == QLatin1String("ascii");
    }
    if (assigned->contains(opt("baud"))) {
        c.baud = assigned->value(opt("baud"));
        if (!modbusBaudTexts().contains(*c.baud)) {
            err << "baud must be 2400, 9600, 19200 or 38400" << Qt::endl;
            return std::nullopt;
        }
    }
    if (assigned->contains(opt("format"))) {
        c.format = assigned->value(opt("format")).toUpper();
        const QStringList all = modbusFormatTexts(false) + modbusFormatTexts(true);
        if (!all.contains(*c.format)) {
            err << "format must be one of " << all.join(QStringLiteral(", ")) << Qt::endl;
            return std::nullopt;
        }
    }
    return c;
}

// A format with 8 data bits belongs to RTU, one with 7 to ASCII.
bool formatFits(const QString& format, bool ascii, CommandContext& ctx) {
    if (modbusFormatTexts(ascii).contains(format)) return true;
    usageError(ctx, QStringLiteral("format %1 does not belong to %2 mode; nothing written")
                        .arg(format, ascii ? opt("ASCII") : opt("RTU")));
    return false;
}

Fields modbusFields(const ModbusView& view) {
    return {{opt("mode"), view.ascii ? opt("ascii") : opt("rtu")},
            {opt("baud"), view.baudText},
            {opt("format"), view.dataText}};
}

} // namespace

int runModbus(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows a sub panel's ModBus settings, or changes and writes them as the "
                       "ModBus Setup window's OK does."));
    parser.addHelpOption();
    addConnectionOptions(parser);
    parser.addOption({opt("json"), opt("Write JSON instead of text.")});
    addSetOption(parser, "mode=rtu|ascii (puts the format on the mode's first, as the window's "
                         "mode buttons do), baud=2400|9600|19200|38400, "
                         "format=N-8-1|E-8-1|O-8-1 (RTU) or E-7-1|O-7-1 (ASCII)");
    int status = ExitUsage;
    const auto choice = parseCommand(parser, ctx, status);
    if (!choice) return status;
    const bool writing = parser.isSet(opt("set"));
    const auto changes = modbusChanges(parser.values(opt("set")), ctx.err);
    if (!changes) return ExitUsage;
    if (changes->ascii && changes->format && !formatFits(*changes->format, *changes->ascii, ctx))
        return ExitUsage;

    TerminalUserInterface ui(ctx.err, choice->retries);
    Session session(ConnectionState::instance(), TransferBuffers::instance(), RealClock::instance(),
                    ui);
    if (!connectSubPanel(session, *choice, ctx)) return ExitFailed;
    SubPanelView window;
    SubPanelOperations(session).open(window);
    if (!window.modbusShown) {
        usageError(ctx, opt("this sub panel offers no ModBus settings"));
        return ExitFailed;
    }
    ModbusSetupOperations ops(session);
    ModbusView view;
    const bool read = ops.open(view);
    const bool json = parser.isSet(opt("json"));
    if (!writing) {
        print(ctx, json, modbusFields(view));
        return read ? ExitDone : ExitFailed;
    }
    if (!read) {
        usageError(ctx, opt("the settings could not be read; nothing written"));
        return ExitFailed;
    }
    if (changes->ascii) {
        view.ascii = *changes->ascii;
        view.dataText = modbusFormatForMode(view.ascii);
    }
    if (changes->format) {
        if (!formatFits(*changes->format, view.ascii, ctx)) return ExitUsage;
        view.dataText = *changes->format;
    }
    if (changes->baud) view.baudText = *changes->baud;
    if (!ops.ok(view)) return ExitFailed;
    print(ctx, json, modbusFields(view));
    return ExitDone;
}

} // namespace vtl::cli
