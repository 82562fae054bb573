#include "routing/RoutingTable.h"

#include "link/ConnectionState.h"

#include <algorithm>
#include <cstdio>

namespace vtl {

namespace {

using Bytes = std::vector<std::uint8_t>;

// LAN layout.
constexpr std::size_t LanOwnEntry = 0;
constexpr std::size_t LanEntries = 24;
constexpr std::size_t LanEntrySize = 16;
constexpr std::size_t LanBroadcastList = 2024;
constexpr std::size_t LanSubnetMask = 2088;
constexpr std::size_t LanMtu = 2092;
constexpr std::size_t LanTrailer = 2094;
constexpr std::array<std::uint8_t, 6> LanTrailerBytes{165, 165, 1, 2, 4, 0};
// Main panel layout.
constexpr std::size_t MainEntrySize = 10;
constexpr std::size_t MainSubnetMask = 1270;
constexpr std::size_t MainMtu = 1274;

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isHexDigit(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

int hexValue(QChar c) {
    if (!isHexDigit(c)) return 0;
    return c <= QLatin1Char('9') ? c.unicode() - '0' : c.unicode() - 'A' + 10;
}

// Tables are checked before a block is built from them; whatever else is left reads as 0.
std::uint16_t mtuValue(const QString& text) {
    return mtuNumber(text).value_or(0);
}

template <std::size_t N>
void put(Bytes& block, std::size_t at, const std::array<std::uint8_t, N>& b) {
    std::copy(b.begin(), b.end(), block.begin() + std::ptrdiff_t(at));
}

void putLanEntry(Bytes& block, std::size_t at, const RoutingRow& row) {
    put(block, at, ipBytes(row.ip));
    put(block, at + 4, macBytes(row.mac));
    block[at + 10] = std::uint8_t(row.intervalMs >> 8);
    block[at + 11] = std::uint8_t(row.intervalMs & 0xFF);
    put(block, at + 12, ipBytes(row.gateway));
}

Bytes buildLan(const RoutingTable& table, std::uint32_t panelAddress) {
    using namespace routing;
    Bytes block(LanBlockSize, 0);
    // A LAN controller's address is 1..125; any other leaves its own entry empty.
    if (panelAddress >= 1 && panelAddress <= std::uint32_t(LanRows))
        putLanEntry(block, LanOwnEntry, table.rows[panelAddress - 1]);
    block[16] = std::uint8_t(panelAddress);
    block[17] = 0;
    block[18] = 0;
    block[19] = 1;
    std::copy_n(block.begin() + 12, 4, block.begin() + 20);
    for (int row = 0; row < LanRows; ++row)
        putLanEntry(block, LanEntries + LanEntrySize * std::size_t(row),
                    table.rows[std::size_t(row)]);

    std::fill_n(block.begin() + LanBroadcastList, 4 * MaxBroadcastServers, std::uint8_t(0xFF));
    std::size_t place = 0;
    for (int row = 0; row < LanRows && place < std::size_t(MaxBroadcastServers); ++row) {
        if (!table.rows[std::size_t(row)].broadcast) continue;
        put(block, LanBroadcastList + 4 * place++, ipBytes(table.rows[std::size_t(row)].ip));
    }
    put(block, LanSubnetMask, ipBytes(table.subnetMask));
    const std::uint16_t mtu = mtuValue(table.mtu);
    block[LanMtu] = std::uint8_t(mtu >> 8);
    block[LanMtu + 1] = std::uint8_t(mtu & 0xFF);
    put(block, LanTrailer, LanTrailerBytes);
    return block;
}

Bytes buildMain(const RoutingTable& table) {
    using namespace routing;
    Bytes block(MainBlockSize, 0);
    for (int row = 0; row < MainRows; ++row) {
        const std::size_t at = MainEntrySize * std::size_t(row);
        put(block, at, ipBytes(table.rows[std::size_t(row)].ip));
        put(block, at + 4, macBytes(table.rows[std::size_t(row)].mac));
    }
    put(block, MainSubnetMask, ipBytes(table.subnetMask));
    const std::uint16_t mtu = mtuValue(table.mtu);
    block[MainMtu] = std::uint8_t(mtu & 0xFF);
    block[MainMtu + 1] = std::uint8_t(mtu >> 8);
    return block;
}

void parseLan(const Bytes& b, RoutingTable& table) {
    using namespace routing;
    for (int row = 0; row < LanRows; ++row) {
        const auto* e = b.data() + LanEntries + LanEntrySize * std::size_t(row);
        RoutingRow& r = table.rows[std::size_t(row)];
        r.ip = ipText({e, 4});
        r.mac = macText({e + 4, 6});
        r.intervalMs = std::uint16_t(256 * e[10] + e[11]);
        r.gateway = ipText({e + 12, 4});
        r.broadcast = false;
    }
    for (int place = 0; place < MaxBroadcastServers; ++place) {
        const QString server = ipText({b.data() + LanBroadcastList + 4 * std::size_t(place), 4});
        if (isNoAddress(server)) continue;
        for (int row = 0; row < LanRows; ++row) {
            RoutingRow& r = table.rows[std::size_t(row)];
            if (r.ip == server) r.broadcast = true;
        }
    }
    table.subnetMask = ipText({b.data() + LanSubnetMask, 4});
    table.mtu = QString::number(256 * b[LanMtu] + b[LanMtu + 1]);
}

void parseMain(const Bytes& b, RoutingTable& table) {
    using namespace routing;
    for (int row = 0; row < MainRows; ++row) {
        const auto* e = b.data() + MainEntrySize * std::size_t(row);
        RoutingRow& r = table.rows[std::size_t(row)];
        r.ip = ipText({e, 4});
        r.mac = macText({e + 4, 6});
    }
    table.subnetMask = ipText({b.data() + MainSubnetMask, 4});
    table.mtu = QString::number(b[MainMtu] + 256 * b[MainMtu + 1]);
}

} // namespace

RoutingMode routingModeOf(const ConnectionState& state) {
    return state.IsLanController ? RoutingMode::Lan : RoutingMode::MainPanel;
}

QString routingModeName(RoutingMode mode) {
    return mode == RoutingMode::Lan ? QStringLiteral("LAN") : QStringLiteral("main panel");
}

int routing::intervalIndex(std::uint16_t ms) {
    for (std::size_t i = 0; i < Intervals.size(); ++i)
        if (Intervals[i].ms == ms) return int(i);
    return -1;
}

RoutingTable RoutingTable::labelled(RoutingMode mode) {
    RoutingTable table;
    int slot = 0;
    if (mode == RoutingMode::MainPanel) {
        table.rows[0].label = QStringLiteral("GW");
        table.rows[1].label = QStringLiteral("Self");
        slot = 2;
    }
    for (int n = 1; n <= routing::LanRows; ++n)
        table.rows[std::size_t(slot++)].label = QString::number(n);
    return table;
}

bool isNoAddress(const QString& ip) {
    return ip.isEmpty() || ip == QLatin1String("0.0.0.0") || ip == QLatin1String("255.255.255.255");
}

// Each of the six groups is the next hexadecimal digit with the one after it; a digit followed by
// anything else is padded with "0" and that character skipped; a text that has run out gives "00".
// Lower-case letters are separators, as the edit only takes capitals.
QString NormalizeMac(const QString& text) {
    QStringList groups;
    qsizetype pos = 0;
    for (int group = 0; group < 6; ++group) {
        while (pos < text.size() && !isHexDigit(text[pos]))
            ++pos;
        if (pos >= text.size()) {
            groups << QStringLiteral("00");
            continue;
        }
        if (pos + 1 < text.size() && isHexDigit(text[pos + 1])) {
            groups << text.mid(pos, 2);
        } else {
            groups << QStringLiteral("0") + text[pos];
        }
        pos += 2;
    }
    return groups.join(QLatin1Char('-'));
}

std::array<std::uint8_t, 4> ipBytes(const QString& text) {
    std::array<std::uint8_t, 4> bytes{};
    qsizetype pos = 0;
    for (auto& byte : bytes) {
        unsigned value = 0;
        while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
            value = (value * 10 + unsigned(text[pos].unicode() - '0')) & 0xFF;
            ++pos;
        }
        byte = std::uint8_t(value);
        ++pos; // past the separator
    }
    return bytes;
}

std::array<std::uint8_t, 6> macBytes(const QString& text) {
    std::array<std::uint8_t, 6> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto at = 3 * qsizetype(i);
        const QChar high = at < text.size() ? text[at] : QChar();
        const QChar low = at + 1 < text.size() ? text[at + 1] : QChar();
        bytes[i] = std::uint8_t(16 * hexValue(high) + hexValue(low));
    }
    return bytes;
}

