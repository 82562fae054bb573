// vtl-cli backup against vtl-sim on a pseudo-terminal: Ctrl-C stops it as Cancel does (the old
// file kept byte for byte, exit status 1), and a terminal gets one progress line redrawn in place.
#include "tests/support/Processes.h"
#include "tests/support/Pty.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

namespace vtl::test {
namespace {

const QByteArray OldBytes("an earlier backup that must survive Ctrl-C");

struct InterruptedBackup : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("PANEL.PNL"));
    SimProcess sim{QStringLiteral(VTL_SIM_EXE),
                   {"--model", "main", "--address", "7", "--baud", "115200", "--pty"}};
    QProcess cli;

    void SetUp() override {
        ASSERT_FALSE(sim.port.isEmpty());
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(OldBytes);
    }
    void start() {
        cli.start(QStringLiteral(VTL_CLI_EXE), {"backup", "--port", sim.port, "--code", "qov",
                                                "--baud", "115200", "--out", path});
        ASSERT_TRUE(cli.waitForStarted(5000));
    }
    // Reads `more()` until `seen` holds `text`; false after 30 s.
    template <typename More>
    static bool waitFor(QByteArray& seen, const QByteArray& text, More more) {
        QDeadlineTimer deadline(30000);
        while (!seen.contains(text) && !deadline.hasExpired())
            seen += more();
        return seen.contains(text);
    }
    void interruptAndExpectTheOldFile() {
        ::kill(pid_t(cli.processId()), SIGINT);
        ASSERT_TRUE(cli.waitForFinished(10000));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 1);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), OldBytes);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("PANEL.PNL")});
        EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    }
};

TEST_F(InterruptedBackup, CtrlCKeepsTheOldFileAndExitsWithOne) {
    start();
    QByteArray err;
    ASSERT_TRUE(waitFor(err, "Reading Outputs 3 of", [this] {
        cli.waitForReadyRead(200);
        return cli.readAllStandardError();
    })) << err.constData();
    interruptAndExpectTheOldFile();
    err += cli.readAllStandardError();
    // Not a terminal: the status texts one per line, then Abort's message.
    EXPECT_FALSE(err.contains('\r'));
    EXPECT_TRUE(err.contains("\n[VTL] Panel File Creation Aborted.\n")) << err.constData();
    EXPECT_FALSE(err.contains("Finished Creating Panel File"));
}

TEST_F(InterruptedBackup, OnATerminalOneProgressLineIsRedrawn) {
    Pty terminal;
    ASSERT_TRUE(terminal.ok());
    cli.setStandardErrorFile(terminal.slavePath());
    start();
    QByteArray err;
    ASSERT_TRUE(waitFor(err, " left", [&] {
        const auto bytes = terminal.readAvailable(100);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    })) << err.constData();
    interruptAndExpectTheOldFile();
    const auto rest = terminal.readAvailable(200);
    err += QByteArray(reinterpret_cast<const char*>(rest.data()), qsizetype(rest.size()));

    // Each redraw goes back to the start of the line and erases what the last one left.
    EXPECT_TRUE(err.contains("\rReading Outputs 1 of")) << err.constData();
    EXPECT_TRUE(err.contains(" records, ")) << err.constData();
    EXPECT_TRUE(err.contains("\x1b[K"));
    EXPECT_FALSE(err.contains("Reading Outputs 1 of 4\n"));
    EXPECT_TRUE(err.contains("\n[VTL] Panel File Creation Aborted.")) << err.constData();
}

} // namespace
} // namespace vtl::test
