#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The executable on a real pseudo-terminal: one LAN exchange, then SIGTERM.
QByteArray exchange(const QByteArray& request, int* exitCode, QByteArray* errors) {
    QProcess sim;
    sim.start(QStringLiteral(VTL_SIM_EXE), {"--model", "main", "--baud", "9600", "--pty"});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) return "no start";
    const QByteArray line = sim.readLine().trimmed();
    if (!line.startsWith("port: /dev/")) return "bad port line: " + line;
    const int fd = ::open(line.mid(6).constData(), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(fd, TCSANOW, &tio);
    (void)!::write(fd, request.constData(), size_t(request.size()));
    QByteArray reply;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 1000) > 0) {
        char chunk[256];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        reply.append(chunk, n);
        if (reply.size() >= 21) break;
    }
    ::close(fd);
    sim.terminate();
    sim.waitForFinished(5000);
    *exitCode = sim.exitStatus() == QProcess::NormalExit ? sim.exitCode() : -1;
    *errors = sim.readAllStandardError();
    return reply;
}

TEST(SimHost, PtyExchangeThenCleanExit) {
    int exitCode = -2;
    QByteArray errors;
    const QByteArray reply =
        exchange(QByteArray("AAAAA12345\x7F\x00\x2A\x12\x02", 15), &exitCode, &errors);
    EXPECT_EQ(reply.toHex(' '), "41 41 41 41 41 31 32 33 34 35 00 01 8e 12 02 02 00 40 01 41 00");
    EXPECT_EQ(exitCode, 0) << errors.constData();

    EXPECT_TRUE(exchange("AAAAA1x", &exitCode, &errors).isEmpty());
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(errors.contains("broken preamble")) << errors.constData();
}

} // namespace
