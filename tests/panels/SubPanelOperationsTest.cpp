#include "panels/SubPanelOperations.h"
#include "panels/SubPanelSettings.h"
#include "tests/panels/SubPanelRig.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using sim::Model;
using test::subPanel;
using test::SubPanelRig;

const sim::RecordKey CompatibilityKey{50, 0, 104};

#define EXPECT_NO_VIOLATION(rig)                                                                   \
    EXPECT_TRUE((rig).violations().isEmpty()) << qPrintable((rig).violations().join('\n'))

TEST(SubPanelSettingsRules, AddressAndSettingsByte) {
    const QStringList texts{"7", "124", "125", "300", "0", "", "ab", "-3", " 12 "};
    const std::vector<int> addresses{7, 124, 124, 124, 1, 1, 1, 1, 12};
    for (qsizetype i = 0; i < texts.size(); ++i)
        EXPECT_EQ(clampSubPanelAddress(texts[i]), addresses[std::size_t(i)])
            << texts[i].toStdString();
    struct Row {
        const char* baud;
        bool lastPanel;
        std::uint8_t byte;
    };
    for (const Row& r : {Row{"38400", true, 0x34}, Row{"19200", false, 0x00},
                         Row{"1200", true, 0x30}, Row{"9600", false, 0x04}}) {
        const auto code = subLineBaudCodeForText(QString::fromLatin1(r.baud));
        ASSERT_TRUE(code) << r.baud;
        EXPECT_EQ(subPanelSettingsByte(*code, r.lastPanel), r.byte) << r.baud;
        EXPECT_EQ(subLineBaudRate(*code), QByteArray(r.baud).toInt());
    }
    EXPECT_EQ(subLineBaudRate(7), 38400);
}

TEST(SubPanelWindowLogic, OpeningShowsWhatEachModelOffers) {
    struct Row {
        Model model;
        int status; // -1: the model's own
        bool kestrom, modbus;
    };
    for (const Row& r :
         {Row{Model::Sub3000, -1, false, false}, Row{Model::Sub4000, -1, true, false},
          Row{Model::Sub5000, -1, false, false}, Row{Model::Sub6000, -1, false, true},
          Row{Model::Sub7000, -1, true, false}, Row{Model::Sub3000, 0xC0, false, false},
          Row{Model::Sub3000, 0xC2, false, false}}) {
        SCOPED_TRACE(sim::modelName(r.model).toStdString() + " status " + std::to_string(r.status));
        auto options = subPanel(r.model, 17, 38400);
        options.statusByte = r.status;
        SubPanelRig rig(options);
        rig.s.controller.poke(CompatibilityKey, QByteArray(1, 1));
        ASSERT_TRUE(rig.connect());
        rig.ops.open(rig.view);
        EXPECT_EQ(rig.view.addressText, "17");
        EXPECT_EQ(rig.view.baudText, "38400");
        EXPECT_FALSE(rig.view.lastPanel);
        EXPECT_EQ(rig.view.kestromShown, r.kestrom);
        EXPECT_EQ(rig.view.kestromCompatible, r.kestrom);
        EXPECT_EQ(rig.view.modbusShown, r.modbus);
        EXPECT_EQ(rig.requests(),
                  r.kestrom ? QStringList{"17/50/0/104"} : QStringList{}); // and nothing else
        EXPECT_TRUE(rig.s.ui.messages.isEmpty());
        EXPECT_NO_VIOLATION(rig);
    }
}

