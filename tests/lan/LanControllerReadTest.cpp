#include "lan/LanControllerOperations.h"
#include "tests/lan/LanRig.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::LanRig;
using test::richLanBlock;

struct ReadCase {
    const char* name;
    sim::Model model;
    int typeCode;
    std::function<void(QByteArray&)> change; // of richLanBlock()
    std::function<void(const LanControllerView&, const ConnectionState&)> check;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class LanRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(LanRead, ShowsTheBlock) {
    const ReadCase& c = GetParam();
    LanRig rig(c.model, c.typeCode);
    QByteArray block = richLanBlock();
    if (c.change) c.change(block);
    rig.setSettings(block);
    LanControllerOperations ops(rig.sim.session);
    LanControllerView view;
    ASSERT_TRUE(ops.load(view));
    EXPECT_TRUE(rig.sim.ui.messages.isEmpty()) << rig.sim.ui.briefs().join(u'\n').toStdString();
    c.check(view, rig.sim.state);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanRead,
    ::testing::Values(ReadCase{"lan490",
                               sim::Model::Lan490,
                               -1,
                               {},
                               [](const LanControllerView& v, const ConnectionState& s) {
                                   EXPECT_EQ(v.form, LanForm::Lan);
                                   EXPECT_EQ(v.firmwareLine, "Firmware version : 4.90");
                                   EXPECT_EQ(
                                       (std::vector<QString>(v.cards.begin(), v.cards.end())),
                                       (std::vector<QString>{"#1 Inputs", "#2 Outputs", "#3 Unused",
                                                             "#4 Unused", "#5 Unused", "#6 Unused",
                                                             "#7 Unused", "#8 Outputs"}));
                                   EXPECT_EQ(v.mainNetwork, "9600");
                                   EXPECT_EQ(v.computerA, "38400");
                                   EXPECT_EQ(v.computerB, "115200");
                                   EXPECT_EQ(v.subLanA, "4800");
                                   EXPECT_EQ(v.subLanB, "19200");
                                   EXPECT_EQ(v.hiddenRate, "2400");
                                   EXPECT_EQ(v.bacnet, "76800");
                                   EXPECT_TRUE(v.modem);
                                   EXPECT_EQ(v.addressText, "12");
                                   EXPECT_TRUE(v.lastPanel);
                                   EXPECT_EQ(v.modemString, "ATDT");
                                   EXPECT_EQ(v.smtpText, "10.1.2.3");
                                   EXPECT_EQ(v.status, "");
                                   EXPECT_EQ(s.PanelAddress, 12u);
                               }},
                      ReadCase{"address0", sim::Model::Lan490, -1, [](QByteArray& b) { b[9] = 0; },
                               [](const LanControllerView& v, const ConnectionState& s) {
                                   EXPECT_EQ(v.addressText, "1");
                                   EXPECT_EQ(s.PanelAddress, 1u);
                               }},
                      ReadCase{"address200", sim::Model::Lan490, -1,
                               [](QByteArray& b) { b[9] = char(200); },
                               [](const LanControllerView& v, const ConnectionState& s) {
                                   EXPECT_EQ(v.addressText, "125");
                                   EXPECT_EQ(s.PanelAddress, 125u);
                               }},
                      ReadCase{"oddCodes", sim::Model::Lan490, -1,
                               [](QByteArray& b) {
                                   b[47] = 0x20; // no BACnet rate
                                   b[5] = 2;     // 57600: not a Sub LAN rate
                                   b[2] = 7;     // no rate at all
                                   b[10] = 0x02; // Last Panel is bit 0 only
                                   b[8] = 2;     // Modem is exactly 1
                                   b.replace(11, 32, QByteArray(32, 'M'));
                               },
                               [](const LanControllerView& v, const ConnectionState&) {
                                   // Every button shows a code outside its list alike.
                                   EXPECT_EQ(v.bacnet, "????");
                                   EXPECT_EQ(v.subLanA, "????");
                                   EXPECT_EQ(v.mainNetwork, "????");
                                   EXPECT_FALSE(v.lastPanel);
                                   EXPECT_FALSE(v.modem);
                                   EXPECT_EQ(v.modemString, QString(32, u'M'));
                               }},
                      ReadCase{"brinlet601",
                               sim::Model::Lan600,
                               601,
                               {},
                               [](const LanControllerView& v, const ConnectionState&) {
                                   EXPECT_EQ(v.form, LanForm::Brinlet);
                                   EXPECT_EQ(v.firmwareLine, "Firmware version : 6.01");
                                   EXPECT_EQ(v.mainNetwork, "9600");
                                   EXPECT_EQ(v.subLanB, "19200");
                               }},
                      ReadCase{"modeParity602", sim::Model::Lan602, -1,
                               [](QByteArray& b) {
                                   b[49] = 1;
                                   b[53] = 0;
                               },
                               [](const LanControllerView& v, const ConnectionState&) {
                                   EXPECT_EQ(v.form, LanForm::ModeParity);
                                   EXPECT_EQ(v.subLanB, "Modbus");
                                   EXPECT_EQ(v.mainNetwork, "E-8-1");
                               }},
                      ReadCase{"modeParityUnknown", sim::Model::Lan602, 650,
                               [](QByteArray& b) {
                                   b[49] = 2;
                                   b[53] = 3;
                               },
                               [](const LanControllerView& v, const ConnectionState&) {
                                   EXPECT_EQ(v.subLanB, "????");
                                   EXPECT_EQ(v.mainNetwork, "????");
                               }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(LanResultLine, OnlyAPrivilegedHundredByteReplyShowsIt) {
    struct Row {
        int size;
        bool privileged;
        QString status;
    };
    for (const Row& row :
         {Row{100, true, "Result: 16909060"}, Row{100, false, "before"}, Row{96, true, "before"}}) {
        LanRig rig;
        QByteArray block = richLanBlock();
        if (row.size == 100) block += QByteArray::fromHex("01020304");
        rig.setSettings(block);
        rig.sim.state.Privileged = row.privileged;
        LanControllerOperations ops(rig.sim.session);
        LanControllerView view;
        view.status = "before";
        ASSERT_TRUE(ops.load(view));
        EXPECT_EQ(view.status, row.status) << row.size << " " << row.privileged;
    }
}

TEST(LanReadFailure, KeepsTheFieldsAndTheAddressOfTheLastGoodRead) {
    LanRig rig;
    rig.setSettings(richLanBlock());
    LanControllerOperations ops(rig.sim.session);
    LanControllerView view;
    ASSERT_TRUE(ops.load(view));
    const LanControllerView shown = view;

    QByteArray other = richLanBlock();
    other[9] = 99;
    rig.setSettings(other);
    rig.sim.controller.faults.corruptSum = true;
    rig.sim.controller.faults.count = 1;
    EXPECT_FALSE(ops.load(view));
    EXPECT_EQ(rig.sim.ui.briefs(), QStringList{"[Error] Communication Error"});
    EXPECT_EQ(view, shown);
    EXPECT_EQ(rig.sim.state.PanelAddress, 12u);
    EXPECT_EQ(*ops.lastRead(), test::asBlock(richLanBlock()));
}

TEST(LanReadFailure, AWindowThatNeverReadCannotSend) {
    LanRig rig(sim::Model::Lan602);
    rig.sim.controller.faults.noAnswer = true;
    LanControllerOperations ops(rig.sim.session);
    LanControllerView view;
    EXPECT_FALSE(ops.load(view));
    // The form and the firmware line are shown all the same.
    EXPECT_EQ(view.form, LanForm::ModeParity);
    EXPECT_EQ(view.subLanB, "RZQ");
    EXPECT_EQ(view.mainNetwork, "N-8-1");
    EXPECT_EQ(view.firmwareLine, "Firmware version : 6.02");
    EXPECT_EQ(rig.sim.state.PanelAddress, 127u);
    EXPECT_FALSE(ops.canSend());
    rig.sim.controller.faults = {};
    EXPECT_FALSE(ops.send(view));
    EXPECT_EQ(rig.requestsWithCommand(138), 0);
}

TEST(LanReadFailure, AShortReplyIsAFailedRead) {
    LanRig rig;
    rig.setSettings(richLanBlock().left(54));
    LanControllerOperations ops(rig.sim.session);
    LanControllerView view;
    EXPECT_FALSE(ops.load(view));
    EXPECT_FALSE(ops.canSend());
    EXPECT_EQ(rig.sim.ui.briefs(), QStringList{"[Error] Communication Error"});
    EXPECT_EQ(rig.sim.ui.messages[0].detail, "a reply of 54 bytes, 96 expected");
}

} // namespace
} // namespace vtl
