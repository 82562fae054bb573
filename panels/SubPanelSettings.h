#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace vtl {

// The sub panel's settings byte, carried in the table byte of the identification reply and of the
// address and baud write: bits 2-4 the line baud code, bit 5 Last Panel.
inline constexpr std::uint8_t SubLastPanelBit = 0x20;
inline constexpr int SubBaudCodeShift = 2;
inline constexpr int SubPanelMaxAddress = 124;

// SubLineBaudCode of a rate text ("19200" 0, "9600" 1, "4800" 2, "2400" 3, "1200" 4, "38400" 5).
std::optional<std::uint8_t> subLineBaudCodeForText(const QString& text);
// The line rate of a code; 5 and above run at 38400.
std::int32_t subLineBaudRate(std::uint8_t code);
std::uint8_t subPanelSettingsByte(std::uint8_t baudCode, bool lastPanel);
// The "Panel Baud" button's next caption: only 9600, 19200 and 38400 can be chosen.
QString nextSubPanelBaudText(const QString& text);
// The address field's text as a signed number (anything else counts as 0), limited to 1-124.
std::uint8_t clampSubPanelAddress(const QString& text);

// The three writes Send makes with constant data, in order; the third also follows a clear.
inline constexpr std::array<std::uint8_t, 1> FixedWrite1Data{0x00};
inline constexpr std::array<std::uint8_t, 2> FixedWrite2Data{0x57, 0x00}; // 87, low byte first
inline constexpr std::array<std::uint8_t, 2> FixedWrite3Data{0x9C, 0x06}; // 1692, low byte first

} // namespace vtl
