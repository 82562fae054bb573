#pragma once

#include "cli/SettingsOutput.h"
#include "lan/LanControllerView.h"

namespace vtl {
struct ConnectionState;
}

namespace vtl::cli {

// The LAN controller window's settings as "key: value" lines: what describes the controller, then
// the controls its form shows, each of which --set takes.
SettingLines lanSettingLines(const ConnectionState& state, const LanControllerView& view);

// The keys of the controls of every form.
QStringList lanSettingKeys();
// Why no form of the window could take the value for the key, checked before connecting; empty
// when some could.
QString lanSettingProblem(const QString& key, const QString& value);
// Sets one control of the window as the user could; returns why not when the window's form has no
// such control or it could not show the value.
QString setLanSetting(LanControllerView& view, const QString& key, const QString& value);

} // namespace vtl::cli
