#include "sim/LanControllerRecords.h"

namespace vtl::sim {

QByteArray withResultValue(const QByteArray& settings, std::uint32_t result) {
    QByteArray reply = settings.left(LanSettingsWriteSize);
    reply.append(QByteArray(LanSettingsWriteSize - reply.size(), '\0'));
    for (int shift = 24; shift >= 0; shift -= 8)
        reply += char((result >> shift) & 0xFF);
    return reply;
}

QString lanWriteProblem(RecordKey key, const QByteArray& data) {
    if (key == LanSettingsKey && data.size() != LanSettingsWriteSize)
        return QStringLiteral("settings write of %1 bytes, not %2")
            .arg(data.size())
            .arg(LanSettingsWriteSize);
    if (key == LanSettingsKey && (std::uint8_t(data[9]) < 1 || std::uint8_t(data[9]) > 125))
        return QStringLiteral("settings write with address %1").arg(std::uint8_t(data[9]));
    if (key == BacnetDeviceKey && data.size() < BacnetDeviceMinSize)
        return QStringLiteral("BACnet write of %1 bytes, fewer than %2")
            .arg(data.size())
            .arg(BacnetDeviceMinSize);
    return {};
}

} // namespace vtl::sim
