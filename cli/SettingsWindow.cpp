#include "cli/SettingsWindow.h"

#include "cli/SettingsWindows.h"

namespace vtl::cli {

std::unique_ptr<SettingsWindow> openSettingsWindow(SettingsCommand command, ControllerWindow window,
                                                   Session& session, MainPanelMemory& mainMemory,
                                                   SubPanelMemory& subMemory, QString& why) {
    switch (command) {
    case SettingsCommand::Settings:
        switch (window) {
        case ControllerWindow::MainPanel:
            return mainPanelSettingsWindow(session, mainMemory);
        case ControllerWindow::LanController:
            return lanControllerSettingsWindow(session);
        case ControllerWindow::SubPanel:
            return subPanelSettingsWindow(session, subMemory);
        }
        break;
    case SettingsCommand::Modbus:
        if (window == ControllerWindow::SubPanel) return modbusSettingsWindow(session);
        why = QStringLiteral("only sub panels have ModBus settings");
        return nullptr;
    case SettingsCommand::Bacnet:
        if (window == ControllerWindow::LanController) return bacnetSettingsWindow(session);
        why = QStringLiteral("only LAN and Brinlet controllers have BACnet settings");
        return nullptr;
    }
    why = QStringLiteral("the configuration window of this controller is not available");
    return nullptr;
}

QStringList descriptiveKeys(SettingsCommand command, bool subLan) {
    if (command != SettingsCommand::Settings) return {};
    if (subLan) return {QStringLiteral("controller"), QStringLiteral("modbus")};
    return {QStringLiteral("controller"), QStringLiteral("type-code"), QStringLiteral("firmware"),
            QStringLiteral("form"), QStringLiteral("result")};
}

QString settingProblem(SettingsCommand command, bool subLan, const QString& key,
                       const QString& value) {
    if (descriptiveKeys(command, subLan).contains(key))
        return QStringLiteral("%1 describes the controller and cannot be set").arg(key);
    switch (command) {
    case SettingsCommand::Settings:
        return subLan ? subPanelSettingProblem(key, value) : controllerSettingProblem(key, value);
    case SettingsCommand::Modbus:
        return modbusSettingProblem(key, value);
    case SettingsCommand::Bacnet:
        return bacnetSettingProblem(key, value);
    }
    return {};
}

QString changesProblem(SettingsCommand command, const SettingChanges& changes) {
    return command == SettingsCommand::Modbus ? modbusChangesProblem(changes) : QString();
}

SettingsResult runSettingsWindow(SettingsWindow& window, const SettingsRun& run) {
    using Status = SettingsResult::Status;
    SettingsResult result;
    if (!window.read(result.why)) {
        if (result.why.isEmpty()) {
            result.why = QStringLiteral("the settings could not be read");
            if (!run.changes.isEmpty()) result.why += QStringLiteral("; nothing written");
        }
        if (window.showsPartialRead() && run.changes.isEmpty()) result.lines = window.lines();
        return result;
    }
    result.before = window.lines();
    result.lines = result.before;
    if (run.changes.isEmpty()) {
        result.status = Status::Done;
        return result;
    }
    // In the order of the read-out, as a user goes through the window: a mode before its format.
    auto position = [&](const QString& key) {
        for (qsizetype i = 0; i < result.before.size(); ++i)
            if (result.before[i].key == key) return i;
        return result.before.size();
    };
    SettingChanges ordered = run.changes;
    std::ranges::stable_sort(ordered, {},
                             [&](const auto& change) { return position(change.first); });
    for (const auto& [key, value] : ordered) {
        result.why = window.set(key, value);
        if (!result.why.isEmpty()) {
            result.status = Status::Refused;
            result.why += QStringLiteral("; nothing sent");
            result.lines.clear();
            return result;
        }
    }
    result.lines = window.lines();
    result.differences = settingDifferences(result.before, result.lines);
    if (run.dryRun || (run.skipUnchanged && result.differences.isEmpty())) {
        result.status = Status::Done;
        return result;
    }
    if (!window.send()) {
        result.lines.clear();
        return result;
    }
    result.sent = true;
    result.lines = window.lines();
    result.why = window.incomplete();
    result.status = result.why.isEmpty() ? Status::Done : Status::Failed;
    return result;
}

} // namespace vtl::cli
