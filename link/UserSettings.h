#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace vtl {

// Where the remembered values live: HKEY_CURRENT_USER\QTZ\VTL on Windows (REG_DWORD values), the
// user's configuration directory elsewhere (QTZ/VTL.conf on Linux).
std::unique_ptr<QSettings> openUserSettings();

// Whether the name is a serial device server's address (tcp://HOST:PORT or rfc2217://HOST:PORT).
bool isDeviceServerName(const QString& portName);

// The device server last connected through, kept beside the window's values; a typed address has
// no place in the port list to be remembered by. Empty when none was used.
QString readDeviceServer(QSettings& settings);
void writeDeviceServer(QSettings& settings, const QString& address);

} // namespace vtl
