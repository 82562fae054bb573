#include "routing/RoutingTable.h"

#include <gtest/gtest.h>

#include <functional>

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

struct FieldText {
    const char* text;
    bool ip;  // taken as an address
    bool mtu; // taken as an MTU
};

TEST(RoutingTableValues, AddressesAreFourNumbersOf0To255AndTheMtuFitsTwoBytes) {
    const FieldText cases[] = {
        {"192.168.1.5", true, false},
        {"0.0.0.0", true, false},
        {"255.255.255.255", true, false},
        {"010.001.000.009", true, false},
        {"192.168", false, false},
        {"192.168.1.", false, false},
        {"192.168.1.256", false, false},
        {"300.1.999.4", false, false},
        {"1.2.3.4.5", false, false},
        {" 1.2.3.4", false, false},
        {"1.2.3.4\n", false, false},
        {"1.2.3.4444", false, false},
        {"", false, false},
        {"0", false, true},
        {"65535", false, true},
        {"1500", false, true},
        {"65536", false, false},
        {"99999", false, false},
        {"-1", false, false},
        {"+5", false, false},
        {"1 500", false, false},
        {"123456", false, false},
    };
    for (const FieldText& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ipAddress(QString::fromLatin1(c.text)).has_value(), c.ip);
        EXPECT_EQ(mtuNumber(QString::fromLatin1(c.text)).has_value(), c.mtu);
    }
    EXPECT_EQ(*ipAddress(QStringLiteral("010.001.000.009")),
              (std::array<std::uint8_t, 4>{10, 1, 0, 9}));
    EXPECT_EQ(*mtuNumber(QStringLiteral("65535")), 65535);
}

struct Problem {
    const char* name;
    RoutingMode mode;
    std::function<void(RoutingTable&)> edit;
    RoutingField field;
    int slot;
    const char* message;
};

// The first text that does not fit is named, with its row, in the message that refuses the table.
TEST(RoutingTableValues, TheFirstTextThatDoesNotFitIsNamed) {
    const Problem cases[] = {
        {"half-typed IP", RoutingMode::Lan, [](RoutingTable& t) { t.rows[4].ip = "192.168"; },
         RoutingField::Ip, 4,
         "IP Address \"192.168\" Of Panel 5 Is Not Valid: Enter Four Numbers From 0 To 255."},
        {"gateway row", RoutingMode::MainPanel, [](RoutingTable& t) { t.rows[0].ip = "10.2"; },
         RoutingField::Ip, 0,
         "IP Address \"10.2\" Of Panel GW Is Not Valid: Enter Four Numbers From 0 To 255."},
        {"lower-case MAC", RoutingMode::Lan,
         [](RoutingTable& t) { t.rows[124].mac = "00-0a-0b-0c-0d-7d"; }, RoutingField::Mac, 124,
         "MAC Address \"00-0a-0b-0c-0d-7d\" Of Panel 125 Is Not Valid: Enter Six Pairs Of "
         "Hexadecimal Digits."},
        {"gateway", RoutingMode::Lan, [](RoutingTable& t) { t.rows[1].gateway = "10.1.0"; },
         RoutingField::Gateway, 1,
         "Gateway \"10.1.0\" Of Panel 2 Is Not Valid: Enter Four Numbers From 0 To 255."},
        {"mask", RoutingMode::MainPanel, [](RoutingTable& t) { t.subnetMask = "255.255.0"; },
         RoutingField::SubnetMask, -1,
         "Subnet Mask \"255.255.0\" Is Not Valid: Enter Four Numbers From 0 To 255."},
        {"MTU", RoutingMode::Lan, [](RoutingTable& t) { t.mtu = "99999"; }, RoutingField::Mtu, -1,
         "MTU \"99999\" Is Not Valid: Enter A Number From 0 To 65535."},
        {"first of two", RoutingMode::Lan,
         [](RoutingTable& t) {
             t.mtu = "99999";
             t.rows[9].gateway = "";
         },
         RoutingField::Gateway, 9,
         "Gateway \"\" Of Panel 10 Is Not Valid: Enter Four Numbers From 0 To 255."},
    };
    for (const RoutingMode mode : {RoutingMode::Lan, RoutingMode::MainPanel})
        EXPECT_FALSE(checkRoutingTable(mode, filledTable(mode)));
    // Main panels keep no gateways.
    EXPECT_FALSE(checkRoutingTable(RoutingMode::MainPanel, [] {
        RoutingTable t = filledTable(RoutingMode::MainPanel);
        t.rows[3].gateway = "10.2";
        return t;
    }()));
    for (const Problem& c : cases) {
        SCOPED_TRACE(c.name);
        RoutingTable t = filledTable(c.mode);
        c.edit(t);
        const auto problem = checkRoutingTable(c.mode, t);
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->field, c.field);
        EXPECT_EQ(problem->slot, c.slot);
        EXPECT_EQ(problem->message, c.message);
    }
}

} // namespace
} // namespace vtl
