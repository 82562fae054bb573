#pragma once

#include "lan/LanControllerView.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace vtl {

// Byte offsets of the LAN controller settings block.
namespace LanOffset {
inline constexpr int CardsInUse = 0;
inline constexpr int CardInputs = 1;
inline constexpr int MainNetwork = 2;
inline constexpr int ComputerA = 3;
inline constexpr int ComputerB = 4;
inline constexpr int SubLanA = 5;
inline constexpr int SubLanB = 6;
inline constexpr int HiddenRate = 7;
inline constexpr int Modem = 8;
inline constexpr int Address = 9;
inline constexpr int LastPanel = 10;
inline constexpr int ModemString = 11;
inline constexpr int Smtp = 43;
inline constexpr int Bacnet = 47;
inline constexpr int Mode = 49;
inline constexpr int Parity = 53;
inline constexpr int Result = 96; // only in a reply of ResultReplySize bytes
} // namespace LanOffset

inline constexpr std::size_t LanSettingsSize = 96;
inline constexpr std::size_t LanResultReplySize = 100;
inline constexpr std::size_t LanModemStringSize = 32;
using LanSettingsBlock = std::array<std::uint8_t, LanSettingsSize>;

// Fills the controls from a block read, as the window's initialisation does: a code outside a
// button's list shows "????", the address is held to 1..125. The form decides whether the Mode
// and Parity buttons are filled.
void showLanSettings(std::span<const std::uint8_t, LanSettingsSize> block, LanControllerView& view);

// The block Send writes: base is the block last read from this controller, whose bytes stand
// wherever the window has nothing to say (unused offsets, the kind bit of an unused card, a
// caption that maps to no code, "????" included).
// Nullopt when the SMTP address is not one.
std::optional<LanSettingsBlock> lanSettingsToSend(const LanControllerView& view,
                                                  const LanSettingsBlock& base);

// The address the window sends for the edit's text: a number held to 1..125, 1 for anything else.
std::uint8_t lanAddressOf(const QString& text);

// An IPv4 address typed as four decimal octets of 0 to 255 ("10.0.0.25"); nullopt for anything
// else, a part missing or too large included.
std::optional<std::array<std::uint8_t, 4>> parseIpv4Address(const QString& text);

// "Result: %u" of a 100-byte reply's last four bytes, most significant first.
QString resultLine(std::span<const std::uint8_t> reply);

} // namespace vtl
