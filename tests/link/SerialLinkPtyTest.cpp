// The serial link and the connect procedure on a real pseudo-terminal, in real time: POSIX systems
// only.
#include "link/Connect.h"
#include "link/SerialLink.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedUserInterface.h"

#include <QSerialPort>

#include <gtest/gtest.h>

#include <chrono>

namespace vtl {
namespace {

// A serial link opened on a pseudo-terminal, in real time.
struct SerialLinkOnAPty : ::testing::Test {
    ConnectionState state;
    test::ScriptedUserInterface ui;
    test::Pty pty;
    SerialLink link{state, RealClock::instance(), ui};

    bool open(std::int32_t rate) {
        state.PortName = pty.slavePath();
        state.BaudRate = rate;
        return pty.ok() && link.OpenPort();
    }
};

TEST_F(SerialLinkOnAPty, ReadTimeoutBytesBothWaysAndPurge) {
    ASSERT_TRUE(open(19200));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.ReadByte(), 0);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_TRUE(link.ReadTimedOut);
    // Never before the time-out; after it, a busy machine may be slow to wake us, but not for long.
    EXPECT_GE(ms, 105);
    EXPECT_LT(ms, 1500);

    // A purge keeps what was written...
    for (std::uint8_t b : {0x41, 0x31, 0x00, 0xFF})
        link.WriteByte(b);
    link.PurgePort();
    EXPECT_EQ(pty.readAvailable(), (std::vector<std::uint8_t>{0x41, 0x31, 0x00, 0xFF}));
    pty.write({0x06, 0x01});
    EXPECT_EQ(link.ReadByte(), 0x06);
    EXPECT_EQ(link.ReadByte(), 0x01);
    EXPECT_FALSE(link.ReadTimedOut);
    // ... and drops stale input.
    pty.write({0x07});
    pty.readAvailable(20);
    link.PurgePort();
    EXPECT_EQ(link.ReadByte(), 0);
}

TEST_F(SerialLinkOnAPty, AStalledLineDoesNotHoldThePurgeOrTheClose) {
    ASSERT_TRUE(open(38400));
    ASSERT_GT(pty.fillTowardsMaster(), 0u); // nobody reads the other end any more

    const auto start = std::chrono::steady_clock::now();
    link.WriteByte(0x41);
    link.PurgePort(); // gives up on the byte that cannot leave
    link.WriteByte(0x42);
    link.FlushPort();
    link.ClosePort();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_LT(ms, 2000);
    EXPECT_FALSE(link.isOpen());
}

TEST(ConnectLan, APortInUseIsReportedWithTheReason) {
    test::Pty pty;
    QSerialPort holder(pty.slavePath());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    ConnectionState state;
    TransferBuffers buffers;
    VirtualClock clock;
    test::ScriptedUserInterface ui;
    Session session{state, buffers, clock, ui};
    EXPECT_FALSE(Connect(session, {QStringLiteral("QOV"), pty.slavePath(), 4, false}));
    ASSERT_EQ(ui.briefs(), QStringList{"[Message] COM Port Error"});
    EXPECT_TRUE(ui.messages[0].detail.contains(QStringLiteral("in use")))
        << qPrintable(ui.messages[0].detail);
}

TEST_F(SerialLinkOnAPty, AFarEndThatWentAwayIsNamedWithItsDevice) {
    ASSERT_TRUE(open(38400));
    pty.closeMaster();
    EXPECT_EQ(link.ReadByte(), 0);
    EXPECT_TRUE(link.ReadTimedOut);
    const QString lost = link.lostLineReason();
    EXPECT_TRUE(lost.startsWith(pty.slavePath() + " was removed or closed at the other end ("))
        << qPrintable(lost);
    EXPECT_FALSE(lost.contains("No error")) << qPrintable(lost);
}

} // namespace
} // namespace vtl
