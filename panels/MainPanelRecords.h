#pragma once

#include <cstdint>

namespace vtl::mainpanel {

// The controller records the main panel window reads and writes (a write is the read command
// plus 100).
inline constexpr std::uint8_t AnyPanel = 127; // every controller answers reads sent here
inline constexpr std::uint8_t Network = 0;
inline constexpr std::uint8_t ReadRecord = 38;
inline constexpr std::uint8_t WriteRecord = 138;
inline constexpr std::uint8_t ClearController = 128;
inline constexpr std::uint8_t SettingsPoint = 49;
inline constexpr std::uint8_t SettingsTable = 0;
inline constexpr std::uint8_t ModemStringPoint = 31;
inline constexpr std::uint8_t ModemStringTable = 252;

} // namespace vtl::mainpanel
