#include "tests/routing/RoutingRig.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(RoutingTableWindowLogic, OpeningReadsTheDirectControllerInTheConnectionsMode) {
    RoutingRig lan(RoutingMode::Lan);
    EXPECT_EQ(lan.ops.mode(), RoutingMode::Lan);
    lan.ops.open();
    // The simulated LAN controller's table: controller n at 192.168.1.n behind 192.168.1.254.
    const RoutingRow& ten = lan.ops.table().rows[9];
    EXPECT_EQ(ten.label, "10");
    EXPECT_EQ(ten.ip, "192.168.1.10");
    EXPECT_EQ(ten.mac, "00-40-9D-00-01-0A");
    EXPECT_EQ(ten.gateway, "192.168.1.254");
    EXPECT_EQ(lan.ops.table().subnetMask, "255.255.255.0");
    EXPECT_EQ(lan.ops.table().mtu, "1500");
    const auto heard = lan.sim.controller.framesNoted(QStringLiteral("request"));
    ASSERT_EQ(heard.size(), 1);
    // Panel 127, command 50, point 0, table 21.
    EXPECT_EQ(heard[0].bytes.mid(10, 5), QByteArray("\x7F\x00\x32\x00\x15", 5));

    RoutingRig main(RoutingMode::MainPanel);
    EXPECT_EQ(main.ops.mode(), RoutingMode::MainPanel);
    main.ops.open();
    EXPECT_EQ(main.ops.table().rows[0].label, "GW");
    EXPECT_EQ(main.ops.table().rows[1].label, "Self");
    EXPECT_EQ(main.ops.table().rows[2].label, "1");
    EXPECT_EQ(main.ops.table().rows[126].label, "125");
    EXPECT_EQ(main.ops.table().rows[126].ip, "192.168.1.127");
    EXPECT_EQ(main.ops.table().mtu, "1500");
}

TEST(RoutingTableWindowLogic, SendWritesTheBlockToPanelAddressAndTheControllerKeepsIt) {
    for (const RoutingMode mode : {RoutingMode::Lan, RoutingMode::MainPanel}) {
        SCOPED_TRACE(routingModeName(mode).toStdString());
        RoutingRig rig(mode);
        rig.ops.open();
        rig.ops.table().rows[3].ip = QStringLiteral("10.9.8.7");
        rig.ops.table().mtu = QStringLiteral("1500");
        rig.sim.controller.clearFrames();
        ASSERT_TRUE(rig.ops.send());
        EXPECT_EQ(rig.sim.ui.briefs(), QStringList{"[VTL] Routing Table Sent"});
        const auto heard = rig.sim.controller.framesNoted(QStringLiteral("request"));
        ASSERT_EQ(heard.size(), 1);
        EXPECT_EQ(heard[0].bytes.mid(10, 5), QByteArray("\x03\x00\x96\x00\x15", 5));
        const auto block = buildRoutingTableBlock(mode, rig.ops.table(), 3);
        const QByteArray kept = rig.controllerTable();
        EXPECT_EQ(kept,
                  QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())));
        if (mode == RoutingMode::Lan)
            EXPECT_EQ(kept.mid(2092, 2), QByteArray("\x05\xDC"));
        else
            EXPECT_EQ(kept.mid(1274, 2), QByteArray("\xDC\x05"));

        // Read back, the table is the one sent.
        const RoutingTable sent = rig.ops.table();
        rig.ops.clear();
        ASSERT_TRUE(rig.ops.load());
        EXPECT_EQ(rig.ops.table(), sent);
        EXPECT_TRUE(rig.sim.controller.violations().isEmpty())
            << rig.sim.controller.violations().join('\n').toStdString();
    }
}

TEST(RoutingTableWindowLogic, FailedExchangesSayCommunicationErrorAndKeepTheRows) {
    RoutingRig rig(RoutingMode::Lan);
    rig.ops.open();
    rig.ops.table().rows[0].ip = QStringLiteral("1.2.3.4");
    const RoutingTable before = rig.ops.table();
    const QByteArray held = rig.controllerTable();
    rig.sim.controller.faults.noAnswer = true;
    EXPECT_FALSE(rig.ops.load());
    EXPECT_FALSE(rig.ops.send());
    EXPECT_EQ(rig.ops.table(), before);
    EXPECT_EQ(rig.controllerTable(), held);
    ASSERT_EQ(rig.sim.ui.messages.size(), 2);
    for (const auto& m : rig.sim.ui.messages) {
        EXPECT_EQ(m.brief(), "[Error] Communication Error.");
        EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    }
}

TEST(RoutingTableWindowLogic, AShortReplyShowsZerosNotAnEarlierReply) {
    RoutingRig rig(RoutingMode::MainPanel);
    rig.sim.buffers.ReplyBuffer.fill(0x77);
    rig.sim.controller.poke({50, 0, 21}, QByteArray(10, char(1)));
    rig.ops.open();
    EXPECT_EQ(rig.ops.table().rows[0].ip, "1.1.1.1");
    EXPECT_EQ(rig.ops.table().rows[1].ip, "0.0.0.0");
    EXPECT_EQ(rig.ops.table().mtu, "0");
}

