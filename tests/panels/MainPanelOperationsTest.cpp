#include "panels/MainPanelOperations.h"
#include "link/ConnectionState.h"
#include "tests/panels/ScriptedMainPanel.h"
#include "tests/support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::ScriptedMainPanel;

// The snapshot before a write is the history tests' business.
bool keepNoSnapshot(const PlannedWrite&) {
    return true;
}

struct MainPanelOps : ::testing::Test {
    ConnectionState state;
    TransferBuffers buffers;
    VirtualClock clock{1'000'000};
    test::ScriptedUserInterface ui;
    MainPanelMemory memory;
    ScriptedMainPanel panel{buffers, clock};
    MainPanelOperations ops{state, buffers, clock, ui, panel.exchange(), keepNoSnapshot, memory};
    MainPanelView view;

    void SetUp() override {
        state.PanelAddress = 9;
        state.BaudRate = 9600;
        state.PanelTypeCode = 123;
    }
    QByteArray sentSettings() const { return panel.written(49); }
    QString request(std::size_t i) const {
        const auto& c = panel.calls.at(i);
        return QStringLiteral("%1/%2/%3/%4/%5 len %6")
            .arg(c.panel)
            .arg(c.network)
            .arg(c.command)
            .arg(c.point)
            .arg(c.table)
            .arg(c.transferLength);
    }
};

TEST_F(MainPanelOps, OpenShowsFirmwareAndEverythingRead) {
    ops.open(view);
    ASSERT_EQ(panel.calls.size(), 2u);
    EXPECT_EQ(request(0), "127/0/38/49/0 len 0");
    EXPECT_EQ(request(1), "127/0/38/31/252 len 0");
    EXPECT_TRUE(ui.messages.isEmpty());

    EXPECT_EQ(view.firmwareLine, "Firmware version : 1.23");
    EXPECT_EQ(view.addressText, "5");
    EXPECT_FALSE(view.lastPanel);
    EXPECT_EQ(view.inCards, 3);
    EXPECT_EQ(view.outCards, 2);
    EXPECT_EQ((std::vector<QString>(view.baudTexts.begin(), view.baudTexts.end())),
              (std::vector<QString>{"19200", "9600", "4800", "9600", "115200"}));
    EXPECT_EQ(view.portDRole, "Local");
    EXPECT_EQ(view.portERole, "Local");
    EXPECT_EQ(state.PanelAddress, 5u);
    EXPECT_EQ(memory.passwordText(), "Hello!");
    EXPECT_EQ(memory.modemStringText(), QString(32, u'M'));
    EXPECT_EQ(memory.ModemStringField[32], 0);

    state.PanelTypeCode = 607;
    ops.open(view);
    EXPECT_EQ(view.firmwareLine, "Firmware version : 6.07");
}

TEST_F(MainPanelOps, OddReportedValuesShowAsUnknownAndGoBackAsRead) {
    // 9 input cards, Port C at 57600 (not one of its rates), roles 8.
    panel.settings = QByteArray::fromHex("090106060203010501080000000000000000");
    view.baudTexts[2] = "2400";
    view.portDRole = "McQuay";
    view.portERole = "Main";
    ASSERT_TRUE(ops.load(view));
    EXPECT_EQ(view.inCards, -1);
    EXPECT_EQ(view.outCards, 1);
    EXPECT_TRUE(view.lastPanel);
    EXPECT_EQ(view.baudTexts[2], "????");
    EXPECT_EQ(view.baudTexts[3], "38400");
    EXPECT_EQ(view.portDRole, "????");
    EXPECT_EQ(view.portERole, "????");

    // Send refuses until an entry is chosen.
    panel.calls.clear();
    EXPECT_FALSE(ops.send(view));
    EXPECT_TRUE(panel.calls.empty());
    view.inCards = 0;
    ASSERT_TRUE(ops.send(view));
    // Port C and the roles go back as read.
    EXPECT_EQ(sentSettings().toHex(), "00010606020301050108"
                                      "0000000000000000");
    // A press on "????" starts the button's cycle.
    EXPECT_EQ(nextInCycle(baudCycle(MainPort::PortC), view.baudTexts[2]), "1200");
    EXPECT_EQ(nextInCycle(portDRoleCycle(), view.portDRole), "Sub B");
}

