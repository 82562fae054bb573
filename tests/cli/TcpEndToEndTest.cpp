// vtl-cli through a serial device server's TCP port (here vtl-sim --tcp), in real time, and the
// reason line under a failure.
#include "tests/support/Processes.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::TcpEndToEndTest {
namespace {

TEST(TcpEndToEnd, IdentifyAndBackUpThroughATcpPort) {
    SimProcess lan(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "lan602", "--address", "9", "--baud", "38400", "--tcp", "0"});
    ASSERT_TRUE(lan.port.startsWith("tcp://127.0.0.1:")) << qPrintable(lan.port);
    const RunResult identify =
        runProgram(QStringLiteral(VTL_CLI_EXE),
                   {"identify", "--port", lan.port, "--code", "QOV", "--baud", "38400"});
    EXPECT_EQ(identify.exitCode, 0) << qPrintable(identify.err);
    EXPECT_TRUE(identify.out.startsWith("controller: Brinlet controller\ntype-code: 602\n"))
        << qPrintable(identify.out);
    EXPECT_EQ(lan.stop(), 0) << qPrintable(lan.errors);

    SimProcess sub(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "sub3000", "--address", "7", "--baud", "38400", "--tcp", "0"});
    ASSERT_FALSE(sub.port.isEmpty());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("SUB.PNL"));
    const RunResult backup = runProgram(QStringLiteral(VTL_CLI_EXE),
                                        {"backup", "--port", sub.port, "--code", "QOV", "--sub-lan",
                                         "--baud", "38400", "--no-delay", "--out", file},
                                        120000);
    EXPECT_EQ(backup.exitCode, 0) << qPrintable(backup.err);
    EXPECT_TRUE(backup.err.contains("Finished Creating Panel File")) << qPrintable(backup.err);
    const RunResult inspect = runProgram(QStringLiteral(VTL_CLI_EXE), {"inspect", file});
    EXPECT_TRUE(inspect.out.contains("\nrecords: 39\n")) << qPrintable(inspect.out.left(300));
    EXPECT_EQ(sub.stop(), 0) << qPrintable(sub.errors);
}

TEST(TcpEndToEnd, ASilentLineIsReportedWithItsReasonBeneathTheMessage) {
    // A server that takes the connection and never answers: a device server with no controller.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QString port = QStringLiteral("tcp://127.0.0.1:%1").arg(silent.serverPort());
    const RunResult run =
        runProgram(QStringLiteral(VTL_CLI_EXE),
                   {"identify", "--port", port, "--code", "QOV", "--baud", "9600"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    const QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
    const auto reason = lines.indexOf("  reason: no reply at 9600 baud after 25 reads");
    ASSERT_GT(reason, 0) << qPrintable(run.err);
    EXPECT_TRUE(lines[reason - 1].startsWith('[')) << qPrintable(run.err); // under its message
}

TEST(TcpEndToEnd, PortsListsTheRememberedDeviceServer) {
    QTemporaryDir config;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("QTZ")));
    QFile file(config.filePath(QStringLiteral("QTZ/VTL.conf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nPort=-1\nDeviceServer=rfc2217://10.0.0.6:4002\n");
    file.close();
    const RunResult ports = runProgram(QStringLiteral(VTL_CLI_EXE), {"ports"});
    // A value that is no device server address is not offered.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nDeviceServer=/dev/ttyS4\n");
    file.close();
    const RunResult noServer = runProgram(QStringLiteral(VTL_CLI_EXE), {"ports"});
    if (previous.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", previous);
    EXPECT_EQ(ports.exitCode, 0) << qPrintable(ports.err);
    EXPECT_TRUE(ports.out.endsWith("rfc2217://10.0.0.6:4002\tdevice server (remembered)\n"))
        << qPrintable(ports.out);
    EXPECT_FALSE(noServer.out.contains("remembered")) << qPrintable(noServer.out);
}

} // namespace
} // namespace vtl::test::TcpEndToEndTest
