#include "link/Connect.h"
#include "link/ListenForBaud.h"
#include "link/PipeTransport.h"
#include "tests/link/ScriptedLinePeer.h"
#include "tests/support/SimSession.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using sim::Model;
using test::simOptions;
using test::SimSession;

ConnectRequest lanRequest(int baudPosition) {
    return {QStringLiteral("QOV"), QStringLiteral("sim"), baudPosition, false};
}

ConnectRequest subLanRequest(int baudPosition) {
    return {QStringLiteral("QOV"), QStringLiteral("sim"), baudPosition, true};
}

struct Opened {
    std::vector<ControllerWindow> windows;
    OpenControllerWindow opener() {
        return [this](ControllerWindow w) { windows.push_back(w); };
    }
};

TEST(ConnectLan, AutoDetectTriesTheRatesInOrderUntilOneAnswers) {
    SimSession s(simOptions(Model::Main, 5, 57600));
    Opened opened;
    ASSERT_TRUE(Connect(s.session, lanRequest(0), opened.opener()));
    EXPECT_EQ(s.ui.titles, (QStringList{"VTL - Trying 38400 Baud", "VTL", "VTL - Trying 19200 Baud",
                                        "VTL", "VTL - Trying 57600 Baud", "Vantrel"}));
    EXPECT_EQ(s.state.BaudRate, 57600);
    EXPECT_EQ(s.state.LinkMode, LinkModeLan);
    EXPECT_EQ(s.state.PanelTypeCode, 320u);
    EXPECT_EQ(opened.windows, std::vector{ControllerWindow::MainPanel});
    EXPECT_TRUE(s.ui.messages.isEmpty());
    EXPECT_TRUE(s.controller.violations().isEmpty())
        << s.controller.violations().join('\n').toStdString();
}

