#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace vtl {

// The texts of the BACnet window's fields.
struct BacnetDeviceView {
    QString instance;
    QString name;
    QString location;
    QString description;
    QString apduTimeout;
    QString tokenTimeout;
    QString maxMaster;

    bool operator==(const BacnetDeviceView&) const = default;
};

namespace BacnetOffset {
inline constexpr int Instance = 0;
inline constexpr int Name = 4;
inline constexpr int Location = 35;
inline constexpr int Description = 96;
inline constexpr int ApduTimeout = 158;
inline constexpr int MaxMaster = 162;
inline constexpr int TokenTimeout = 163;
} // namespace BacnetOffset

inline constexpr int BacnetBlockMinSize = 164;
inline constexpr int BacnetNameLength = 30; // in a field of 31 bytes
inline constexpr int BacnetTextLength = 60; // location and description, in fields of 61 bytes
inline constexpr std::uint32_t MaxBacnetInstance = 4194303;

// The fields as the window shows a block read (bytes past its end read as zero).
BacnetDeviceView showBacnetSettings(const QByteArray& block);
// The fields after Clear.
BacnetDeviceView clearedBacnetView();

// Checks the fields in the window's order and writes them over base (a copy of the block read,
// at least 164 bytes long). Returns the first check's message when one fails; an empty number
// field fails its check.
struct BacnetEncoding {
    QByteArray block;
    QString refusal;
};
BacnetEncoding bacnetSettingsToSend(const BacnetDeviceView& view, const QByteArray& base);

} // namespace vtl
