#include "cli/MainPanelSettingsKeys.h"

#include "link/ConnectionState.h"
#include "panels/ControllerText.h"
#include "panels/MainPanelMemory.h"
#include "panels/MainPanelOperations.h"

namespace vtl::cli {

namespace {

constexpr const char* PortRateKeys[MainPortCount] = {"computer-a", "computer-b", "port-c", "port-d",
                                                     "port-e"};

QString cardText(int position) {
    return position < 0 ? QString() : QString::number(position);
}

} // namespace

SettingLines mainPanelSettingLines(const ConnectionState& state, const MainPanelView& v,
                                   const MainPanelMemory& memory) {
    SettingLines lines{
        Setting::words("controller", QStringLiteral("main panel")),
        Setting::number("type-code", QString::number(state.PanelTypeCode)),
        Setting::words("firmware", MainPanelOperations::firmwareLine(state.PanelTypeCode)
                                       .section(QLatin1Char(':'), 1)
                                       .trimmed()),
        Setting::number("address", v.addressText),
        Setting::flag("last-panel", v.lastPanel),
        Setting::number("in-cards", cardText(v.inCards)),
        Setting::number("out-cards", cardText(v.outCards)),
    };
    for (int i = 0; i < MainPortCount; ++i)
        lines.append(Setting::number(PortRateKeys[i], v.baudTexts[std::size_t(i)]));
    lines.append(Setting::words("port-d-role", v.portDRole));
    lines.append(Setting::words("port-e-role", v.portERole));
    if (memory.ModemStringKnown)
        lines.append(Setting::words("modem-string", memory.modemStringText()));
    lines.append(Setting::words("mcquay-password", memory.passwordText()));
    return lines;
}

QString setMainPanelSetting(MainPanelView& v, MainPanelMemory& memory, const QString& key,
                            const QString& value) {
    auto refuse = [&](const QString& expected) {
        return QStringLiteral("%1 takes %2, not %3").arg(key, expected, quotedValue(value));
    };
    for (int i = 0; i < MainPortCount; ++i) {
        if (key != QLatin1String(PortRateKeys[i])) continue;
        const QStringList rates = baudCycle(MainPort(i));
        if (!rates.contains(value)) return refuse(rates.join(QStringLiteral(", ")));
        v.baudTexts[std::size_t(i)] = value;
        return {};
    }
    if (key == QLatin1String("address")) {
        if (!isDigits(value, 3) || value.toInt() < 1 || value.toInt() > 125)
            return refuse(QStringLiteral("a number from 1 to 125"));
        v.addressText = value;
    } else if (key == QLatin1String("last-panel")) {
        const auto on = parseYesNo(value);
        if (!on) return refuse(QStringLiteral("yes or no"));
        v.lastPanel = *on;
    } else if (key == QLatin1String("in-cards") || key == QLatin1String("out-cards")) {
        if (!isDigits(value, 1) || value.toInt() > MaxCards)
            return refuse(QStringLiteral("0 to %1").arg(MaxCards));
        (key == QLatin1String("in-cards") ? v.inCards : v.outCards) = value.toInt();
    } else if (key == QLatin1String("port-d-role") || key == QLatin1String("port-e-role")) {
        const bool d = key == QLatin1String("port-d-role");
        const QStringList roles = d ? portDRoleCycle() : portERoleCycle();
        if (!roles.contains(value)) return refuse(roles.join(QStringLiteral(", ")));
        (d ? v.portDRole : v.portERole) = value;
    } else if (key == QLatin1String("modem-string") || key == QLatin1String("mcquay-password")) {
        const bool modem = key == QLatin1String("modem-string");
        const auto size = modem ? MainPanelMemory::ModemStringSize : MainPanelMemory::PasswordSize;
        if (const QString why = controllerTextProblem(value, int(size)); !why.isEmpty())
            return refuse(why);
        modem ? memory.setModemStringText(value) : memory.setPasswordText(value);
    } else {
        return QStringLiteral("unknown key %1").arg(key);
    }
    return {};
}

QStringList mainPanelSettingKeys() {
    QStringList keys = {"address", "last-panel", "in-cards", "out-cards"};
    for (const char* rate : PortRateKeys)
        keys << QLatin1String(rate);
    return keys + QStringList{"port-d-role", "port-e-role", "modem-string", "mcquay-password"};
}

QString mainPanelSettingProblem(const QString& key, const QString& value) {
    // Every check is the window's own and needs nothing read: try it on copies.
    MainPanelView view;
    MainPanelMemory memory;
    return setMainPanelSetting(view, memory, key, value);
}

} // namespace vtl::cli
