// vtl-cli modbus: the ModBus Setup window of a sub panel, its read and its OK.
#include "cli/SubPanelCommands.h"

#include "cli/SettingAssignments.h"
#include "cli/SubPanelCommandSupport.h"
#include "panels/ModbusSetupOperations.h"
#include "panels/SubPanelOperations.h"

namespace vtl::cli {
namespace {

QString opt(const char* name) {
    return QString::fromLatin1(name);
}

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
    addSetOption(parser, "mode=rtu|ascii (a change of mode puts the format on the mode's first, "
                         "as the window's mode buttons do), baud=2400|9600|19200|38400, "
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
    const bool json = parser.isSet(opt("json"));
    // A read given up shows a zeroed record, which is not the controller's: nothing is shown.
    if (!ops.open(view)) {
        usageError(ctx, writing ? opt("the settings could not be read; nothing written")
                                : opt("the settings could not be read"));
        return ExitFailed;
    }
    if (!writing) {
        print(ctx, json, modbusFields(view));
        return ExitDone;
    }
    // As the window's mode buttons: only a change of mode puts the format on the mode's first.
    if (changes->ascii && *changes->ascii != view.ascii) {
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
