#include "lan/LanControllerOperations.h"
#include "lan/LanRates.h"
#include "tests/lan/LanRig.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::LanRig;
using test::richLanBlock;

// The bytes Send writes after the window read richLanBlock() and the user changed the controls.
struct SendCase {
    const char* name;
    sim::Model model;
    std::function<void(LanControllerView&)> edit;
    std::function<void(QByteArray&)> expect; // changes from the block read
};

void PrintTo(const SendCase& c, std::ostream* os) {
    *os << c.name;
}

class LanSend : public ::testing::TestWithParam<SendCase> {};

TEST_P(LanSend, WritesTheBlock) {
    const SendCase& c = GetParam();
    LanRig rig(c.model);
    rig.setSettings(richLanBlock());
    LanControllerOperations ops(rig.sim.session);
    LanControllerView view;
    ASSERT_TRUE(ops.load(view));
    if (c.edit) c.edit(view);
    // Whatever an earlier write left in the buffer must not reach the controller.
    rig.sim.buffers.TransferBuffer.fill(0xEE);
    ASSERT_TRUE(ops.send(view));
    QByteArray expected = richLanBlock();
    c.expect(expected);
    EXPECT_EQ(rig.settings().toHex(' '), expected.toHex(' '));
    EXPECT_EQ(rig.sim.ui.briefs(), QStringList{"[VTL] Configuration Sent"});
    EXPECT_TRUE(rig.sim.controller.violations().isEmpty())
        << rig.sim.controller.violations().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanSend,
    ::testing::Values(SendCase{"untouched", sim::Model::Lan490, {}, [](QByteArray&) {}},
                      SendCase{"cardsAndRates", sim::Model::Lan490,
                               [](LanControllerView& v) {
                                   v.cards[0] = "#1 Outputs";
                                   v.cards[1] = "#2 Unused";
                                   v.cards[2] = "#3 Inputs";
                                   v.mainNetwork = "57600";
                                   v.subLanB = "38400";
                                   v.bacnet = "460800";
                                   v.modem = false;
                                   v.lastPanel = false;
                               },
                               [](QByteArray& b) {
                                   b[0] = char(0x85);
                                   b[1] = char(
                                       0x7C); // the kind bits of unused cards 3..7 stay as read
                                   b[2] = 2;
                                   b[6] = 3;
                                   b[47] = char(0xB1);
                                   b[8] = 0;
                                   b[10] = 0;
                               }},
                      SendCase{"textsAndAddress", sim::Model::Lan490,
                               [](LanControllerView& v) {
                                   v.addressText = "300";
                                   v.modemString = QString(40, u'x');
                                   v.smtpText = "10.2.0.255";
                               },
                               [](QByteArray& b) {
                                   b[9] = 125;
                                   b.replace(11, 32, QByteArray(32, 'x'));
                                   b.replace(43, 4, QByteArray::fromHex("0a0200ff"));
                               }},
                      SendCase{"shortModemStringIsZeroPadded", sim::Model::Lan490,
                               [](LanControllerView& v) {
                                   v.modemString = "AT";
                                   v.addressText = "";
                               },
                               [](QByteArray& b) {
                                   b[9] = 1;
                                   b.replace(11, 4, QByteArray("AT\0\0", 4));
                               }},
                      SendCase{"captionsThatAreNoRate", sim::Model::Lan490,
                               [](LanControllerView& v) {
                                   v.computerB = "????";
                                   v.subLanA = "57600";
                                   v.subLanB = "57600";
                               },
                               [](QByteArray&) {}}, // each goes back as read
                      SendCase{"modeParity", sim::Model::Lan602,
                               [](LanControllerView& v) {
                                   v.subLanB = "Modbus";
                                   v.mainNetwork = "O-8-1";
                               },
                               [](QByteArray& b) {
                                   b[6] = 0;
                                   b[49] = 1;
                                   b[53] = 1;
                               }},
                      SendCase{"modeParityUnknownTexts", sim::Model::Lan602,
                               [](LanControllerView& v) {
                                   v.subLanB = "????";
                                   v.mainNetwork = "????";
                               },
                               [](QByteArray& b) { b[6] = 0; }}), // mode and parity as read
    [](const auto& row) { return std::string(row.param.name); });