TEST(RoutingTableWindowLogic, ClearShowsTheEmptyTableOfTheModeAndSendsNothing) {
    RoutingRig lan(RoutingMode::Lan);
    lan.ops.open();
    const int served = lan.sim.controller.requestsServed();
    lan.ops.clear();
    EXPECT_EQ(lan.sim.controller.requestsServed(), served);
    const RoutingPageView v = lan.ops.pageView();
    EXPECT_EQ(v.rows[0].ip, "255.255.255.255");
    EXPECT_EQ(v.rows[0].mac, "FF-FF-FF-FF-FF-FF");
    EXPECT_EQ(v.rows[0].intervalIndex, -1);
    EXPECT_FALSE(v.rows[0].checkEnabled);
    EXPECT_EQ(v.mtu, "65535");

    RoutingRig main(RoutingMode::MainPanel);
    main.ops.open();
    main.ops.clear();
    EXPECT_EQ(main.ops.table().rows[5].ip, "0.0.0.0");
    EXPECT_EQ(main.ops.table().rows[5].mac, "00-00-00-00-00-00");
    EXPECT_EQ(main.ops.table().mtu, "0");
}

TEST(RoutingTableWindowLogic, PagingShowsFourSlotsAndHidesThoseThatDoNotExist) {
    struct Case {
        RoutingMode mode;
        std::array<const char*, 4> lastLabels;
        std::array<bool, 4> lastShown;
    };
    for (const Case& c :
         {Case{RoutingMode::Lan, {"125", "", "", ""}, {true, false, false, false}},
          Case{RoutingMode::MainPanel, {"123", "124", "125", ""}, {true, true, true, false}}}) {
        SCOPED_TRACE(routingModeName(c.mode).toStdString());
        RoutingRig rig(c.mode);
        rig.ops.open();
        rig.ops.step(-1);
        EXPECT_EQ(rig.ops.page(), 0);
        rig.ops.step(+1);
        EXPECT_EQ(rig.ops.pageView().rows[0].label, c.mode == RoutingMode::Lan ? "5" : "3");
        for (int i = 0; i < 40; ++i)
            rig.ops.step(+1);
        const RoutingPageView v = rig.ops.pageView();
        EXPECT_EQ(v.page, 31);
        // On the last main panel page, slot 127 has no label and is hidden.
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(v.rows[i].shown, c.lastShown[i]) << i;
            if (c.lastShown[i]) {
                EXPECT_EQ(v.rows[i].label, c.lastLabels[i]) << i;
            }
        }
        EXPECT_EQ(v.macEnabled, c.mode == RoutingMode::Lan);
        EXPECT_EQ(v.lanColumnsEnabled, c.mode == RoutingMode::Lan);
    }
}

TEST(RoutingTableWindowLogic, FieldHandlersStoreIntoTheRowOfTheVisiblePage) {
    RoutingRig rig(RoutingMode::Lan);
    rig.ops.open();
    rig.ops.step(+1); // controllers 5..8
    rig.ops.broadcastClicked(1, true);
    EXPECT_TRUE(rig.ops.table().rows[5].broadcast);
    EXPECT_EQ(rig.ops.broadcastCount(), 1);

    // An address that cannot be a server loses the mark and its box.
    rig.ops.ipChanged(1, QStringLiteral("0.0.0.0"));
    EXPECT_FALSE(rig.ops.table().rows[5].broadcast);
    EXPECT_FALSE(rig.ops.pageView().rows[1].checkEnabled);
    EXPECT_EQ(rig.ops.broadcastCount(), 0);
    rig.ops.ipChanged(1, QStringLiteral("10.0.0.6"));
    EXPECT_TRUE(rig.ops.pageView().rows[1].checkEnabled);

    EXPECT_EQ(rig.ops.macLeft(2, QStringLiteral("1:2:3")), "01-02-03-00-00-00");
    EXPECT_EQ(rig.ops.table().rows[6].mac, "01-02-03-00-00-00");
    rig.ops.gatewayChanged(3, QStringLiteral("10.0.0.254"));
    EXPECT_EQ(rig.ops.table().rows[7].gateway, "10.0.0.254");
    rig.ops.intervalSelected(0, 7);
    EXPECT_EQ(rig.ops.table().rows[4].intervalMs, 60000);
    EXPECT_EQ(rig.ops.pageView().rows[0].intervalIndex, 7);
}

TEST(RoutingTableWindowLogic, TheSeventeenthServerIsWarnedOfButStaysMarked) {
    RoutingRig rig(RoutingMode::Lan);
    rig.ops.open();
    for (int page = 0; page < 5; ++page) {
        for (int row = 0; row < 4 && rig.ops.broadcastCount() < 17; ++row)
            rig.ops.broadcastClicked(row, true);
        rig.ops.step(+1);
    }
    EXPECT_EQ(rig.ops.broadcastCount(), 17);
    EXPECT_TRUE(rig.ops.table().rows[16].broadcast);
    ASSERT_EQ(rig.sim.ui.messages.size(), 1);
    EXPECT_EQ(rig.sim.ui.messages[0].brief(),
              "[Warning!] Maximum Of 16 Broadcast Servers Are Allowed.");
    EXPECT_EQ(rig.sim.ui.messages[0].icon, MessageIcon::Exclamation);

    // Send lists the first sixteen and leaves the last out without a word.
    ASSERT_TRUE(rig.ops.send());
    const QByteArray kept = rig.controllerTable();
    EXPECT_EQ(kept.mid(2024, 4), QByteArray("\xC0\xA8\x01\x01"));
    EXPECT_EQ(kept.mid(2084, 4), QByteArray("\xC0\xA8\x01\x10"));
}

} // namespace
} // namespace vtl::test
