#include "link/Connect.h"
#include "tests/support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <memory>

namespace vtl {
namespace {

struct ConnectFixture : ::testing::Test {
    ConnectionState state;
    std::unique_ptr<TransferBuffers> buffers = std::make_unique<TransferBuffers>();
    VirtualClock clock;
    test::ScriptedUserInterface ui;
    Session session{state, *buffers, clock, ui};

    ConnectRequest request(const QString& code, const QString& port = QStringLiteral("sim"),
                           int baud = 0) {
        return {code, port, baud, false};
    }
};

TEST_F(ConnectFixture, OnlyTheTwoCodesExactlyAreAccepted) {
    struct Case {
        const char* code;
        bool accepted;
        std::uint8_t privileged;
    };
    const Case cases[] = {
        {"QOV", true, 0},       {"ZORBAKE", true, 1}, {"qov", false, 0},
        {"QOV ", false, 0},     {" QOV", false, 0},   {"QO", false, 0},
        {"ZORBAKEZ", false, 0}, {"", false, 0},       {"ZORBAKE\u00a0", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        state = ConnectionState{};
        state.Privileged = 7;
        ui.messages.clear();
        EXPECT_EQ(acceptConnectRequest(session, request(QString::fromUtf8(c.code))), c.accepted);
        if (c.accepted) {
            EXPECT_TRUE(ui.messages.isEmpty());
            EXPECT_EQ(state.Privileged, c.privileged);
            EXPECT_EQ(state.PortName, QStringLiteral("sim"));
        } else {
            ASSERT_EQ(ui.messages.size(), 1);
            EXPECT_EQ(ui.messages[0].brief(), QStringLiteral("[VTL] Invalid Access Code."));
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
            EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
            // A refusal leaves the earlier connection's record as it was.
            EXPECT_EQ(state.Privileged, 7);
            EXPECT_TRUE(state.PortName.isEmpty());
        }
    }
}

TEST_F(ConnectFixture, OnlyNineCharactersOfTheBoxAreRead) {
    const QString longCode = QStringLiteral("ZORBAKE") + QString(5000, QLatin1Char('X'));
    EXPECT_FALSE(acceptConnectRequest(session, request(longCode)));
    EXPECT_EQ(ui.briefs(), QStringList{QStringLiteral("[VTL] Invalid Access Code.")});
}

TEST_F(ConnectFixture, EveryConnectForgetsTheMarkerRate) {
    state.MarkerSeen = 1;
    state.MarkerValue = 80;
    EXPECT_FALSE(acceptConnectRequest(session, request(QStringLiteral("bad"))));
    EXPECT_EQ(state.MarkerSeen, 0);
}

TEST_F(ConnectFixture, NoPortIsRefusedAfterTheCode) {
    state.BaudRate = 9600;
    EXPECT_FALSE(acceptConnectRequest(session, request(QStringLiteral("QOV"), QString())));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].brief(), QStringLiteral("[VTL] No Port Selected."));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(state.BaudRate, 9600);

    // With both wrong only the code is reported.
    ui.messages.clear();
    EXPECT_FALSE(acceptConnectRequest(session, request(QStringLiteral("QO"), QString())));
    EXPECT_EQ(ui.briefs(), QStringList{QStringLiteral("[VTL] Invalid Access Code.")});
}

TEST_F(ConnectFixture, BaudListPositionGivesTheFirstRate) {
    const std::pair<int, std::int32_t> table[] = {
        {0, 38400}, {1, 115200}, {2, 57600}, {3, 38400},  {4, 19200}, {5, 9600},
        {6, 4800},  {7, 2400},   {8, 1200},  {-1, 38400}, {9, 38400},
    };
    for (const auto& [position, rate] : table) {
        SCOPED_TRACE(position);
        state.BaudRate = 0;
        ASSERT_TRUE(acceptConnectRequest(
            session, request(QStringLiteral("QOV"), QStringLiteral("sim"), position)));
        EXPECT_EQ(state.BaudRate, rate);
    }
}

} // namespace
} // namespace vtl
