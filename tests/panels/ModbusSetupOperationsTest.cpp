#include "panels/ModbusSetupOperations.h"
#include "tests/panels/SubPanelRig.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::subPanel;
using test::SubPanelRig;

const sim::RecordKey ModbusKey{50, 0, 110};

ModbusView view(bool ascii, const char* baud, const char* data) {
    return {ascii, QString::fromLatin1(baud), QString::fromLatin1(data)};
}

TEST(ModbusSettingsRules, RecordToControlsAndBack) {
    // OK pressed at once writes back what was read, "???" and odd mode bytes included.
    struct Row {
        ModbusBytes read;
        ModbusView shown;
    };
    for (const Row& r : {
             Row{{1, 0, 52, 2}, view(true, "9600", "E-7-1")},
             Row{{0, 1, 52, 0}, view(false, "???", "N-8-1")},
             Row{{0, 0, 208, 19}, view(false, "2400", "O-8-1")},
             Row{{7, 0, 13, 3}, view(true, "38400", "O-7-1")},
             Row{{0, 0, 26, 18}, view(false, "19200", "E-8-1")},
             Row{{0, 0, 0, 0}, view(false, "???", "N-8-1")},
             Row{{1, 0, 99, 77}, view(true, "???", "???")},
         }) {
        SCOPED_TRACE(r.shown.baudText.toStdString() + " " + r.shown.dataText.toStdString());
        EXPECT_EQ(modbusViewOf(r.read), r.shown);
        EXPECT_EQ(modbusBytesOf(r.shown, r.read), r.read);
    }
}

TEST(ModbusSettingsRules, OnlyWhatTheUserChangedIsWritten) {
    struct Row {
        ModbusBytes read;
        ModbusView edited;
        ModbusBytes written;
    };
    for (const Row& r : {
             // A baud chosen replaces both divisor bytes; a format left at "???" stays as read.
             Row{{0, 1, 52, 77}, view(false, "9600", "???"), {0, 0, 52, 77}},
             Row{{1, 0, 99, 77}, view(true, "???", "E-7-1"), {1, 0, 99, 2}},
             // A change of mode is written as 0 or 1.
             Row{{7, 0, 13, 3}, view(false, "38400", "N-8-1"), {0, 0, 13, 0}},
             Row{{0, 0, 13, 0}, view(true, "38400", "E-7-1"), {1, 0, 13, 2}},
         }) {
        SCOPED_TRACE(r.edited.baudText.toStdString() + " " + r.edited.dataText.toStdString());
        EXPECT_EQ(modbusBytesOf(r.edited, r.read), r.written);
    }
}

struct ModbusWithSimulatedSubPanel : ::testing::Test {
    SubPanelRig rig{subPanel(sim::Model::Sub6000)};
    ModbusSetupOperations ops{rig.s.session};
    void SetUp() override { ASSERT_TRUE(rig.connect()); }
};

TEST_F(ModbusWithSimulatedSubPanel, ReadAndWriteEachReleaseTheBus) {
    rig.s.controller.poke(ModbusKey, QByteArray::fromHex("01003402"));
    ModbusView v;
    ASSERT_TRUE(ops.open(v));
    EXPECT_EQ(v, view(true, "9600", "E-7-1"));
    v.baudText = "38400";
    ASSERT_TRUE(ops.ok(v));
    EXPECT_EQ(rig.requests(), (QStringList{"5/50/0/110", "5/150/0/110 [01 00 0d 02]"}));
    EXPECT_EQ(rig.s.controller.framesNoted("release").size(), 2);
    EXPECT_EQ(rig.s.controller.peek(ModbusKey), QByteArray::fromHex("01000d02"));
    EXPECT_TRUE(rig.s.ui.messages.isEmpty());
    EXPECT_TRUE(rig.violations().isEmpty()) << qPrintable(rig.violations().join('\n'));
}

TEST_F(ModbusWithSimulatedSubPanel, AGivenUpReadShowsZeroesNotTheBytesOfTheFailedReply) {
    rig.s.controller.poke(ModbusKey, QByteArray::fromHex("01003402"));
    rig.s.controller.faults.corruptSum = true; // the bytes arrive, the exchange fails
    rig.s.ui.answer(MessageAnswer::Retry);
    ModbusView v = view(true, "19200", "O-7-1");
    EXPECT_FALSE(ops.open(v));
    EXPECT_EQ(rig.s.buffers.ReplyBuffer[0], 1); // left by the failed exchange
    EXPECT_EQ(v, view(false, "???", "N-8-1"));
    EXPECT_EQ(rig.s.ui.briefs(), QStringList(2, "[VTL] Problem Retrieving Modbus Configuration."));
    EXPECT_EQ(rig.s.ui.messages[1].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(rig.s.ui.messages[1].icon, MessageIcon::Exclamation);
}

TEST_F(ModbusWithSimulatedSubPanel, AGivenUpWriteAsksThenEnds) {
    ModbusView v;
    ASSERT_TRUE(ops.open(v));
    rig.s.controller.faults.noAnswer = true;
    rig.s.ui.answer(MessageAnswer::Retry);
    EXPECT_FALSE(ops.ok(view(false, "9600", "N-8-1")));
    EXPECT_EQ(rig.s.ui.briefs(), QStringList(2, "[VTL] Problem Writing Modbus Configuration."));
    EXPECT_EQ(rig.requests().size(), 3);
}

} // namespace
} // namespace vtl
