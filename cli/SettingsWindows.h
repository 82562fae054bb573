#pragma once

#include "cli/SettingsWindow.h"

namespace vtl::cli {

// The windows of a main panel, a LAN controller and its BACnet device.
std::unique_ptr<SettingsWindow> mainPanelSettingsWindow(Session& session, MainPanelMemory& memory);
std::unique_ptr<SettingsWindow> lanControllerSettingsWindow(Session& session);
std::unique_ptr<SettingsWindow> bacnetSettingsWindow(Session& session);

// Their checks before connecting.
QString controllerSettingProblem(const QString& key, const QString& value);
QString bacnetSettingProblem(const QString& key, const QString& value);

// The sub panel window and its ModBus Setup window.
std::unique_ptr<SettingsWindow> subPanelSettingsWindow(Session& session, SubPanelMemory& memory);
std::unique_ptr<SettingsWindow> modbusSettingsWindow(Session& session);

QString subPanelSettingProblem(const QString& key, const QString& value);
QString modbusSettingProblem(const QString& key, const QString& value);
// A format of the other mode, when both are given.
QString modbusChangesProblem(const SettingChanges& changes);

} // namespace vtl::cli
