#pragma once

#include "sim/SimMemory.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace vtl::sim {

// The LAN controller's settings block and BACnet device block, as the simulator keeps them.
inline constexpr RecordKey LanSettingsKey{38, 0, 0};
inline constexpr RecordKey BacnetDeviceKey{50, 0, 22};
inline constexpr int LanSettingsWriteSize = 96;
inline constexpr int BacnetDeviceMinSize = 164;

// The settings reply of a controller that reports a result value: the block and four more bytes,
// most significant first (100 bytes in all).
QByteArray withResultValue(const QByteArray& settings, std::uint32_t result);

// What is wrong with a write of a LAN controller record, or an empty text.
QString lanWriteProblem(RecordKey key, const QByteArray& data);

} // namespace vtl::sim
