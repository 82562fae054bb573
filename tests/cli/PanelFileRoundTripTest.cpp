// vtl-cli backup from one vtl-sim and restore into a cleared twin, through real pseudo-terminals in
// real time: the twin ends with the memory the first one had.
#include "tests/support/MemoryDump.h"
#include "tests/support/Processes.h"
#include "tests/support/SimComplaints.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace vtl::test::PanelFileRoundTripTest {
namespace {

constexpr int ProgramTimeoutMs = 400'000;

struct Model {
    const char* name;
    int records; // in the backup file
};

void PrintTo(const Model& m, std::ostream* os) {
    *os << m.name;
}

bool isSub(const Model& m) {
    return QByteArray(m.name).startsWith("sub");
}

// A sub panel joins the Sub LAN at its own rate, at most 38400; LAN framing runs at 115200. A busy
// machine may hold a reply byte past the read time-out: the program then retries, as a technician
// would, a few times at most.
QStringList connection(const Model& m, const QString& port) {
    QStringList args{"--port", port, "--code", "qov", "--no-delay", "--retries", "5"};
    if (isSub(m))
        return args << "--sub-lan"
                    << "--baud"
                    << "38400";
    return args << "--baud"
                << "115200";
}

QStringList simArguments(const Model& m, const QString& dump) {
    QStringList args{"--model", m.name, "--address", "7", "--pty", "--dump", dump};
    args << "--baud" << (isSub(m) ? "38400" : "115200");
    return args;
}

double seconds(const QElapsedTimer& timer) {
    return double(timer.elapsed()) / 1000.0;
}

class PanelFileRoundTrip : public ::testing::TestWithParam<Model> {};

TEST_P(PanelFileRoundTrip, BackupThenRestoreIntoAClearedTwinGivesTheSameMemory) {
    const Model& m = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("PANEL.PNL"));
    const QString dumpA = dir.filePath(QStringLiteral("a.dump"));
    const QString dumpB = dir.filePath(QStringLiteral("b.dump"));
    QElapsedTimer timer;

    // The original; a sub panel of a type other than the twin's, so that the type travels too.
    QStringList argsA = simArguments(m, dumpA);
    if (isSub(m))
        argsA << "--sub-panel-type"
              << "200";
    SimProcess a(QStringLiteral(VTL_SIM_EXE), argsA);
    ASSERT_FALSE(a.port.isEmpty());
    timer.start();
    const RunResult backup = runProgram(
        QStringLiteral(VTL_CLI_EXE),
        QStringList{"backup"} << connection(m, a.port) << "--out" << file, ProgramTimeoutMs);
    const double backupSeconds = seconds(timer);
    ASSERT_EQ(backup.exitCode, 0) << qPrintable(backup.err);
    const QStringList complaintsA = stopAndExplain(a, backup.err);
    ASSERT_TRUE(complaintsA.isEmpty()) << qPrintable(complaintsA.join('\n'));

    const RunResult inspect = runProgram(QStringLiteral(VTL_CLI_EXE), {"inspect", file});
    EXPECT_EQ(inspect.exitCode, 0) << qPrintable(inspect.err);
    EXPECT_TRUE(inspect.out.contains(QStringLiteral("\nrecords: %1\n").arg(m.records)))
        << qPrintable(inspect.out.left(300));

    SimProcess b(QStringLiteral(VTL_SIM_EXE), simArguments(m, dumpB) << "--cleared");
    ASSERT_FALSE(b.port.isEmpty());
    QStringList restoreArgs = QStringList{"restore"} << connection(m, b.port) << "--in" << file;
    if (!isSub(m))
        restoreArgs << "--clear"
                    << "--send-ethernet";
    timer.restart();
    const RunResult restore =
        runProgram(QStringLiteral(VTL_CLI_EXE), restoreArgs, ProgramTimeoutMs);
    const double restoreSeconds = seconds(timer);
    EXPECT_EQ(restore.exitCode, 0) << qPrintable(restore.err);
    const QStringList complaintsB = stopAndExplain(b, restore.err);
    ASSERT_TRUE(complaintsB.isEmpty()) << qPrintable(complaintsB.join('\n'));

    const QByteArray before = readDump(dumpA);
    ASSERT_FALSE(before.isEmpty());
    const QStringList differences = dumpDifferences(before, readDump(dumpB));
    EXPECT_TRUE(differences.isEmpty()) << qPrintable(differences.join('\n'));

    std::printf("%s: backup %.1f s, restore %.1f s\n", m.name, backupSeconds, restoreSeconds);
    RecordProperty("backup_seconds", QString::number(backupSeconds, 'f', 1).toStdString());
    RecordProperty("restore_seconds", QString::number(restoreSeconds, 'f', 1).toStdString());
}

INSTANTIATE_TEST_SUITE_P(EveryModel, PanelFileRoundTrip,
                         ::testing::Values(Model{"main", 329}, Model{"lan490", 337},
                                           Model{"lan600", 72}, Model{"lan602", 80},
                                           Model{"sub3000", 39}, Model{"sub4000", 47},
                                           Model{"sub5000", 28}, Model{"sub6000", 29},
                                           Model{"sub7000", 82}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace vtl::test::PanelFileRoundTripTest
