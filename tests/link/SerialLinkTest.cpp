#include "link/SerialLink.h"
#include "link/PipeTransport.h"
#include "link/SerialPortTransport.h"
#include "link/TcpTransport.h"
#include "tests/link/ScriptedLinePeer.h"
#include "tests/support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

struct PipeFixture : ::testing::Test {
    ConnectionState state;
    VirtualClock clock;
    test::ScriptedUserInterface ui;
    test::ScriptedLinePeer peer;
    PipeTransport* pipe = nullptr;
    SerialLink link{state, clock, ui, [this](const QString&) {
                        auto t = std::make_unique<PipeTransport>(peer, clock);
                        t->failOpen = failOpen;
                        t->refuseQueueSizes = refuseQueues;
                        pipe = t.get();
                        return t;
                    }};
    bool failOpen = false;
    bool refuseQueues = false;

    void SetUp() override {
        state.PortName = QStringLiteral("sim");
        state.BaudRate = 38400;
    }
};

TEST_F(PipeFixture, MarkerFrameOverridesTheRateAtEveryOpen) {
    struct Case {
        std::int8_t marker;
        std::int32_t expected;
    };
    for (const Case c :
         {Case{60, 9600}, Case{59, 19200}, Case{127, 9600}, Case{-128, 19200}, Case{-1, 19200}}) {
        state.MarkerSeen = 1;
        state.MarkerValue = c.marker;
        ASSERT_TRUE(link.OpenPort());
        EXPECT_EQ(peer.rate, c.expected) << int(c.marker);
    }
    state.MarkerSeen = 0;
    ASSERT_TRUE(link.OpenPort());
    EXPECT_EQ(peer.rate, 38400);
}

TEST_F(PipeFixture, AddDelayPacesBytesOnlyInLanFraming) {
    state.AddDelay = 1;
    state.LinkMode = LinkModeLan;
    ASSERT_TRUE(link.OpenPort());
    const auto start = clock.nowUs();
    for (char c : std::string("AAAAA12345"))
        link.WriteByte(std::uint8_t(c));
    EXPECT_GE(clock.nowUs() - start, 10'000);

    state.LinkMode = LinkModeSubLan;
    const auto subStart = clock.nowUs();
    for (int i = 0; i < 10; ++i)
        link.WriteByte(0x45);
    EXPECT_EQ(clock.nowUs(), subStart);

    state.LinkMode = LinkModeLan;
    state.AddDelay = 0;
    const auto plainStart = clock.nowUs();
    for (int i = 0; i < 10; ++i)
        link.WriteByte(0x41);
    EXPECT_EQ(clock.nowUs(), plainStart);
    EXPECT_EQ(peer.heard.size(), 30u);
}

TEST_F(PipeFixture, UsbModeNeverTouchesDtr) {
    ASSERT_TRUE(link.OpenPort());
    link.SetTransmitLine(true);
    link.SetTransmitLine(false);
    state.UsbMode = 1;
    link.SetTransmitLine(true);
    link.SetTransmitLine(false);
    EXPECT_EQ(peer.wire(), QStringLiteral("^ v"));
}

TEST_F(PipeFixture, SilentReadTimesOutAfterTheReadTimeout) {
    ASSERT_TRUE(link.OpenPort());
    peer.at(clock.nowUs(), {0x06});
    EXPECT_EQ(link.ReadByte(), 0x06);
    EXPECT_FALSE(link.ReadTimedOut);
    const auto start = clock.nowUs();
    EXPECT_EQ(link.ReadByte(), 0);
    EXPECT_TRUE(link.ReadTimedOut);
    EXPECT_EQ(clock.nowUs() - start, 110'000);
}

TEST_F(PipeFixture, FailedOpenWritesNothingAndReadsTimeOutAtOnce) {
    failOpen = true;
    EXPECT_FALSE(link.OpenPort());
    EXPECT_FALSE(link.WriteByte(0x41));
    const auto start = clock.nowUs();
    EXPECT_EQ(link.ReadByte(), 0);
    EXPECT_TRUE(link.ReadTimedOut);
    EXPECT_EQ(clock.nowUs(), start);
    EXPECT_TRUE(peer.heard.empty());
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(PipeFixture, RefusedQueueSizesAreReportedAndTheOpenGoesOn) {
    refuseQueues = true;
    EXPECT_TRUE(link.OpenPort());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].brief(),
              QStringLiteral("[Message] COM Port Buffer Sizes Could Not Be Set."));
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(link.WriteByte(1));
}

TEST_F(PipeFixture, PurgeDiscardsStaleInput) {
    ASSERT_TRUE(link.OpenPort());
    peer.at(clock.nowUs(), {1, 2, 3});
    link.PurgePort();
    EXPECT_EQ(link.ReadByte(), 0);
    EXPECT_TRUE(link.ReadTimedOut);
}

TEST(SerialLinkOpen, MissingDeviceFailsQuietlyWithTheSystemsReason) {
    ConnectionState state;
    test::ScriptedUserInterface ui;
    SerialLink link{state, RealClock::instance(), ui};
    state.PortName = QStringLiteral("/dev/vtl-no-such-port");
    state.BaudRate = 9600;
    EXPECT_FALSE(link.OpenPort());
    EXPECT_EQ(link.lastOpenError(), "/dev/vtl-no-such-port does not exist.");
    EXPECT_FALSE(link.WriteByte(0x41));
    EXPECT_EQ(link.ReadByte(), 0);
    EXPECT_TRUE(link.ReadTimedOut);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST(SerialLinkOpen, TcpNamesAreRecognised) {
    QString host;
    quint16 port = 0;
    EXPECT_TRUE(TcpTransport::parseName(QStringLiteral("tcp://127.0.0.1:4001"), &host, &port));
    EXPECT_EQ(host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(port, 4001);
    EXPECT_FALSE(TcpTransport::parseName(QStringLiteral("/dev/ttyS0"), nullptr, nullptr));
    EXPECT_FALSE(TcpTransport::parseName(QStringLiteral("tcp://host"), nullptr, nullptr));
}

} // namespace
} // namespace vtl
