// vtl-cli settings and clear for sub panels: connect as identify does, open the window's logic as
// the window would, then show, send or clear through it.
#include "cli/SubPanelCommands.h"

#include "cli/SettingAssignments.h"
#include "cli/SubPanelCommandSupport.h"
#include "panels/SubPanelOperations.h"
#include "panels/SubPanelSettings.h"

namespace vtl::cli {
namespace {

QString opt(const char* name) {
    return QString::fromLatin1(name);
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
} // namespace

Fields subPanelFields(const SubPanelView& view) {
    Fields fields{{opt("controller"), opt("sub panel")},
                  {opt("address"), int(clampSubPanelAddress(view.addressText))},
                  {opt("baud"), view.baudText.toInt()},
                  {opt("last-panel"), view.lastPanel}};
    if (view.kestromShown)
        fields.append({opt("kestrom-compatible"), view.kestromCompatible
                                                      ? QJsonValue(*view.kestromCompatible)
                                                      : QJsonValue(QJsonValue::Null)});
    fields.append({opt("modbus"), view.modbusShown});
    return fields;
}

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
    if (!read) {
        usageError(ctx, opt("the settings could not be read; nothing written"));
        return ExitFailed;
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
    ui.presetAnswer(SubPanelOperations::ClearQuestion, MessageAnswer::Ok);
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

} // namespace vtl::cli
