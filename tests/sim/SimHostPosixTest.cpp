#include "tests/support/Processes.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QByteArray TypeCodeRequest("AAAAA12345\x7F\x00\x2A\x12\x02", 15);

// vtl-sim on the command line.
struct SimProcess : vtl::test::SimProcess {
    explicit SimProcess(const QStringList& arguments)
        : vtl::test::SimProcess(QStringLiteral(VTL_SIM_EXE), arguments) {}
};

int openPty(const QString& path, speed_t speed) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, speed);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// Reads until `atLeast` bytes came or none came for `timeoutMs` (long enough for a busy machine).
QByteArray readPty(int fd, int atLeast, int timeoutMs = 5000) {
    QByteArray got;
    pollfd p{fd, POLLIN, 0};
    while (got.size() < atLeast && ::poll(&p, 1, timeoutMs) > 0) {
        char chunk[256];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        got.append(chunk, n);
    }
    return got;
}

TEST(SimHost, ViolationsEndWithExitStatusOne) {
    SimProcess sim({"--model", "main", "--pty"});
    const int fd = openPty(sim.port, B19200);
    (void)!::write(fd, "AAAAA1x", 7);
    EXPECT_TRUE(readPty(fd, 1, 300).isEmpty());
    ::close(fd);
    EXPECT_EQ(sim.stop(), 1);
    EXPECT_TRUE(sim.errors.contains(QLatin1String("broken preamble: 0x78 at position 6")))
        << qPrintable(sim.errors);
}

TEST(SimHost, SubLanIsHeardOnlyAtItsRate) {
    SimProcess sim({"--model", "sub5000", "--address", "7", "--baud", "38400", "--pty"});
    const int fd = openPty(sim.port, B38400);
    EXPECT_TRUE(readPty(fd, 30).contains(QByteArray("EEE\x0E\x0F", 5)));
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(fd, TCSANOW, &tio);
    ::tcflush(fd, TCIFLUSH);
    readPty(fd, 11); // what was under way when the rate changed
    const QByteArray noise = readPty(fd, 30);
    EXPECT_GE(noise.size(), 30);
    EXPECT_EQ(noise.count('\0'), noise.size());
    ::close(fd);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

// A controller sends a frame without a pause; so does the simulator, however late this process
// runs, or a PC reading in between could time out inside the frame and miss it.
TEST(SimHost, AReplyReachesThePcWhole) {
    SimProcess sim({"--model", "lan490", "--baud", "19200", "--pty"});
    const int fd = openPty(sim.port, B19200);
    (void)!::write(fd, TypeCodeRequest.constData(), TypeCodeRequest.size());
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 5000), 1);
    ::usleep(2000); // paced at the line rate, 4 more bytes would come in this time
    char chunk[256];
    EXPECT_EQ(::read(fd, chunk, sizeof chunk), 21);
    ::close(fd);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

// A request sent in two parts, with `between` after the first part has been read and `after` once
// the second is sent. What happens in either is no fault of the PC's: the simulator must hear the
// request whole.
void requestInTwoParts(const std::function<void(SimProcess&, int)>& between,
                       const std::function<void(int)>& after) {
    SimProcess sim({"--model", "lan490", "--baud", "19200", "--pty"});
    const int fd = openPty(sim.port, B19200);
    (void)!::write(fd, TypeCodeRequest.constData(), 8);
    ::usleep(60'000); // the simulator reads the first part
    between(sim, fd);
    (void)!::write(fd, TypeCodeRequest.constData() + 8, TypeCodeRequest.size() - 8);
    after(fd);
    readPty(fd, 1, 300);
    ::close(fd);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST(SimHost, ARequestIsHeardWholeAcrossWhatIsNoFaultOfThePc) {
    // A run that closes the line puts its old rate back at once, maybe before the simulator has
    // read the end of the last frame.
    requestInTwoParts([](SimProcess&, int) {},
                      [](int fd) {
                          termios tio{};
                          ::tcgetattr(fd, &tio);
                          ::cfsetspeed(&tio, B9600);
                          ::tcsetattr(fd, TCSANOW, &tio);
                      });
    // On a busy machine the simulator itself may not run for longer than the silence that ends a
    // frame.
    requestInTwoParts(
        [](SimProcess& sim, int) {
            const auto pid = pid_t(sim.process.processId());
            ::kill(pid, SIGSTOP);
            ::usleep(400'000);
            ::kill(pid, SIGCONT);
            ::usleep(20'000);
        },
        [](int) {});
}

TEST(SimHost, TcpExchange) {
    SimProcess sim({"--model", "lan490", "--tcp", "0"});
    const QUrl url(sim.port);
    ASSERT_EQ(url.scheme(), "tcp") << qPrintable(sim.port);
    QTcpSocket socket;
    socket.connectToHost(url.host(), quint16(url.port()));
    ASSERT_TRUE(socket.waitForConnected(10000));
    socket.write(TypeCodeRequest);
    QByteArray reply;
    while (reply.size() < 21 && socket.waitForReadyRead(5000))
        reply += socket.readAll();
    EXPECT_EQ(reply.toHex(' '), "41 41 41 41 41 31 32 33 34 35 00 01 8e 12 02 02 00 ea 01 eb 00");
    socket.close();
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST(SimHost, ClearedStartAndMemoryDumpOnExit) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh.dump"));
    const QString cleared = dir.filePath(QStringLiteral("cleared.dump"));
    SimProcess a({"--model", "sub3000", "--tcp", "0", "--sub-panel-type", "200", "--dump", fresh});
    SimProcess b({"--model", "sub3000", "--tcp", "0", "--cleared", "--dump", cleared});
    ASSERT_EQ(a.stop(), 0) << qPrintable(a.errors);
    ASSERT_EQ(b.stop(), 0) << qPrintable(b.errors);
    QFile fa(fresh), fb(cleared);
    ASSERT_TRUE(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
    const QList<QByteArray> before = fa.readAll().split('\n');
    const QList<QByteArray> after = fb.readAll().split('\n');
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(before[0].left(21).toStdString(), "1 0 0 96 26292c2f3235");
    EXPECT_EQ(after[0], "1 0 0 96 " + QByteArray(192, '0'));
    EXPECT_TRUE(before.contains("50 0 5 1 c8")); // the type given
    EXPECT_TRUE(after.contains("50 0 5 1 82"));  // the model's own: settings survive a clear
    EXPECT_TRUE(before.contains("16 1 0 0"));    // empty program code block
    EXPECT_TRUE(after.contains("16 0 0 0"));     // a clear empties all program code
    EXPECT_TRUE(after.contains("50 0 7 16 53494d205355422050414e454c000000")); // the name
}

} // namespace