TEST(LanSendEdges, UnknownBacnetCodeGoesBackUnchangedAndOneClickGives9600) {
    LanRig rig;
    QByteArray block = richLanBlock();
    block[47] = 0x20;
    block[5] = 2;
    rig.setSettings(block);
    LanControllerOperations ops(rig.sim.session);
    LanControllerView view;
    ASSERT_TRUE(ops.load(view));
    ASSERT_TRUE(ops.send(view));
    EXPECT_EQ(std::uint8_t(rig.settings()[47]), 0x20);
    // Sub LAN A at 57600, outside its list, shows "????" too and goes back as read.
    EXPECT_EQ(view.subLanA, "????");
    EXPECT_EQ(std::uint8_t(rig.settings()[5]), 2);

    EXPECT_EQ(view.bacnet, "????");
    view.bacnet = nextLanRate(LanRateList::Nine, view.bacnet);
    EXPECT_EQ(view.bacnet, "9600");
    ASSERT_TRUE(ops.send(view));
    EXPECT_EQ(std::uint8_t(rig.settings()[47]), 12);
}

TEST(LanSendEdges, ControllerAndConnectionMoveTogether) {
    LanRig rig;
    rig.setSettings(richLanBlock());
    auto& state = rig.sim.state;
    LanControllerOperations ops(rig.sim.session);
    LanControllerView view;
    ASSERT_TRUE(ops.load(view));
    view.computerA = "57600";
    view.addressText = "44";
    ASSERT_TRUE(ops.send(view));
    EXPECT_EQ(state.PanelAddress, 44u);
    EXPECT_EQ(state.BaudRate, 57600);
    EXPECT_EQ(rig.sim.controller.address(), 44);

    // The next exchanges reach it at its new rate.
    LanControllerView again;
    ASSERT_TRUE(ops.load(again));
    EXPECT_EQ(rig.sim.controller.lineRate(), 57600);
    EXPECT_EQ(again.computerA, "57600");
    EXPECT_EQ(again.addressText, "44");
}

TEST(LanSendEdges, AFailedSendChangesNothing) {
    LanRig rig;
    rig.setSettings(richLanBlock());
    LanControllerOperations ops(rig.sim.session);
    LanControllerView view;
    ASSERT_TRUE(ops.load(view));
    view.computerA = "57600";
    view.addressText = "44";
    rig.sim.controller.faults.dropAnswer = true;
    EXPECT_FALSE(ops.send(view));
    EXPECT_EQ(rig.sim.ui.briefs(), QStringList{"[Error ] Communication Error"});
    EXPECT_EQ(rig.sim.state.PanelAddress, 12u);
    EXPECT_EQ(rig.sim.state.BaudRate, 19200);
}

TEST(LanClear, CancelSendsNothingOkClearsTwiceAndAFailureStopsTheSecond) {
    struct Row {
        MessageAnswer answer;
        bool failFirst;
        int clears;
        QStringList messages;
    };
    const QString ask = "[WARNING!] This Will Completely Clear The Controller.\n\nProceed?";
    for (const Row& row :
         {Row{MessageAnswer::Cancel, false, 0, {ask}}, Row{MessageAnswer::Ok, false, 2, {ask}},
          Row{MessageAnswer::Ok, true, 1, {ask, "[Error] Communication Error"}}}) {
        LanRig rig;
        LanControllerOperations ops(rig.sim.session);
        LanControllerView view;
        ASSERT_TRUE(ops.load(view));
        rig.sim.ui.answer(row.answer);
        if (row.failFirst) rig.sim.controller.faults = {.dropAnswer = true, .count = 1};
        EXPECT_EQ(ops.clear(), row.clears == 2);
        EXPECT_EQ(rig.requestsWithCommand(128), row.clears);
        EXPECT_EQ(rig.sim.ui.briefs(), row.messages);
        EXPECT_EQ(rig.sim.ui.messages.first().icon, MessageIcon::Question);
    }
}

} // namespace
} // namespace vtl