TEST(SubPanelWindowLogic, AGivenUpCompatibilityReadLeavesTheBoxClear) {
    SubPanelRig rig(subPanel(Model::Sub4000));
    rig.s.controller.poke(CompatibilityKey, QByteArray(1, 1));
    ASSERT_TRUE(rig.connect());
    // The byte arrives, its sum does not: the reply buffer holds the 1 of a failed exchange.
    rig.s.controller.faults.corruptSum = true;
    rig.s.ui.answer(MessageAnswer::Retry);
    rig.ops.open(rig.view);
    EXPECT_EQ(rig.s.buffers.ReplyBuffer[0], 1);
    EXPECT_TRUE(rig.view.kestromShown);
    EXPECT_FALSE(rig.view.kestromCompatible);
    EXPECT_EQ(rig.s.ui.briefs(), QStringList(2, "[VTL] Problem Retrieving Panel Information."));
    EXPECT_EQ(rig.s.ui.messages[0].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(rig.s.ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(rig.requests().size(), 2);
}

TEST(SubPanelWindowLogic, SendWritesInOrderAndFollowsTheController) {
    SubPanelRig rig(subPanel(Model::Sub4000, 5, 19200));
    ASSERT_TRUE(rig.connect());
    rig.ops.open(rig.view);
    rig.forget();
    rig.view.addressText = "200";
    rig.view.baudText = "38400";
    rig.view.lastPanel = true;
    rig.view.kestromCompatible = true;
    ASSERT_TRUE(rig.ops.send(rig.view));
    EXPECT_EQ(rig.requests(),
              (QStringList{"254/138/0/0 [00]", "5/124/249/120 [57 00]", "254/124/82/121 [9c 06]",
                           "5/150/0/104 [01]", "254/126/124/52 []"})); // 0x34: 38400, Last Panel
    // 100 ms between the end of one write's answer and the next request at least.
    const auto frames = rig.s.controller.frames();
    std::int64_t lastAck = -1;
    for (const auto& f : frames) {
        if (f.note == "write ack") lastAck = f.endUs;
        if (f.note == "request" && lastAck >= 0) {
            EXPECT_GE(f.timeUs - lastAck, 100'000);
        }
    }
    EXPECT_EQ(rig.s.ui.briefs(), QStringList{"[VTL] Configuration Sent"});
    EXPECT_EQ(rig.s.ui.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(rig.s.state.PanelAddress, 124u);
    EXPECT_EQ(rig.s.state.BaudRate, 38400);
    EXPECT_EQ(rig.s.state.LinkMode, LinkModeSubLan);
    EXPECT_EQ(rig.s.controller.peek(CompatibilityKey), QByteArray(1, 1));
    EXPECT_EQ(rig.memory.LastBaudCode, 5);
    EXPECT_TRUE(rig.ops.compatibilityWritten());

    // Load finds the controller where it was sent.
    SubPanelView again;
    ASSERT_TRUE(rig.ops.load(again));
    EXPECT_EQ(again.addressText, "124");
    EXPECT_EQ(again.baudText, "38400");
    EXPECT_TRUE(again.lastPanel);
    EXPECT_TRUE(again.kestromCompatible);
    EXPECT_EQ(rig.s.controller.lineRate(), 38400);
    EXPECT_EQ(rig.s.ui.briefs(), QStringList{"[VTL] Configuration Sent"});
    EXPECT_NO_VIOLATION(rig);
}

TEST(SubPanelWindowLogic, SendWithoutKestromAndWithSlowRateKept) {
    SubPanelRig rig(subPanel(Model::Sub3000, 5, 19200));
    ASSERT_TRUE(rig.connect());
    rig.ops.open(rig.view);
    rig.view.baudText = "1200"; // a slower rate shown from the controller, never pressed
    rig.view.lastPanel = true;
    rig.view.addressText = "x";
    ASSERT_TRUE(rig.ops.send(rig.view));
    EXPECT_EQ(rig.requests(), (QStringList{"254/138/0/0 [00]", "5/124/249/120 [57 00]",
                                           "254/124/82/121 [9c 06]", "254/126/1/48 []"})); // 0x30
    EXPECT_EQ(rig.s.state.BaudRate, 1200);
    EXPECT_EQ(rig.s.state.PanelAddress, 1u);
    EXPECT_NO_VIOLATION(rig);
}

TEST(SubPanelWindowLogic, CancelOnTheCompatibilityWriteStillSendsAddressAndBaud) {
    SubPanelRig rig(subPanel(Model::Sub7000, 5, 19200));
    ASSERT_TRUE(rig.connect());
    rig.ops.open(rig.view);
    rig.forget();
    // The three fixed writes and the compatibility write go unanswered; nobody hears of the first
    // three.
    rig.s.controller.faults.noAnswer = true;
    rig.s.controller.faults.count = 4;
    rig.view.baudText = "19200";
    ASSERT_TRUE(rig.ops.send(rig.view));
    EXPECT_EQ(rig.requests().size(), 5);
    EXPECT_EQ(rig.requests().last(), "254/126/5/0 []");
    EXPECT_EQ(rig.s.ui.briefs(),
              (QStringList{"[VTL] Problem Sending Panel Setting.", "[VTL] Configuration Sent"}));
    EXPECT_EQ(rig.s.ui.messages[0].buttons, MessageButtons::RetryCancel);
    EXPECT_FALSE(rig.ops.compatibilityWritten());
    EXPECT_NO_VIOLATION(rig);
}

TEST(SubPanelWindowLogic, AFailedAddressWriteLeavesTheConnectionAlone) {
    SubPanelRig rig(subPanel(Model::Sub3000, 5, 19200));
    ASSERT_TRUE(rig.connect());
    rig.ops.open(rig.view);
    rig.s.controller.faults.noAnswer = true;
    rig.view.addressText = "9";
    rig.view.baudText = "9600";
    EXPECT_FALSE(rig.ops.send(rig.view));
    EXPECT_EQ(rig.s.ui.briefs(), QStringList{"[Error] Communication Error"});
    EXPECT_EQ(rig.s.ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(rig.s.state.PanelAddress, 5u);
    EXPECT_EQ(rig.s.state.BaudRate, 19200);
    EXPECT_EQ(rig.s.controller.address(), 5);
}

TEST(SubPanelWindowLogic, TheDisconnectionCheckStopsSendAndClearBeforeAnyWrite) {
    struct Row {
        int secondStation;
        std::int32_t pcRate; // the PC listening at another rate hears nothing usable
        const char* brief;
    };
    for (const Row& r :
         {Row{7, 19200, "[Error] Controller Does Not Appear To Be Disconnected From The Network!"},
          Row{0, 9600, "[VTL] Communication Error."}}) {
        for (const bool clear : {false, true}) {
            SCOPED_TRACE(std::string(r.brief) + (clear ? " clear" : " send"));
            auto options = subPanel(Model::Sub3000, 5, 19200);
            options.secondStation = r.secondStation;
            SubPanelRig rig(options);
            rig.s.state.PanelAddress = 5;
            rig.s.state.BaudRate = 19200;
            ASSERT_TRUE(rig.s.connectSub());
            rig.s.state.BaudRate = r.pcRate;
            rig.view.addressText = "5";
            if (clear) rig.s.ui.answer(MessageAnswer::Ok);
            EXPECT_FALSE(clear ? rig.ops.clear() : rig.ops.send(rig.view));
            EXPECT_TRUE(rig.requests().isEmpty()) << qPrintable(rig.requests().join('\n'));
            ASSERT_FALSE(rig.s.ui.messages.isEmpty());
            EXPECT_EQ(rig.s.ui.messages.last().brief(), r.brief);
            EXPECT_EQ(rig.s.ui.messages.last().icon, MessageIcon::Stop);
            EXPECT_EQ(rig.s.controller.memory().cleared(), false);
        }
    }
}

TEST(SubPanelWindowLogic, ClearAsksThenWipesAndWritesTheDescriptorSize) {
    SubPanelRig rig(subPanel(Model::Sub5000, 8, 9600));
    ASSERT_TRUE(rig.connect());
    EXPECT_FALSE(rig.ops.clear()); // the scripted user cancels
    ASSERT_EQ(rig.s.ui.messages.size(), 1);
    const auto& ask = rig.s.ui.messages[0];
    EXPECT_EQ(ask.brief(), "[WARNING !] This Will Completely Clear The Controller.\n\nProceed?");
    EXPECT_EQ(ask.buttons, MessageButtons::OkCancel);
    EXPECT_EQ(ask.icon, MessageIcon::Question);
    EXPECT_TRUE(rig.requests().isEmpty());

    rig.s.ui.answer(MessageAnswer::Ok);
    ASSERT_TRUE(rig.ops.clear());
    EXPECT_EQ(rig.requests(), (QStringList{"254/128/0/0 []", "254/124/82/121 [9c 06]"}));
    EXPECT_TRUE(rig.s.controller.memory().cleared());
    EXPECT_EQ(rig.s.ui.messages.size(), 2);
    EXPECT_NO_VIOLATION(rig);
}

TEST(SubPanelWindowLogic, LoadStepsTheRateUntilTheControllerAnswers) {
    SubPanelRig rig(subPanel(Model::Sub3000, 5, 38400));
    ASSERT_TRUE(rig.connect());
    rig.s.state.BaudRate = 19200;
    ASSERT_TRUE(rig.ops.load(rig.view));
    EXPECT_EQ(rig.s.state.BaudRate, 38400);
    EXPECT_EQ(rig.view.baudText, "38400");
    EXPECT_TRUE(rig.s.ui.messages.isEmpty());
    EXPECT_EQ(rig.requests(), (QStringList{"254/26/0/0", "5/38/0/0"}));
    EXPECT_NO_VIOLATION(rig);
}

TEST(SubPanelWindowLogic, LoadGivesUpAfterThreeRatesAndKeepsTheLastOne) {
    SubPanelRig rig(subPanel(Model::Sub3000, 5, 2400));
    rig.s.state.BaudRate = 38400;
    rig.s.state.PollPending = 1;
    rig.view.addressText = "44";
    EXPECT_FALSE(rig.ops.load(rig.view));
    EXPECT_EQ(rig.s.state.BaudRate, 9600);
    EXPECT_EQ(rig.s.ui.briefs(), QStringList{"[Error] Communication Error."});
    EXPECT_EQ(rig.s.ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(rig.view.addressText, "44");
}

} // namespace
} // namespace vtl