TEST_F(MainPanelOps, CardCheck) {
    ops.load(view);
    struct Row {
        int in, out;
        bool accepted;
    };
    for (const Row row : {Row{5, 4, false}, Row{4, 4, true}, Row{8, 0, true}, Row{0, 9, false},
                          Row{0, -1, false}}) {
        SCOPED_TRACE(std::to_string(row.in) + "+" + std::to_string(row.out));
        panel.calls.clear();
        ui.messages.clear();
        view.inCards = row.in;
        view.outCards = row.out;
        EXPECT_EQ(ops.send(view), row.accepted);
        if (row.accepted) {
            EXPECT_EQ(panel.calls.size(), 2u);
            EXPECT_EQ(sentSettings()[0], char(row.in));
            EXPECT_EQ(sentSettings()[1], char(row.out));
            EXPECT_EQ(ui.briefs(), QStringList{"[VTL] Configuration Sent"});
        } else {
            EXPECT_TRUE(panel.calls.empty());
            ASSERT_EQ(ui.messages.size(), 1);
            EXPECT_EQ(ui.messages[0].brief(),
                      "[Configuration Error] The total number of I/O cards may not exceed 8.");
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Stop);
        }
    }
}

TEST_F(MainPanelOps, SendWritesModemStringWaitsThenSettingsToTheOldAddress) {
    ops.load(view);
    panel.calls.clear();
    view.addressText = "200";
    view.lastPanel = true;
    view.baudTexts = {"38400", "57600", "1200", "2400", "115200"};
    view.portDRole = "McQuay";
    view.portERole = "Main";
    const auto before = clock.nowUs();
    ASSERT_TRUE(ops.send(view));

    ASSERT_EQ(panel.calls.size(), 2u);
    EXPECT_EQ(request(0), "5/0/138/31/252 len 32");
    EXPECT_EQ(panel.calls[0].sent, QByteArray(32, 'M'));
    EXPECT_EQ(request(1), "5/0/138/49/0 len 18");
    EXPECT_EQ(panel.calls[1].atUs - panel.calls[0].atUs, 2'000'000);
    EXPECT_EQ(panel.calls[0].atUs, before);
    EXPECT_EQ(sentSettings().toHex(), "03020302603001"
                                      "7d0105"
                                      "48656c6c6f210000");
    EXPECT_EQ(ui.briefs(), QStringList{"[VTL] Configuration Sent"});
    EXPECT_EQ(state.PanelAddress, 125u);
    EXPECT_EQ(state.BaudRate, 38400);
}

TEST_F(MainPanelOps, AddressClampedAtSend) {
    ops.load(view);
    for (const auto& [text, expected] : std::vector<std::pair<QString, int>>{
             {"0", 1}, {"", 1}, {"xy", 1}, {"200", 125}, {"17", 17}}) {
        view.addressText = text;
        ops.send(view);
        EXPECT_EQ(std::uint8_t(sentSettings()[7]), expected) << text.toStdString();
        EXPECT_EQ(state.PanelAddress, std::uint32_t(expected));
    }
}

TEST_F(MainPanelOps, ShortPasswordKeepsOldBytesBehindItsZero) {
    ops.load(view); // "Hello!" and two zero bytes
    memory.setPasswordText("abc");
    ops.send(view);
    EXPECT_EQ(sentSettings().mid(10).toHex(), "616263"
                                              "00"
                                              "6f210000");
}

TEST_F(MainPanelOps, AModemStringNeverReadIsNotSentUntilEntered) {
    // Another window's string is still remembered.
    memory.setModemStringText("ATDT5551234");
    panel.failingCommands = {38};
    panel.failingPoints = {31};
    ops.open(view);
    EXPECT_EQ(ui.briefs(), QStringList{"[Error] Communication Error"});
    EXPECT_EQ(state.PanelAddress, 5u); // the settings did arrive
    EXPECT_FALSE(memory.ModemStringKnown);
    ui.messages.clear();
    ASSERT_TRUE(ops.send(view));
    EXPECT_EQ(panel.written(31), QByteArray());
    EXPECT_EQ(panel.written(49).size(), 18);

    // Entered, it is meant; the other window's bytes after it do not go along.
    memory.setModemStringText("ATZ");
    ops.send(view);
    EXPECT_EQ(panel.written(31), QByteArray("ATZ") + QByteArray(29, '\0'));
}

