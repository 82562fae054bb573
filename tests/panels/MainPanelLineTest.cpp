#include "link/ConnectionState.h"
#include "link/PipeTransport.h"
#include "link/Session.h"
#include "panels/MainPanelOperations.h"
#include "tests/panels/MainPanelLinePeer.h"
#include "tests/support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

// The window's operations through the real frame exchange to a main panel on an in-memory line.
struct MainPanelOverTheLine : ::testing::Test {
    ConnectionState state;
    TransferBuffers buffers;
    VirtualClock clock;
    test::ScriptedUserInterface ui;
    test::MainPanelLinePeer peer;
    Session session{state, buffers, clock, ui, [this](const QString&) {
                        return std::make_unique<PipeTransport>(peer, clock);
                    }};
    MainPanelMemory memory;
    MainPanelOperations ops{session, memory};
    MainPanelView view;

    void SetUp() override {
        state.PortName = QStringLiteral("line");
        state.LinkMode = LinkModeLan;
        state.BaudRate = 19200;
        state.PanelTypeCode = 412;
        peer.settings = QByteArray::fromHex("0404060c180c01070100"
                                            "50415353574f5244");
        peer.modemString = QByteArray("ATQ0V1E0") + QByteArray(24, '\0');
    }
};

TEST_F(MainPanelOverTheLine, OpenThenSendMovesTheConnection) {
    ops.open(view);
    ASSERT_TRUE(ui.messages.isEmpty()) << ui.briefs().join(u'\n').toStdString();
    EXPECT_EQ(view.firmwareLine, "Firmware version : 4.12");
    EXPECT_EQ(view.addressText, "7");
    EXPECT_EQ(memory.passwordText(), "PASSWORD");
    EXPECT_EQ(memory.modemStringText(), "ATQ0V1E0");
    EXPECT_EQ(state.PanelAddress, 7u);

    view.addressText = "12";
    view.baudTexts[0] = "38400";
    ASSERT_TRUE(ops.send(view));
    EXPECT_EQ(ui.briefs(), QStringList{"[VTL] Configuration Sent"});
    ASSERT_EQ(peer.requests.size(), 4u);
    const auto& modem = peer.requests[2];
    const auto& block = peer.requests[3];
    EXPECT_EQ((std::array{modem.panel, modem.command, modem.point, modem.table}),
              (std::array<std::uint8_t, 4>{7, 138, 31, 252}));
    EXPECT_EQ(modem.data, peer.modemString);
    EXPECT_EQ((std::array{block.panel, block.command, block.point, block.table}),
              (std::array<std::uint8_t, 4>{7, 138, 49, 0}));
    EXPECT_EQ(block.data.toHex(), "0404030c180c010c0100"
                                  "50415353574f5244");
    // The controller gets two seconds (and the exchange's own pause) between the two writes.
    EXPECT_GE(block.atUs - modem.atUs, 2'000'000);
    EXPECT_LT(block.atUs - modem.atUs, 2'500'000);
    EXPECT_EQ(block.lineRate, 19200);

    // The next exchange goes to the new address at the new rate.
    ui.answer(MessageAnswer::Ok);
    ASSERT_TRUE(ops.clear());
    EXPECT_EQ(peer.requests.back().panel, 12);
    EXPECT_EQ(peer.requests.back().command, 128);
    EXPECT_EQ(peer.requests.back().lineRate, 38400);
}

TEST_F(MainPanelOverTheLine, UnansweredModemWriteLeavesTheConnection) {
    ops.open(view);
    view.addressText = "99";
    peer.silentFor = {{138, 31}};
    EXPECT_FALSE(ops.send(view));
    EXPECT_EQ(ui.briefs(), QStringList{"[Error ] Communication Error"});
    EXPECT_EQ(peer.requests.size(), 3u); // no settings block after it
    EXPECT_EQ(state.PanelAddress, 7u);
    EXPECT_EQ(state.BaudRate, 19200);
}

TEST_F(MainPanelOverTheLine, UnansweredSettingsWriteStillMovesTheConnection) {
    ops.open(view);
    view.addressText = "99";
    view.baudTexts[0] = "9600";
    peer.silentFor = {{138, 49}};
    EXPECT_FALSE(ops.send(view));
    EXPECT_EQ(ui.briefs(), QStringList{"[Error ] Communication Error"});
    EXPECT_EQ(peer.requests.size(), 4u);
    EXPECT_EQ(state.PanelAddress, 99u);
    EXPECT_EQ(state.BaudRate, 9600);
}

} // namespace
} // namespace vtl