QString ipText(std::span<const std::uint8_t> b) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned(b[0]), unsigned(b[1]),
                                unsigned(b[2]), unsigned(b[3]));
    return QString::fromLatin1(text, n);
}

QString macText(std::span<const std::uint8_t> b) {
    char text[18];
    const int n = std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", unsigned(b[0]),
                                unsigned(b[1]), unsigned(b[2]), unsigned(b[3]), unsigned(b[4]),
                                unsigned(b[5]));
    return QString::fromLatin1(text, n);
}

// The checks take no memory: a Send checks every row, and the fuzzers every row of every input.
std::optional<std::array<std::uint8_t, 4>> ipAddress(const QString& text) {
    std::array<std::uint8_t, 4> bytes{};
    qsizetype pos = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && (pos >= text.size() || text[pos++] != QLatin1Char('.'))) return std::nullopt;
        int value = 0;
        int digits = 0;
        for (; pos < text.size() && isAsciiDigit(text[pos]) && digits <= 3; ++pos, ++digits)
            value = 10 * value + (text[pos].unicode() - '0');
        if (digits == 0 || digits > 3 || value > 255) return std::nullopt;
        bytes[i] = std::uint8_t(value);
    }
    if (pos != text.size()) return std::nullopt;
    return bytes;
}

