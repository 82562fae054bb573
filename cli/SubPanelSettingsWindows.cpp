// The sub panel window and its ModBus Setup window's settings on the command line.
#include "cli/SettingsWindows.h"

#include "panels/ModbusSetupOperations.h"
#include "panels/SubPanelOperations.h"
#include "panels/SubPanelSettings.h"

namespace vtl::cli {
namespace {

QString refusal(const QString& key, const QString& expected, const QString& value) {
    return QStringLiteral("%1 takes %2, not %3").arg(key, expected, quotedValue(value));
}

// The rates the "Panel Baud" button can reach.
const QStringList SubPanelRates = {QStringLiteral("9600"), QStringLiteral("19200"),
                                   QStringLiteral("38400")};

// One control of the sub panel window, as the user could set it.
QString setSubPanelSetting(SubPanelView& v, const QString& key, const QString& value) {
    if (key == QLatin1String("address")) {
        if (!isDigits(value, 3) || value.toInt() < 1 || value.toInt() > SubPanelMaxAddress)
            return refusal(key, QStringLiteral("a number from 1 to %1").arg(SubPanelMaxAddress),
                           value);
        v.addressText = QString::number(value.toInt());
    } else if (key == QLatin1String("baud")) {
        if (!SubPanelRates.contains(value))
            return refusal(key, SubPanelRates.join(QStringLiteral(", ")), value);
        v.baudText = value;
    } else if (key == QLatin1String("last-panel") || key == QLatin1String("kestrom-compatible")) {
        const auto on = parseYesNo(value.toLower());
        if (!on) return refusal(key, QStringLiteral("yes or no"), value);
        if (key == QLatin1String("last-panel")) {
            v.lastPanel = *on;
        } else {
            if (!v.kestromShown)
                return QStringLiteral("this sub panel has no kestrom-compatible setting");
            v.kestromCompatible = *on;
        }
    } else {
        return QStringLiteral("unknown key %1").arg(key);
    }
    return {};
}

class SubPanelSettingsWindow final : public SettingsWindow {
public:
    SubPanelSettingsWindow(Session& session, SubPanelMemory& memory) : ops_(session, memory) {}
    bool read(QString&) override { return ops_.open(view_); }
    SettingLines lines() const override {
        SettingLines lines{
            Setting::words("controller", QStringLiteral("sub panel")),
            Setting::number("address", QString::number(clampSubPanelAddress(view_.addressText))),
            Setting::number("baud", view_.baudText),
            Setting::flag("last-panel", view_.lastPanel),
        };
        // A flag whose read was given up shows neither state.
        if (view_.kestromShown)
            lines.append(view_.kestromCompatible
                             ? Setting::flag("kestrom-compatible", *view_.kestromCompatible)
                             : Setting{QStringLiteral("kestrom-compatible"),
                                       QStringLiteral("unknown"), QJsonValue::Null});
        lines.append(Setting::flag("modbus", view_.modbusShown));
        return lines;
    }
    QString set(const QString& key, const QString& value) override {
        return setSubPanelSetting(view_, key, value);
    }
    bool send() override { return ops_.send(view_); }
    QString incomplete() const override {
        // The window goes on to the address and baud when the user gives the flag up.
        return view_.kestromShown && !ops_.compatibilityWritten()
                   ? QStringLiteral("kestrom-compatible was not written")
                   : QString();
    }
    bool showsPartialRead() const override { return true; }

private:
    SubPanelOperations ops_;
    SubPanelView view_;
};

// One control of the ModBus Setup window. A change of mode puts the format on the mode's first,
// as the window's mode buttons do; a format must belong to the mode.
QString setModbusSetting(ModbusView& v, const QString& key, const QString& value) {
    if (key == QLatin1String("mode")) {
        const QString mode = value.toLower();
        if (mode != QLatin1String("rtu") && mode != QLatin1String("ascii"))
            return refusal(key, QStringLiteral("rtu or ascii"), value);
        const bool ascii = mode == QLatin1String("ascii");
        if (ascii != v.ascii) {
            v.ascii = ascii;
            v.dataText = modbusFormatForMode(ascii);
        }
    } else if (key == QLatin1String("baud")) {
        if (!modbusBaudTexts().contains(value))
            return refusal(key, modbusBaudTexts().join(QStringLiteral(", ")), value);
        v.baudText = value;
    } else if (key == QLatin1String("format")) {
        const QString format = value.toUpper();
        const QStringList all = modbusFormatTexts(false) + modbusFormatTexts(true);
        if (!all.contains(format)) return refusal(key, all.join(QStringLiteral(", ")), value);
        if (!modbusFormatTexts(v.ascii).contains(format))
            return QStringLiteral("format %1 does not belong to %2 mode")
                .arg(format, v.ascii ? QStringLiteral("ASCII") : QStringLiteral("RTU"));
        v.dataText = format;
    } else {
        return QStringLiteral("unknown key %1").arg(key);
    }
    return {};
}

class ModbusSettingsWindow final : public SettingsWindow {
public:
    explicit ModbusSettingsWindow(Session& session) : session_(session), ops_(session) {}
    bool read(QString& why) override {
        // ModBus Setup opens from the sub panel window, and only when that offers it.
        SubPanelView window;
        SubPanelOperations(session_).open(window);
        if (!window.modbusShown) {
            why = QStringLiteral("this sub panel offers no ModBus settings");
            return false;
        }
        // A read given up shows a zeroed record, which is not the controller's.
        return ops_.open(view_);
    }
    SettingLines lines() const override {
        return {
            Setting::words("mode", view_.ascii ? QStringLiteral("ascii") : QStringLiteral("rtu")),
            Setting::number("baud", view_.baudText), Setting::words("format", view_.dataText)};
    }
    QString set(const QString& key, const QString& value) override {
        return setModbusSetting(view_, key, value);
    }
    bool send() override { return ops_.ok(view_); }

private:
    Session& session_;
    ModbusSetupOperations ops_;
    ModbusView view_;
};

} // namespace

std::unique_ptr<SettingsWindow> subPanelSettingsWindow(Session& session, SubPanelMemory& memory) {
    return std::make_unique<SubPanelSettingsWindow>(session, memory);
}

std::unique_ptr<SettingsWindow> modbusSettingsWindow(Session& session) {
    return std::make_unique<ModbusSettingsWindow>(session);
}

QString subPanelSettingProblem(const QString& key, const QString& value) {
    // Whether the sub panel has the flag is known only once it answers.
    SubPanelView view;
    view.kestromShown = true;
    return setSubPanelSetting(view, key, value);
}

QString modbusSettingProblem(const QString& key, const QString& value) {
    // The mode is known only once the record is read: a format of either mode may fit.
    ModbusView view;
    if (key == QLatin1String("format"))
        view.ascii = modbusFormatTexts(true).contains(value.toUpper());
    return setModbusSetting(view, key, value);
}

QString modbusChangesProblem(const SettingChanges& changes) {
    ModbusView view;
    QString format;
    for (const auto& [key, value] : changes) {
        if (key == QLatin1String("mode")) setModbusSetting(view, key, value);
        if (key == QLatin1String("format")) format = value;
    }
    const bool modeGiven = std::ranges::any_of(
        changes, [](const auto& change) { return change.first == QLatin1String("mode"); });
    if (!modeGiven || format.isEmpty()) return {};
    return setModbusSetting(view, QStringLiteral("format"), format);
}

} // namespace vtl::cli
