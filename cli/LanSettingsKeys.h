#pragma once

#include "cli/SettingsOutput.h"
#include "lan/LanControllerView.h"

namespace vtl {
struct ConnectionState;
}

namespace vtl::cli {

// The LAN controller window's settings as "key: value" lines.
SettingLines lanSettingLines(const ConnectionState& state, const LanControllerView& view);

// Sets one control of the window as the user could; returns why not when the window's form has no
// such control or it could not show the value.
QString setLanSetting(LanControllerView& view, const QString& key, const QString& value);

} // namespace vtl::cli
