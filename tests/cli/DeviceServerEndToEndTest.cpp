// vtl-cli through a real serial device server (ser2net) to vtl-sim on a pseudo-terminal, over raw
// tcp:// and over rfc2217://, in real time. Each case is its own ctest case so they run side by
// side.
#include "tests/support/MemoryDump.h"
#include "tests/support/Processes.h"
#include "tests/support/Ser2net.h"
#include "tests/support/SimComplaints.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>

namespace vtl::test {
namespace {

constexpr int ProgramTimeoutMs = 400'000;
// A busy machine may hold a reply byte past the read time-out: the program then retries, as a
// technician would, a few times at most.
const QString BusyMachineRetries = QStringLiteral("5");

#define REQUIRE_SER2NET()                                                                          \
    if (Ser2net::program().isEmpty())                                                              \
    GTEST_SKIP() << "ser2net is not installed (scripts/install-deps installs it)"

struct Route {
    const char* model;
    bool rfc2217;
};

std::string routeName(const Route& r) {
    return std::string(r.model) + (r.rfc2217 ? "_rfc2217" : "_tcp");
}

void PrintTo(const Route& r, std::ostream* os) {
    *os << routeName(r);
}

bool isSub(const char* model) {
    return QByteArray(model).startsWith("sub");
}

// A sub panel joins its Sub LAN at 38400 at most; LAN framing runs at 115200.
int rateOf(const char* model) {
    return isSub(model) ? 38400 : 115200;
}

QStringList connection(const char* model, const QString& port, const QString& baud) {
    QStringList args{"--port", port, "--code", "qov", "--no-delay", "--baud", baud};
    if (isSub(model)) args << "--sub-lan";
    return args;
}

QStringList simArguments(const char* model, int rate, const QString& dump) {
    return {"--model", model, "--address", "7", "--pty", "--baud", QString::number(rate),
            "--dump",  dump};
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class DeviceServerRoundTrip : public ::testing::TestWithParam<Route> {};

TEST_P(DeviceServerRoundTrip, IdentifyBackUpAndRestoreGiveTheSameMemory) {
    REQUIRE_SER2NET();
    const Route& r = GetParam();
    const int rate = rateOf(r.model);
    const QString baud = QString::number(rate);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("PANEL.PNL"));
    const QString dumpA = dir.filePath(QStringLiteral("a.dump"));
    const QString dumpB = dir.filePath(QStringLiteral("b.dump"));
    QElapsedTimer timer;
    timer.start();

    SimProcess a(QStringLiteral(VTL_SIM_EXE), simArguments(r.model, rate, dumpA));
    ASSERT_FALSE(a.port.isEmpty());
    Ser2net serverA(a.port, rate, r.rfc2217, dir.path());
    ASSERT_FALSE(serverA.port.isEmpty());
    const RunResult identify =
        runProgram(QStringLiteral(VTL_CLI_EXE),
                   QStringList{"identify"} << connection(r.model, serverA.port, baud));
    ASSERT_EQ(identify.exitCode, 0) << qPrintable(identify.err);
    EXPECT_TRUE(identify.out.contains(QStringLiteral("\naddress: 7\n")))
        << qPrintable(identify.out);
    const RunResult backup =
        runProgram(QStringLiteral(VTL_CLI_EXE),
                   QStringList{"backup"} << connection(r.model, serverA.port, baud) << "--out"
                                         << file << "--retries" << BusyMachineRetries,
                   ProgramTimeoutMs);
    ASSERT_EQ(backup.exitCode, 0) << qPrintable(backup.err);
    serverA.stop();
    const QStringList complaintsA = stopAndExplain(a, identify.err + backup.err);
    ASSERT_TRUE(complaintsA.isEmpty()) << qPrintable(complaintsA.join('\n'));

    SimProcess b(QStringLiteral(VTL_SIM_EXE), simArguments(r.model, rate, dumpB) << "--cleared");
    ASSERT_FALSE(b.port.isEmpty());
    Ser2net serverB(b.port, rate, r.rfc2217, dir.path());
    ASSERT_FALSE(serverB.port.isEmpty());
    QStringList restoreArgs = QStringList{"restore"} << connection(r.model, serverB.port, baud)
                                                     << "--in" << file << "--retries"
                                                     << BusyMachineRetries;
    if (!isSub(r.model))
        restoreArgs << "--clear"
                    << "--send-ethernet";
    const RunResult restore =
        runProgram(QStringLiteral(VTL_CLI_EXE), restoreArgs, ProgramTimeoutMs);
    EXPECT_EQ(restore.exitCode, 0) << qPrintable(restore.err);
    serverB.stop();
    const QStringList complaintsB = stopAndExplain(b, restore.err);
    ASSERT_TRUE(complaintsB.isEmpty()) << qPrintable(complaintsB.join('\n'));

    const QByteArray before = readDump(dumpA);
    ASSERT_FALSE(before.isEmpty());
    const QStringList differences = dumpDifferences(before, readDump(dumpB));
    EXPECT_TRUE(differences.isEmpty()) << qPrintable(differences.join('\n'));
    std::printf("%s: %.1f s\n", routeName(r).c_str(), double(timer.elapsed()) / 1000.0);
}

INSTANTIATE_TEST_SUITE_P(ThroughSer2net, DeviceServerRoundTrip,
                         ::testing::Values(Route{"main", true}, Route{"main", false},
                                           Route{"lan600", true}, Route{"lan600", false},
                                           Route{"sub5000", true}, Route{"sub5000", false}),
                         [](const auto& row) { return routeName(row.param); });

// Auto Detect of a lan602 at `simRate` through a server whose line starts at `serverRate`.
RunResult autoDetectThrough(int simRate, int serverRate, bool rfc2217, QString* simErrors) {
    QTemporaryDir dir;
    SimProcess sim(QStringLiteral(VTL_SIM_EXE), {"--model", "lan602", "--address", "9", "--baud",
                                                 QString::number(simRate), "--pty"});
    if (sim.port.isEmpty()) return {-1, {}, QStringLiteral("vtl-sim gave no port")};
    Ser2net server(sim.port, serverRate, rfc2217, dir.path());
    if (server.port.isEmpty()) return {-1, {}, QStringLiteral("ser2net did not start")};
    const RunResult run =
        runProgram(QStringLiteral(VTL_CLI_EXE), {"identify", "--port", server.port, "--code", "QOV",
                                                 "--baud", "auto", "--no-delay"});
    server.stop();
    if (sim.stop() != 0) *simErrors = sim.errors;
    return run;
}

TEST(DeviceServer, AutoDetectSetsEachSpeedOnAnRfc2217Server) {
    REQUIRE_SER2NET();
    QString simErrors;
    const RunResult run = autoDetectThrough(19200, 9600, true, &simErrors);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.out.contains(QStringLiteral("\nbaud: 19200\n"))) << qPrintable(run.out);
    EXPECT_TRUE(simErrors.isEmpty()) << qPrintable(simErrors);
}

TEST(DeviceServer, AutoDetectOverRawTcpTriesTheServersSpeedOnce) {
    REQUIRE_SER2NET();
    QString simErrors;
    const RunResult run = autoDetectThrough(38400, 38400, false, &simErrors);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.err.count(QStringLiteral("Trying")), 0) << qPrintable(run.err);
    EXPECT_EQ(run.err.count(QStringLiteral("VTL - Speed Set By The Device Server")), 1)
        << qPrintable(run.err);
    EXPECT_TRUE(simErrors.isEmpty()) << qPrintable(simErrors);
}