std::optional<std::array<std::uint8_t, 6>> macAddress(const QString& text) {
    if (text.size() != 17) return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool fits = i % 3 == 2 ? text[i] == QLatin1Char('-') : isHexDigit(text[i]);
        if (!fits) return std::nullopt;
    }
    return macBytes(text);
}

std::optional<std::uint16_t> mtuNumber(const QString& text) {
    if (text.isEmpty() || text.size() > 5) return std::nullopt;
    std::uint32_t value = 0;
    for (const QChar c : text) {
        if (!isAsciiDigit(c)) return std::nullopt;
        value = 10 * value + std::uint32_t(c.unicode() - '0');
    }
    if (value > 0xFFFF) return std::nullopt;
    return std::uint16_t(value);
}

std::optional<RoutingTableProblem> checkRoutingTable(RoutingMode mode, const RoutingTable& table) {
    const QString fourNumbers = QStringLiteral("Enter Four Numbers From 0 To 255.");
    const auto rowProblem = [&](RoutingField field, int slot, const char* what, const QString& text,
                                const QString& hint) {
        return RoutingTableProblem{
            field, slot,
            QStringLiteral("%1 \"%2\" Of Panel %3 Is Not Valid: %4")
                .arg(QLatin1String(what), text, table.rows[std::size_t(slot)].label, hint)};
    };
    for (int slot = 0; slot < routing::rowCount(mode); ++slot) {
        const RoutingRow& r = table.rows[std::size_t(slot)];
        if (!ipAddress(r.ip))
            return rowProblem(RoutingField::Ip, slot, "IP Address", r.ip, fourNumbers);
        if (!macAddress(r.mac))
            return rowProblem(RoutingField::Mac, slot, "MAC Address", r.mac,
                              QStringLiteral("Enter Six Pairs Of Hexadecimal Digits."));
        if (mode == RoutingMode::Lan && !ipAddress(r.gateway))
            return rowProblem(RoutingField::Gateway, slot, "Gateway", r.gateway, fourNumbers);
    }
    if (!ipAddress(table.subnetMask))
        return RoutingTableProblem{RoutingField::SubnetMask, -1,
                                   QStringLiteral("Subnet Mask \"%1\" Is Not Valid: %2")
                                       .arg(table.subnetMask, fourNumbers)};
    if (!mtuNumber(table.mtu))
        return RoutingTableProblem{
            RoutingField::Mtu, -1,
            QStringLiteral("MTU \"%1\" Is Not Valid: Enter A Number From 0 To 65535.")
                .arg(table.mtu)};
    return std::nullopt;
}

std::vector<std::uint8_t> buildRoutingTableBlock(RoutingMode mode, const RoutingTable& table,
                                                 std::uint32_t panelAddress) {
    return mode == RoutingMode::Lan ? buildLan(table, panelAddress) : buildMain(table);
}

void parseRoutingTableBlock(RoutingMode mode, std::span<const std::uint8_t> block,
                            RoutingTable& table) {
    // A short reply must not be read into whatever lies beyond it.
    Bytes whole(routing::blockSize(mode), 0);
    std::copy_n(block.begin(), std::min(block.size(), whole.size()), whole.begin());
    if (mode == RoutingMode::Lan)
        parseLan(whole, table);
    else
        parseMain(whole, table);
}

} // namespace vtl
