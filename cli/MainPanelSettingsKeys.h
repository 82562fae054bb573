#pragma once

#include "cli/SettingsOutput.h"
#include "panels/MainPanelView.h"

namespace vtl {
struct ConnectionState;
struct MainPanelMemory;
} // namespace vtl

namespace vtl::cli {

// The main panel window's settings as "key: value" lines.
SettingLines mainPanelSettingLines(const ConnectionState& state, const MainPanelView& view,
                                   const MainPanelMemory& memory);

// Sets one control of the window (or one of its two text editors) as the user could; returns why
// not when the window could not show the value.
QString setMainPanelSetting(MainPanelView& view, MainPanelMemory& memory, const QString& key,
                            const QString& value);

} // namespace vtl::cli