TEST(DeviceServer, AServerStoppedInABackupLeavesTheFileAndSaysWhy) {
    REQUIRE_SER2NET();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("KEEP.PNL"));
    {
        QFile existing(file);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("an earlier backup");
    }
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "main", "--address", "7", "--baud", "115200", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    Ser2net server(sim.port, 115200, false, dir.path());
    ASSERT_FALSE(server.port.isEmpty());
    QProcess backup;
    backup.start(QStringLiteral(VTL_CLI_EXE),
                 QStringList{"backup"} << connection("main", server.port, "115200") << "--retries"
                                       << "3"
                                       << "--out" << file);
    ASSERT_TRUE(backup.waitForStarted());
    QThread::msleep(6000);
    server.stop();
    ASSERT_TRUE(backup.waitForFinished(120000));
    const QString err = QString::fromLocal8Bit(backup.readAllStandardError());
    EXPECT_NE(backup.exitCode(), 0) << qPrintable(err);
    EXPECT_TRUE(err.contains(QStringLiteral("reason: connection lost at 115200 baud")) &&
                err.contains(QStringLiteral("closed by the server")))
        << qPrintable(err);
    EXPECT_TRUE(err.contains(QStringLiteral("connection refused by 127.0.0.1:")))
        << qPrintable(err);
    EXPECT_FALSE(err.contains(QStringLiteral("Finished Creating Panel File"))) << qPrintable(err);
    EXPECT_EQ(fileBytes(file), QByteArray("an earlier backup"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).filter(QStringLiteral("KEEP")).size(), 1);
    sim.stop();
}

TEST(DeviceServer, BackupsBackToBackThroughOneServerAllSucceed) {
    REQUIRE_SER2NET();
    QTemporaryDir dir;
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "lan600", "--address", "7", "--baud", "115200", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    Ser2net server(sim.port, 115200, false, dir.path());
    ASSERT_FALSE(server.port.isEmpty());
    QString errors;
    for (int run = 0; run < 3; ++run) {
        const QString file = dir.filePath(QStringLiteral("B%1.PNL").arg(run));
        const RunResult backup = runProgram(
            QStringLiteral(VTL_CLI_EXE),
            QStringList{"backup"} << connection("lan600", server.port, "115200") << "--retries"
                                  << BusyMachineRetries << "--out" << file,
            ProgramTimeoutMs);
        ASSERT_EQ(backup.exitCode, 0) << run << qPrintable(backup.err);
        errors += backup.err;
        // Each backup is a session of its own: none finds the server still busy with the last.
        for (const char* sessionTrouble : {"connection lost", "closed by the server",
                                           "connection refused", "no answer from", "session to"})
            EXPECT_FALSE(backup.err.contains(QLatin1String(sessionTrouble)))
                << qPrintable(backup.err);
        const RunResult inspect = runProgram(QStringLiteral(VTL_CLI_EXE), {"inspect", file});
        EXPECT_TRUE(inspect.out.contains(QStringLiteral("\nrecords: 72\n")))
            << qPrintable(inspect.out.left(300));
    }
    server.stop();
    const QStringList complaints = stopAndExplain(sim, errors);
    EXPECT_TRUE(complaints.isEmpty()) << qPrintable(complaints.join('\n'));
}

} // namespace
} // namespace vtl::test
