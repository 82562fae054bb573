#pragma once

#include <QString>
#include <cstdint>

namespace vtl {

// LinkMode values.
inline constexpr std::uint8_t LinkModeSubLan = 0;
inline constexpr std::uint8_t LinkModeLan = 1;
inline constexpr std::uint8_t LinkModePortFailed = 255;

// The one record of the current connection. Every field starts at zero or empty; the connect
// procedure, the controller's replies and the configuration windows change it, nothing resets it.
struct ConnectionState {
    QString PortName;
    std::int32_t BaudRate = 0;
    std::uint32_t UsbMode = 0;
    std::uint32_t AddDelay = 0;
    std::uint8_t Privileged = 0;
    std::uint8_t LinkMode = 0;
    std::uint8_t PollPending = 0;
    std::uint8_t ReleasePending = 0;
    std::uint32_t PanelAddress = 0;  // a byte value
    std::uint32_t PanelTypeCode = 0; // a 16-bit value
    std::uint8_t IsLanController = 0;
    std::uint8_t IsBrinlet = 0;
    std::uint8_t IsCode602 = 0;
    std::uint8_t MarkerSeen = 0;
    std::int8_t MarkerValue = 0;
    std::int32_t PanelLineBaud = 0;
    std::uint8_t IdentFlag0 = 0;
    std::uint8_t IdentFlag5 = 0;
    std::uint8_t StatusFlag7 = 0;
    std::uint8_t StatusFlag6 = 0;
    std::uint8_t StatusFlag1 = 0;
    std::uint8_t StatusIsC1 = 0;
    std::uint32_t Table5Point = 0;

    // The process-wide instance the program works on; tests make their own records.
    static ConnectionState& instance();
};

// Line rate for the next port open: the marker frame heard while listening overrides BaudRate.
std::int32_t effectiveBaudRate(const ConnectionState& state);

} // namespace vtl
