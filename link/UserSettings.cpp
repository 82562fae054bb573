#include "link/UserSettings.h"

#include "link/Rfc2217Transport.h"
#include "link/TcpTransport.h"

namespace vtl {
namespace {

const QString DeviceServerKey = QStringLiteral("DeviceServer");

} // namespace

std::unique_ptr<QSettings> openUserSettings() {
#ifdef Q_OS_WIN
    // Integers are written as REG_DWORD under this exact key, with no "Software" level.
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\QTZ\\VTL"),
                                       QSettings::NativeFormat);
#else
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                QStringLiteral("QTZ"), QStringLiteral("VTL"));
    // Values from an organisation-wide file must not stand in for missing ones.
    settings->setFallbacksEnabled(false);
    return settings;
#endif
}

bool isDeviceServerName(const QString& portName) {
    return TcpTransport::parseName(portName, nullptr, nullptr) ||
           Rfc2217Transport::parseName(portName, nullptr, nullptr);
}

QString readDeviceServer(QSettings& settings) {
    const QString address = settings.value(DeviceServerKey).toString().trimmed();
    // Whatever else stands there (an edited file) is not offered as a port.
    return isDeviceServerName(address) ? address : QString();
}

void writeDeviceServer(QSettings& settings, const QString& address) {
    settings.setValue(DeviceServerKey, address);
    settings.sync();
}

} // namespace vtl