TEST_F(MainPanelOps, FailedSettingsReadChangesNothing) {
    ops.load(view);
    const auto viewBefore = view;
    const auto memoryBefore = memory.Settings;
    panel.failingCommands = {38};
    panel.settings = QByteArray(18, '\x01');
    state.PanelAddress = 44;
    ui.messages.clear();
    EXPECT_FALSE(ops.load(view));
    EXPECT_EQ(panel.calls.size(), 3u); // no modem read after it
    EXPECT_EQ(ui.briefs(), QStringList{"[Error] Communication Error"});
    EXPECT_EQ(view, viewBefore);
    EXPECT_EQ(memory.Settings, memoryBefore);
    EXPECT_EQ(state.PanelAddress, 44u);
}

TEST_F(MainPanelOps, ShortRepliesBringNoStaleBytes) {
    ops.load(view);
    const auto viewBefore = view;
    panel.settings = QByteArray::fromHex("0101060606060609"); // 8 of 18 bytes
    panel.modemString = "ATZ";
    ui.messages.clear();
    EXPECT_FALSE(ops.load(view));
    EXPECT_EQ(ui.briefs(), QStringList{"[Error] Communication Error"});
    EXPECT_EQ(view, viewBefore);
    EXPECT_EQ(state.PanelAddress, 5u);

    panel.settings = QByteArray::fromHex("0302060c180c0105000348656c6c6f210000");
    ASSERT_TRUE(ops.load(view));
    EXPECT_EQ(memory.modemStringText(), "ATZ");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(memory.ModemStringField.data()), 33),
              QByteArray("ATZ") + QByteArray(30, '\0'));
}

TEST_F(MainPanelOps, FailedSettingsWriteStillMovesAddressAndRate) {
    ops.load(view);
    panel.failingCommands = {138};
    panel.failingPoints = {49};
    view.addressText = "33";
    view.baudTexts[0] = "57600";
    ui.messages.clear();
    EXPECT_FALSE(ops.send(view));
    EXPECT_EQ(ui.briefs(), QStringList{"[Error ] Communication Error"});
    EXPECT_EQ(panel.calls.back().panel, 5); // tried at the old address
    EXPECT_EQ(state.PanelAddress, 33u);
    EXPECT_EQ(state.BaudRate, 57600);
}

TEST_F(MainPanelOps, FailedModemWriteStopsWithConnectionUnchanged) {
    ops.load(view);
    panel.calls.clear();
    panel.failingCommands = {138};
    panel.failingPoints = {31};
    view.addressText = "33";
    view.baudTexts[0] = "57600";
    ui.messages.clear();
    const auto before = clock.nowUs();
    EXPECT_FALSE(ops.send(view));
    EXPECT_EQ(panel.calls.size(), 1u);
    EXPECT_EQ(ui.briefs(), QStringList{"[Error ] Communication Error"});
    EXPECT_EQ(state.PanelAddress, 5u);
    EXPECT_EQ(state.BaudRate, 9600);
    EXPECT_EQ(clock.nowUs(), before); // no pause either
}

TEST_F(MainPanelOps, ClearAsksThenWipes) {
    ops.load(view);
    panel.calls.clear();
    EXPECT_FALSE(ops.clear()); // the script answers Cancel
    EXPECT_TRUE(panel.calls.empty());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, "This Will Completely Clear The Controller.\n\nProceed?");
    EXPECT_EQ(ui.messages[0].caption, "WARNING!");
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Question);

    buffers.TransferLength = 77;
    ui.answer(MessageAnswer::Ok);
    EXPECT_TRUE(ops.clear());
    ASSERT_EQ(panel.calls.size(), 1u);
    EXPECT_EQ(request(0), "5/0/128/0/0 len 0");
    EXPECT_EQ(ui.messages.size(), 2);

    panel.failingCommands = {128};
    ui.answer(MessageAnswer::Ok);
    EXPECT_FALSE(ops.clear());
    EXPECT_EQ(ui.messages.last().brief(), "[Error] Communication Error");
}

} // namespace
} // namespace vtl
