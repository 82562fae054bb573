#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vtl {

struct ConnectionState;

// LAN controllers keep gateways, broadcast servers and intervals; main panels only addresses.
enum class RoutingMode { Lan, MainPanel };

RoutingMode routingModeOf(const ConnectionState& state);
QString routingModeName(RoutingMode mode); // "LAN" or "main panel"

namespace routing {
inline constexpr int SlotCount = 128;
inline constexpr int PageSize = 4;
inline constexpr int PageCount = SlotCount / PageSize;
inline constexpr int LanRows = 125;
inline constexpr int MainRows = 127;
inline constexpr int MaxBroadcastServers = 16;
inline constexpr int MaxTextLength = 20;
inline constexpr std::size_t LanBlockSize = 2100;
inline constexpr std::size_t MainBlockSize = 1276;

inline constexpr int rowCount(RoutingMode mode) {
    return mode == RoutingMode::Lan ? LanRows : MainRows;
}
inline constexpr std::size_t blockSize(RoutingMode mode) {
    return mode == RoutingMode::Lan ? LanBlockSize : MainBlockSize;
}

// The broadcast interval lists: caption and milliseconds.
struct IntervalChoice {
    const char* caption;
    std::uint16_t ms;
};
inline constexpr std::array<IntervalChoice, 8> Intervals{{{"0.5 sec.", 500},
                                                          {"5 sec.", 5000},
                                                          {"10 sec.", 10000},
                                                          {"15 sec.", 15000},
                                                          {"20 sec.", 20000},
                                                          {"30 sec.", 30000},
                                                          {"45 sec.", 45000},
                                                          {"60 sec.", 60000}}};
// The list entry of an interval, -1 when no entry has that value.
int intervalIndex(std::uint16_t ms);
} // namespace routing

// One row of the table as the window shows it; the texts are kept as entered.
struct RoutingRow {
    QString label; // empty for a slot that is never shown
    QString ip;
    QString mac;
    QString gateway;
    bool broadcast = false;
    std::uint16_t intervalMs = 0;

    bool operator==(const RoutingRow&) const = default;
};

// The whole table: 128 row slots, and the two values that live in their own controls.
struct RoutingTable {
    std::array<RoutingRow, routing::SlotCount> rows;
    QString subnetMask;
    QString mtu;

    // Labels "1".."125" (LAN) or "GW", "Self", "1".."125" (main panel); every other field empty.
    static RoutingTable labelled(RoutingMode mode);
    bool operator==(const RoutingTable&) const = default;
};

// An address that cannot be a broadcast server.
bool isNoAddress(const QString& ip);

// Six hexadecimal pairs joined by "-", taken from whatever was typed (see the .cpp).
QString NormalizeMac(const QString& text);

// Texts to bytes as a block is built: an IP as four numbers up to the first non-digit each, a MAC
// as the two characters at 0, 3, 6, 9, 12 and 15.
std::array<std::uint8_t, 4> ipBytes(const QString& text);
std::array<std::uint8_t, 6> macBytes(const QString& text);
QString ipText(std::span<const std::uint8_t> bytes);
QString macText(std::span<const std::uint8_t> bytes);

// The checked forms of the texts a block is built from: exactly four numbers of 0 to 255 joined by
// ".", six pairs of capital hexadecimal digits joined by "-", a number of 0 to 65535. nullopt for
// anything else (a half-typed address, an MTU too large for its two bytes).
std::optional<std::array<std::uint8_t, 4>> ipAddress(const QString& text);
std::optional<std::array<std::uint8_t, 6>> macAddress(const QString& text);
std::optional<std::uint16_t> mtuNumber(const QString& text);

// The first text of a table that does not fit its field, and the message that refuses it; slot -1
// for the subnet mask and the MTU. Nothing is sent or saved from a table with a problem.
enum class RoutingField { Ip, Mac, Gateway, SubnetMask, Mtu };
struct RoutingTableProblem {
    RoutingField field;
    int slot = -1;
    QString message;
};
std::optional<RoutingTableProblem> checkRoutingTable(RoutingMode mode, const RoutingTable& table);
inline constexpr char ProblemCaption[] = "VTL";

// The block of the mode built from the rows, as Send writes it and File Save keeps it. LAN: the
// entry of the controller at panelAddress goes first, then every controller's, then the first 16
// broadcast servers.
std::vector<std::uint8_t> buildRoutingTableBlock(RoutingMode mode, const RoutingTable& table,
                                                 std::uint32_t panelAddress);
// Fills the rows, subnet mask and MTU from a block; labels stay. Bytes past the end of `block`
// read as zero.
void parseRoutingTableBlock(RoutingMode mode, std::span<const std::uint8_t> block,
                            RoutingTable& table);

} // namespace vtl
