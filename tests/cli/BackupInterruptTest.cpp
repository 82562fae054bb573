// vtl-cli backup against vtl-sim on a pseudo-terminal: Ctrl-C stops it as Cancel does (the old
// file kept byte for byte, exit status 1), and a terminal gets one progress line redrawn in place.
#include "tests/support/Processes.h"
#include "tests/support/Pty.h"
#include "tests/support/SimComplaints.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

namespace vtl::test::BackupInterruptTest {
namespace {

const QByteArray OldBytes("an earlier backup that must survive Ctrl-C");

// Qt locks a port with a file named for it in the system's lock folder (/dev/pts/3: LCK..pts_3).
bool portLocked(const QString& port) {
    const QString name = QString(port).remove(QStringLiteral("/dev/")).replace('/', '_');
    return QFile::exists(QStringLiteral("/run/lock/LCK..") + name) ||
           QFile::exists(QStringLiteral("/var/lock/LCK..") + name);
}

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
    }
};

// A retry the protocol allows on a busy machine is explained by what the program said.
void expectNothingUnexplained(SimProcess& sim, const QByteArray& err) {
    const QStringList complaints = stopAndExplain(sim, QString::fromLocal8Bit(err));
    EXPECT_TRUE(complaints.isEmpty()) << qPrintable(complaints.join('\n')) << err.constData();
}

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
    expectNothingUnexplained(sim, err);
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
    expectNothingUnexplained(sim, err);
}

// SIGTERM and SIGHUP (a session ended, a terminal closed) stop the backup as Ctrl-C does: at a
// safe point, the Sub LAN bus handed back, the old file kept, nothing left behind.
TEST(EndedBackup, SigtermAndSighupStopAtASafePoint) {
    const struct {
        const char* name;
        int signal;
        QStringList simArguments;
        QStringList cliArguments;
    } cases[] = {
        {"SIGTERM, sub panel",
         SIGTERM,
         {"--model", "sub3000", "--address", "5", "--baud", "38400", "--pty", "--log"},
         {"--baud", "38400", "--sub-lan"}},
        {"SIGHUP, main panel",
         SIGHUP,
         {"--model", "main", "--address", "7", "--baud", "115200", "--pty", "--log"},
         {"--baud", "115200"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("PANEL.PNL"));
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(OldBytes);
        old.close();
        SimProcess sim(QStringLiteral(VTL_SIM_EXE), c.simArguments);
        ASSERT_FALSE(sim.port.isEmpty());
        QProcess cli;
        cli.start(QStringLiteral(VTL_CLI_EXE),
                  QStringList{"backup", "--port", sim.port, "--code", "qov", "--out", path} +
                      c.cliArguments);
        ASSERT_TRUE(cli.waitForStarted(5000));
        QByteArray err;
        ASSERT_TRUE(InterruptedBackup::waitFor(err, " 3 of", [&] {
            cli.waitForReadyRead(200);
            return cli.readAllStandardError();
        })) << err.constData();

        ::kill(pid_t(cli.processId()), c.signal);
        ASSERT_TRUE(cli.waitForFinished(10000));
        err += cli.readAllStandardError();
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 1);
        EXPECT_TRUE(err.contains("[VTL] Panel File Creation Aborted.")) << err.constData();
        QFile kept(path);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), OldBytes);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("PANEL.PNL")});
        // The port's lock went with the port.
        EXPECT_FALSE(portLocked(sim.port));

        expectNothingUnexplained(sim, err);
        // What the simulator heard last after the last request (a sub panel: the bus handed back).
        QString lastHeard;
        for (const QString& line : sim.errors.split(QLatin1Char('\n')))
            if (line.contains(QLatin1String(" heard "))) lastHeard = line.section(' ', 2, 2);
        if (c.simArguments.contains(QStringLiteral("sub3000"))) {
            EXPECT_EQ(lastHeard, QStringLiteral("release:")) << qPrintable(sim.errors);
        }
    }
}

} // namespace
} // namespace vtl::test::BackupInterruptTest
