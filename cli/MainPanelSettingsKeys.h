#pragma once

#include "cli/SettingsOutput.h"
#include "panels/MainPanelView.h"

namespace vtl {
struct ConnectionState;
struct MainPanelMemory;
} // namespace vtl

namespace vtl::cli {

// The main panel window's settings as "key: value" lines: what describes the controller, then
// what --set takes. A modem string that could not be read is left out.
SettingLines mainPanelSettingLines(const ConnectionState& state, const MainPanelView& view,
                                   const MainPanelMemory& memory);

// The keys --set takes.
QStringList mainPanelSettingKeys();
// Why the window could not take the value for the key (or does not know the key), checked before
// connecting; empty when it could.
QString mainPanelSettingProblem(const QString& key, const QString& value);

// Sets one control of the window (or one of its two text editors) as the user could; returns why
// not when the window could not show the value.
QString setMainPanelSetting(MainPanelView& view, MainPanelMemory& memory, const QString& key,
                            const QString& value);

} // namespace vtl::cli
