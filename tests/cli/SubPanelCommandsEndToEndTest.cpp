// vtl-cli settings, modbus and clear against vtl-sim sub panels on a pseudo-terminal, in real time:
// what is sent is read back by a second run, and the simulator hears no breach of the protocol.
#include "tests/support/Processes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::SubPanelCommandsEndToEndTest {
namespace {

RunResult cli(const QString& port, QStringList args) {
    args << "--port" << port << "--code"
         << "QOV"
         << "--sub-lan";
    return runProgram(QStringLiteral(VTL_CLI_EXE), args);
}

QStringList lines(const RunResult& run) {
    return run.out.split('\n', Qt::SkipEmptyParts);
}

struct Model {
    const char* name;
    bool kestrom;
    bool modbus;
};

void PrintTo(const Model& m, std::ostream* os) {
    *os << m.name;
}

QStringList settingsLines(const Model& m, int address, int baud, bool lastPanel, bool kestrom) {
    QStringList l{"controller: sub panel", QStringLiteral("address: %1").arg(address),
                  QStringLiteral("baud: %1").arg(baud),
                  QStringLiteral("last-panel: %1").arg(lastPanel ? "yes" : "no")};
    if (m.kestrom) l << QStringLiteral("kestrom-compatible: %1").arg(kestrom ? "yes" : "no");
    l << QStringLiteral("modbus: %1").arg(m.modbus ? "yes" : "no");
    return l;
}

class SubPanelSettings : public ::testing::TestWithParam<Model> {};

TEST_P(SubPanelSettings, ShowSendAndReadBack) {
    const Model& m = GetParam();
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", m.name, "--address", "9", "--baud", "19200", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());

    // Speeds are given: listening for the speed is tested elsewhere, and on a busy machine it is
    // the part of this run most easily upset.
    RunResult run = cli(sim.port, {"settings", "--baud", "19200"});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(lines(run), settingsLines(m, 9, 19200, false, false)) << qPrintable(run.err);

    QStringList set{"settings", "--baud",     "19200", "--set",         "address=12",
                    "--set",    "baud=38400", "--set", "last-panel=yes"};
    if (m.kestrom)
        set << "--set"
            << "kestrom-compatible=yes";
    run = cli(sim.port, set);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(lines(run), settingsLines(m, 12, 38400, true, true)) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains("[VTL] Configuration Sent\n")) << qPrintable(run.err);

    run = cli(sim.port, {"settings", "--json", "--baud", "38400"});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.out.contains("\"address\":12,\"baud\":38400")) << qPrintable(run.out);
    EXPECT_EQ(run.out.contains("\"kestrom-compatible\":true"), m.kestrom) << qPrintable(run.out);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

INSTANTIATE_TEST_SUITE_P(EverySubPanel, SubPanelSettings,
                         ::testing::Values(Model{"sub3000", false, false},
                                           Model{"sub4000", true, false},
                                           Model{"sub5000", false, false},
                                           Model{"sub6000", false, true},
                                           Model{"sub7000", true, false}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(SubPanelModbus, ShowWriteAndReadBack) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "sub6000", "--address", "4", "--baud", "38400", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    RunResult run = cli(sim.port, {"modbus"});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(lines(run), (QStringList{"mode: rtu", "baud: 19200", "format: N-8-1"}));

    run = cli(sim.port,
              {"modbus", "--set", "mode=ascii", "--set", "format=O-7-1", "--set", "baud=2400"});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(lines(run), (QStringList{"mode: ascii", "baud: 2400", "format: O-7-1"}));

    // A format of the other mode, after the read: refused, nothing written.
    run = cli(sim.port, {"modbus", "--set", "format=E-8-1"});
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains("format E-8-1 does not belong to ASCII mode"))
        << qPrintable(run.err);

    run = cli(sim.port, {"modbus", "--json"});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out.trimmed(), R"({"mode":"ascii","baud":2400,"format":"O-7-1"})");
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST(SubPanelRefusals, SettingsTheWindowDoesNotShow) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "sub5000", "--address", "4", "--baud", "38400", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    RunResult run = cli(sim.port, {"modbus"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("offers no ModBus settings")) << qPrintable(run.err);
    run = cli(sim.port, {"settings", "--set", "kestrom-compatible=yes"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("no kestrom-compatible setting; nothing sent"))
        << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains("Configuration Sent"));
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST(SubPanelRefusals, ASecondStationStopsSendBeforeAnyWrite) {
    // The second station starts talking once the program has identified the sub panel and read
    // its status.
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "sub3000", "--address", "4", "--baud", "38400", "--pty",
                    "--second-station", "7", "--second-station-after", "2", "--log"});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run = cli(sim.port, {"settings", "--set", "address=9"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(
        "[Error] Controller Does Not Appear To Be Disconnected From The Network!\n"))
        << qPrintable(run.err);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    EXPECT_EQ(sim.errors.count(" heard request: "), 2) << qPrintable(sim.errors);
}

TEST(SubPanelClear, ClearsWithYesAndWritesTheDescriptorSize) {
    QTemporaryDir dir;
    const QString dump = dir.filePath("memory.txt");
    SimProcess sim(QStringLiteral(VTL_SIM_EXE), {"--model", "sub3000", "--address", "6", "--baud",
                                                 "38400", "--pty", "--dump", dump});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run = cli(sim.port, {"clear", "--yes"});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(lines(run), QStringList{"cleared: yes"});
    EXPECT_TRUE(
        run.err.contains("[WARNING !] This Will Completely Clear The Controller. Proceed? -> OK"))
        << qPrintable(run.err);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    QFile file(dump);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray memory = file.readAll();
    EXPECT_TRUE(memory.contains("\n3 0 0 100 " + QByteArray(200, '0') + "\n"));
}

TEST(SubPanelUsage, BadValuesAreUsageErrorsBeforeAnythingIsSent) {
    struct Row {
        QStringList args;
        const char* says;
    };
    for (const Row& r : {
             Row{{"settings", "--set", "baud=4800"}, "baud takes 9600, 19200, 38400, not \"4800\""},
             Row{{"settings", "--set", "address=125"}, "address takes a number from 1 to 124"},
             Row{{"settings", "--set", "modbus=yes"}, "modbus describes the controller"},
             Row{{"modbus", "--set", "mode=rtu", "--set", "format=E-7-1"},
                 "format E-7-1 does not belong to RTU mode"},
             Row{{"modbus", "--set", "baud=4800"},
                 "baud takes 9600, 19200, 38400, 2400, not \"4800\""},
             Row{{"clear"}, "--yes is required"},
         }) {
        // No such port: anything that got as far as connecting would fail with exit 1.
        const RunResult run = cli("/dev/vtl-no-such-port", r.args);
        EXPECT_EQ(run.exitCode, 2) << qPrintable(r.args.join(' ') + "\n" + run.err);
        EXPECT_TRUE(run.err.contains(r.says)) << qPrintable(run.err);
        EXPECT_TRUE(run.out.isEmpty());
    }
}

} // namespace
} // namespace vtl::test::SubPanelCommandsEndToEndTest