TEST(ConnectLan, AFixedSpeedIsTriedOnce) {
    SimSession s(simOptions(Model::Main, 5, 9600));
    Opened opened;
    EXPECT_FALSE(Connect(s.session, lanRequest(6), opened.opener()));
    EXPECT_EQ(s.ui.titles, (QStringList{"VTL - Trying 4800 Baud", "VTL"}));
    EXPECT_EQ(s.ui.briefs(), QStringList{"[VTL] Unable To Connect."});
    EXPECT_EQ(s.ui.messages[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(opened.windows.empty());
}

TEST(ConnectLan, AReplyTooShortToNameAModelIsNoIdentification) {
    ConnectionState state;
    TransferBuffers buffers;
    VirtualClock clock;
    test::ScriptedUserInterface ui;
    test::ScriptedLinePeer peer;
    Session session{state, buffers, clock, ui,
                    [&](const QString&) { return std::make_unique<PipeTransport>(peer, clock); }};
    buffers.ReplyBuffer[1] = 0x02; // what an earlier reply left: with 0x40 it would read as 576
    peer.afterHeard(15, test::hex("'AAAAA12345' 00 7F 8E 00 00 01 00 40 40 00"));
    Opened opened;
    EXPECT_FALSE(Connect(session, {QStringLiteral("QOV"), QStringLiteral("line"), 3, false},
                         opened.opener()));
    EXPECT_EQ(ui.briefs(), QStringList{"[VTL] Unable To Connect."});
    EXPECT_EQ(state.PanelTypeCode, 0u);
    EXPECT_TRUE(opened.windows.empty());
}

TEST(ConnectLan, AllCandidatesSilentGivesUpWithTheBaudMessage) {
    SimSession s(simOptions(Model::Main, 5, 4800));
    EXPECT_FALSE(Connect(s.session, lanRequest(0)));
    EXPECT_EQ(s.ui.titles.size(), 10);
    EXPECT_EQ(s.ui.titles.mid(8), (QStringList{"VTL - Trying 9600 Baud", "Vantrel"}));
    EXPECT_EQ(s.ui.briefs(), QStringList{"[Error] Unable To Determine Baud Of Panel."});
    EXPECT_EQ(s.ui.messages[0].icon, MessageIcon::Exclamation);
}

// Each speed tried is one step of progress; Cancel stops the search before the next one, with
// nothing to say.
TEST(ConnectLan, CancelStopsTheSearchBetweenSpeedsQuietly) {
    SimSession s(simOptions(Model::Main, 5, 4800));
    s.ui.cancelAfter = 2;
    EXPECT_FALSE(Connect(s.session, lanRequest(0)));
    EXPECT_EQ(s.ui.titles, (QStringList{"VTL - Trying 38400 Baud", "VTL", "VTL - Trying 19200 Baud",
                                        "VTL", "Vantrel"}));
    EXPECT_TRUE(s.ui.messages.isEmpty());
    ASSERT_EQ(s.ui.progress.size(), 4);
    EXPECT_EQ(s.ui.progress[1].done, 1);
    EXPECT_EQ(s.ui.progress[1].total, 5);
    EXPECT_EQ(s.ui.progress[1].baudRate, 19200);
    EXPECT_EQ(s.ui.progress[1].unit, ProgressUnit::Speeds);
    EXPECT_EQ(s.ui.progress.last().total, 0);
}

// Cancel while a speed is tried on a silent line ends the search there, as quietly, within one
// read's time-out: a LAN reply wait, a Sub LAN listening pass.
TEST(Connect, CancelDuringTheWaitAtOneSpeedEndsTheSearchAtOnce) {
    const struct {
        const char* name;
        Model model;
        ConnectRequest request;
    } cases[] = {
        {"LAN, auto detect", Model::Main, lanRequest(0)},
        {"Sub LAN, fixed speed", Model::Sub3000, subLanRequest(3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimSession s(simOptions(c.model, 5, 4800)); // never heard at 38400
        s.ui.cancelAtUs = 500'000;
        EXPECT_FALSE(Connect(s.session, c.request));
        EXPECT_LE(s.clock.nowUs(), 500'000 + 110'000);
        EXPECT_TRUE(s.ui.messages.isEmpty());
        EXPECT_EQ(s.ui.titles.last(), QStringLiteral("Vantrel"));
    }
}

TEST(ConnectLan, APortThatWillNotOpenStopsTheSearch) {
    SimSession s(simOptions(Model::Main, 5, 57600));
    s.failOpen = true;
    EXPECT_FALSE(Connect(s.session, lanRequest(0)));
    EXPECT_EQ(s.ui.titles, (QStringList{"VTL - Trying 38400 Baud", "VTL"}));
    EXPECT_EQ(s.ui.briefs(), QStringList{"[Message] COM Port Error"});
    EXPECT_EQ(s.state.LinkMode, LinkModePortFailed);
}

TEST(ConnectLan, TheTypeCodeChoosesTheWindowAndItsFlags) {
    struct Case {
        Model model;
        int code;
        ControllerWindow window;
        int lan, brinlet, code602;
    };
    const Case cases[] = {
        {Model::Lan490, 499, ControllerWindow::LanController, 1, 0, 0},
        {Model::Main, 500, ControllerWindow::MainPanel, 0, 0, 0},
        {Model::Lan600, 600, ControllerWindow::LanController, 1, 1, 0},
        {Model::Lan602, 602, ControllerWindow::LanController, 1, 1, 1},
        {Model::Main, 700, ControllerWindow::MainPanel, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SimSession s(simOptions(c.model, 3, 38400, c.code));
        Opened opened;
        ASSERT_TRUE(Connect(s.session, lanRequest(3), opened.opener())) << c.code;
        EXPECT_EQ(s.state.PanelTypeCode, std::uint32_t(c.code));
        EXPECT_EQ(opened.windows, std::vector{c.window}) << c.code;
        EXPECT_EQ(s.state.IsLanController, c.lan) << c.code;
        EXPECT_EQ(s.state.IsBrinlet, c.brinlet) << c.code;
        EXPECT_EQ(s.state.IsCode602, c.code602) << c.code;
        EXPECT_TRUE(s.controller.violations().isEmpty()) << c.code;
    }
}

TEST(ConnectSubLan, FindsTheRateListensIdentifiesAndReadsTheStatus) {
    SimSession s(simOptions(Model::Sub4000, 7, 19200));
    Opened opened;
    ASSERT_TRUE(Connect(s.session, subLanRequest(0), opened.opener()));
    EXPECT_EQ(s.ui.titles,
              (QStringList{"VTL - Trying 38400 Baud", "VTL - Trying 19200 Baud", "Vantrel"}));
    EXPECT_EQ(opened.windows, std::vector{ControllerWindow::SubPanel});
    EXPECT_EQ(s.state.PanelAddress, 7u);
    EXPECT_EQ(s.state.BaudRate, 19200);
    EXPECT_EQ(s.state.LinkMode, LinkModeSubLan);
    EXPECT_EQ(s.state.StatusFlag6, 1);
    EXPECT_EQ(s.state.StatusFlag7, 0);
    EXPECT_EQ(s.state.PollPending, 1); // the status read ended with a release
    EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.briefs().join('\n').toStdString();
    EXPECT_TRUE(s.controller.violations().isEmpty())
        << s.controller.violations().join('\n').toStdString();
    EXPECT_FALSE(s.controller.busHeldByPc());
}

TEST(ConnectSubLan, TwoStationsOnTheBusAreRefused) {
    auto options = simOptions(Model::Sub3000, 3, 38400);
    options.secondStation = 7;
    SimSession s(options);
    EXPECT_FALSE(Connect(s.session, subLanRequest(0)));
    EXPECT_EQ(
        s.ui.briefs(),
        QStringList{"[Error] Controller Does Not Appear To Be Disconnected From The Network!"});
    EXPECT_EQ(s.ui.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(s.ui.titles.last(), QStringLiteral("Vantrel"));
}

TEST(ConnectSubLan, NothingHeardAtAFixedSpeed) {
    SimSession s(simOptions(Model::Sub3000, 3, 9600));
    EXPECT_FALSE(Connect(s.session, subLanRequest(3)));
    EXPECT_EQ(s.ui.titles, (QStringList{"VTL - Trying 38400 Baud", "Vantrel"}));
    EXPECT_EQ(s.ui.briefs(), QStringList{"[VTL] Unable To Connect."});
}

// A line that plays bytes scheduled ahead of time and otherwise stays silent.
struct ScheduledLine : LinePeer {
    std::deque<std::pair<std::int64_t, std::uint8_t>> bytes;
    std::int32_t rate = 0;
    std::int64_t now = 0;

    void frame(std::int64_t at, std::initializer_list<std::uint8_t> h) {
        std::uint8_t check = 0;
        for (std::uint8_t b : {0x45, 0x45, 0x45, 0x0E, 0x0F})
            bytes.emplace_back(at, b);
        for (std::uint8_t b : h) {
            bytes.emplace_back(at, b);
            check = std::uint8_t(check + b);
        }
        bytes.emplace_back(at, check);
    }
    void lineOpened(std::int32_t baudRate) override { rate = baudRate; }
    void receive(std::uint8_t, std::int64_t) override {}
    void advance(std::int64_t nowUs) override { now = nowUs; }
    std::optional<std::uint8_t> transmit() override {
        if (bytes.empty() || bytes.front().first > now) return std::nullopt;
        const auto b = bytes.front().second;
        bytes.pop_front();
        return b;
    }
    std::int64_t nextEventUs() const override { return bytes.empty() ? Idle : bytes.front().first; }
};

struct ListenFixture : ::testing::Test {
    VirtualClock clock;
    ConnectionState state;
    TransferBuffers buffers;
    test::ScriptedUserInterface ui;
    ScheduledLine line;
    Session session{state, buffers, clock, ui, [this](const QString&) {
                        return std::make_unique<PipeTransport>(line, clock);
                    }};
    void SetUp() override {
        state.PortName = QStringLiteral("line");
        state.BaudRate = 38400;
    }
    void steadyFrames(int count, std::uint8_t address, std::int64_t from = 1000) {
        for (int i = 0; i < count; ++i)
            line.frame(from + i * 20'000, {0, address, 33, 0, 0});
    }
};

TEST_F(ListenFixture, TheTwentyFirstFrameSettlesIt) {
    steadyFrames(20, 9);
    EXPECT_EQ(ListenForBaud(session), ListenResult::NothingUsable);
    EXPECT_EQ(state.PanelAddress, 9u);

    steadyFrames(21, 4, clock.nowUs() + 1000);
    EXPECT_EQ(ListenForBaud(session), ListenResult::OneController);
    EXPECT_EQ(state.PanelAddress, 4u);
    EXPECT_TRUE(line.bytes.empty());
}

TEST_F(ListenFixture, ASecondStationEndsTheListeningAtItsFirstFrame) {
    steadyFrames(5, 3);
    line.frame(200'000, {0, 7, 33, 0, 0});
    steadyFrames(5, 3, 300'000);
    EXPECT_EQ(ListenForBaud(session), ListenResult::SeveralStations);
    EXPECT_EQ(line.bytes.size(), 5u * 11);
}

TEST_F(ListenFixture, AMarkerFrameFixesNineSixHundredForEveryLaterOpen) {
    line.frame(1000, {0, 0, 33, 80, 205});
    steadyFrames(21, 2, 10'000);
    EXPECT_EQ(ListenForBaud(session), ListenResult::OneController);
    EXPECT_EQ(state.MarkerSeen, 1);
    EXPECT_EQ(state.MarkerValue, 80);
    state.BaudRate = 38400;
    ASSERT_TRUE(session.link.OpenPort());
    EXPECT_EQ(line.rate, 9600);
}

TEST_F(ListenFixture, ABadCheckByteIsNotAFrame) {
    steadyFrames(20, 6);
    line.bytes.emplace_back(500'000, 0x45); // a frame whose check byte is wrong
    for (std::uint8_t b : {0x45, 0x45, 0x0E, 0x0F, 0, 6, 33, 0, 0, 0})
        line.bytes.emplace_back(500'000, b);
    EXPECT_EQ(ListenForBaud(session), ListenResult::NothingUsable);
}

TEST_F(ListenFixture, ASilentLineGivesUpOnceThePatienceCounterPassesTwoHundred) {
    const auto start = clock.nowUs();
    EXPECT_EQ(ListenForBaud(session), ListenResult::NothingUsable);
    // 1.1 to the 56th power is the first to pass 200: the 57th silent read gives up.
    EXPECT_EQ(clock.nowUs() - start, 57 * 110'000);
    EXPECT_FALSE(ui.waitCursor);
}

TEST_F(ListenFixture, APortThatWillNotOpenIsReportedAndNothingCountsAsHeard) {
    state.PortName = QStringLiteral("/dev/vtl-no-such-port");
    Session real{state, buffers, clock, ui};
    EXPECT_EQ(ListenForBaud(real), ListenResult::NothingUsable);
    EXPECT_EQ(ui.briefs(), QStringList{"[Message] Unable To Setup COM Port."});
    EXPECT_TRUE(ui.messages[0].detail.contains(QStringLiteral("does not exist")))
        << qPrintable(ui.messages[0].detail);

    // Connecting stops there, at every rate of the search, with nothing else shown.
    ui.messages.clear();
    EXPECT_FALSE(Connect(real, {QStringLiteral("QOV"), state.PortName, 0, true}));
    EXPECT_EQ(ui.briefs(), QStringList{"[Message] Unable To Setup COM Port."});
}

TEST_F(ListenFixture, FramesThatNeverSettleTheQuestionGiveUpAfter30Seconds) {
    // Only the master's own frames (station 0), for longer than anyone should wait.
    for (int i = 0; i < 2000; ++i)
        line.frame(1000 + i * 20'000, {0, 0, 33, 0, 0});
    const auto start = clock.nowUs();
    EXPECT_EQ(ListenForBaud(session), ListenResult::NothingUsable);
    EXPECT_GE(clock.nowUs() - start, 30'000'000);
    EXPECT_LT(clock.nowUs() - start, 30'100'000);
    EXPECT_FALSE(ui.waitCursor);
}

} // namespace
} // namespace vtl
