#include "routing/RoutingTable.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Every row filled: controller n at 10.1.0.n with MAC 00-0A-0B-0C-0D-nn, gateway 10.1.0.254.
RoutingTable filledTable(RoutingMode mode) {
    RoutingTable t = RoutingTable::labelled(mode);
    for (int slot = 0; slot < routing::rowCount(mode); ++slot) {
        RoutingRow& r = t.rows[std::size_t(slot)];
        r.ip = QStringLiteral("10.1.0.%1").arg(slot + 1);
        r.mac =
            QStringLiteral("00-0A-0B-0C-0D-%1").arg(slot + 1, 2, 16, QLatin1Char('0')).toUpper();
        if (mode == RoutingMode::Lan) {
            r.gateway = QStringLiteral("10.1.0.254");
            r.intervalMs = 5000;
        }
    }
    t.subnetMask = QStringLiteral("255.255.0.0");
    t.mtu = QStringLiteral("1500");
    return t;
}

Bytes at(const Bytes& block, std::size_t offset, std::size_t count) {
    return Bytes(block.begin() + std::ptrdiff_t(offset),
                 block.begin() + std::ptrdiff_t(offset + count));
}

TEST(RoutingTableBlock, LanBlockOfTheControllerAtAddress3WithServers3And9) {
    RoutingTable t = filledTable(RoutingMode::Lan);
    t.rows[2].broadcast = true; // controller 3
    t.rows[8].broadcast = true; // controller 9
    t.rows[2].intervalMs = 500;
    const Bytes b = buildRoutingTableBlock(RoutingMode::Lan, t, 3);
    ASSERT_EQ(b.size(), 2100u);

    // The connected controller's own entry, then its address and the constants.
    EXPECT_EQ(at(b, 0, 24), (Bytes{10, 1, 0, 3,   0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x03, 0x01, 0xF4,
                                   10, 1, 0, 254, 3,    0,    0,    1,    10,   1,    0,    254}));
    // Controller n's entry at 24 + 16 * (n - 1).
    EXPECT_EQ(at(b, 24 + 16 * 124, 16), (Bytes{10, 1, 0, 125, 0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x7D,
                                               0x13, 0x88, 10, 1, 0, 254}));
    EXPECT_EQ(at(b, 2024, 8), (Bytes{10, 1, 0, 3, 10, 1, 0, 9}));
    EXPECT_EQ(at(b, 2032, 56), Bytes(56, 255));
    EXPECT_EQ(at(b, 2088, 12), (Bytes{255, 255, 0, 0, 5, 220, 165, 165, 1, 2, 4, 0}));
}

TEST(RoutingTableBlock, MainPanelBlockKeepsRowOrderAndItsMtuLowByteFirst) {
    const RoutingTable t = filledTable(RoutingMode::MainPanel);
    const Bytes b = buildRoutingTableBlock(RoutingMode::MainPanel, t, 3);
    ASSERT_EQ(b.size(), 1276u);
    EXPECT_EQ(at(b, 0, 10), (Bytes{10, 1, 0, 1, 0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x01})); // "GW"
    EXPECT_EQ(at(b, 1260, 10), (Bytes{10, 1, 0, 127, 0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x7F}));
    EXPECT_EQ(at(b, 1270, 6), (Bytes{255, 255, 0, 0, 220, 5}));
}

TEST(RoutingTableBlock, ParseThenBuildGivesTheSameBlock) {
    for (const RoutingMode mode : {RoutingMode::Lan, RoutingMode::MainPanel}) {
        SCOPED_TRACE(routingModeName(mode).toStdString());
        RoutingTable t = filledTable(mode);
        if (mode == RoutingMode::Lan) {
            t.rows[4].broadcast = true;
            t.rows[6].intervalMs = 7000; // in no list entry: shown as none, sent back unchanged
        }
        const Bytes block = buildRoutingTableBlock(mode, t, 5);
        RoutingTable parsed = RoutingTable::labelled(mode);
        parseRoutingTableBlock(mode, block, parsed);
        EXPECT_EQ(parsed, t);
        EXPECT_EQ(buildRoutingTableBlock(mode, parsed, 5), block);
    }
    EXPECT_EQ(routing::intervalIndex(7000), -1);
    EXPECT_EQ(routing::intervalIndex(45000), 6);
}

TEST(RoutingTableBlock, NormalizeMac) {
    const std::pair<const char*, const char*> cases[] = {
        {"1:2:3", "01-02-03-00-00-00"},
        {"123456789ABC", "12-34-56-78-9A-BC"},
        {"ABCDE", "AB-CD-0E-00-00-00"},
        {"", "00-00-00-00-00-00"},
        {"00-40-9D-00-01-07", "00-40-9D-00-01-07"},
        {"ab:cd", "00-00-00-00-00-00"}, // lower case never reaches the edit: separators
    };
    for (const auto& [typed, shown] : cases)
        EXPECT_EQ(NormalizeMac(QString::fromLatin1(typed)), QLatin1String(shown)) << typed;
}

} // namespace
} // namespace vtl
