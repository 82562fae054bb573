// What vtl-cli keeps from a controller: values it could not read, values that do not fit their
// field, and command lines that are wrong before they connect. Against vtl-sim in real time; the
// line trace (--trace) and the simulator's memory dump show what was written.
#include "tests/support/Processes.h"
#include "tests/support/TraceWrites.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::SettingsGuardsEndToEndTest {
namespace {

RunResult cli(const QStringList& args) {
    return runProgram(QStringLiteral(VTL_CLI_EXE), args);
}

QStringList connection(const QString& port, const QString& baud, bool subLan = false) {
    QStringList args{"--port", port, "--code", "QOV", "--baud", baud, "--retries", "0"};
    if (subLan) args << "--sub-lan";
    return args;
}

// The record lines ("command point table length hex") of a simulator's memory dump.
QString dumpedRecord(const QString& dumpFile, const QString& key) {
    QFile file(dumpFile);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("no dump");
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith((key + ' ').toLatin1())) return QString::fromLatin1(line);
    return {};
}

QMap<QString, QString> values(const RunResult& run) {
    QMap<QString, QString> map;
    for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts))
        map.insert(line.section(QStringLiteral(": "), 0, 0), line.section(QStringLiteral(": "), 1));
    return map;
}

struct Guarded : ::testing::Test {
    QTemporaryDir dir;
    QString trace = dir.filePath("line.jsonl");
    QString dump = dir.filePath("memory.txt");
};

// ---- a value that was never read is never written ---------------------------------------------

TEST_F(Guarded, SubPanelWhoseCompatibilityFlagWasNotReadGetsNothing) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE), {"--model", "sub4000", "--address", "5", "--baud",
                                                 "38400", "--pty", "--silent-read", "50/0/104"});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run = cli(QStringList{"settings", "--set", "address=3", "--trace", trace} +
                              connection(sim.port, "38400", true));
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains("[VTL] Problem Retrieving Panel Information. -> Cancel"))
        << qPrintable(run.err);
    EXPECT_TRUE(
        run.err.contains("vtl-cli settings: the settings could not be read; nothing written"))
        << qPrintable(run.err);
    EXPECT_TRUE(run.out.isEmpty()) << qPrintable(run.out);
    EXPECT_EQ(writesIn(trace), QStringList{});
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST_F(Guarded, ModbusSettingsNotReadAreNotWritten) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE), {"--model", "sub6000", "--address", "4", "--baud",
                                                 "38400", "--pty", "--silent-read", "50/0/110"});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult shown =
        cli(QStringList{"modbus", "--trace", trace} + connection(sim.port, "38400", true));
    EXPECT_EQ(shown.exitCode, 1);
    // The zeroed record of a read given up is not shown as the controller's.
    EXPECT_TRUE(shown.out.isEmpty()) << qPrintable(shown.out);
    EXPECT_TRUE(shown.err.contains("vtl-cli modbus: the settings could not be read\n"))
        << qPrintable(shown.err);
    const RunResult set = cli(QStringList{"modbus", "--set", "format=E-8-1", "--trace", trace} +
                              connection(sim.port, "38400", true));
    EXPECT_EQ(set.exitCode, 1);
    EXPECT_TRUE(set.err.contains("the settings could not be read; nothing written"))
        << qPrintable(set.err);
    EXPECT_EQ(writesIn(trace), QStringList{});
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST_F(Guarded, ModbusRateReadAsUnknownStaysAsItWas) {
    // RTU, a divisor of 0x0163 (no rate the window knows), N-8-1.
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "sub6000", "--address", "4", "--baud", "38400", "--pty", "--record",
                    "50/0/110=00016300", "--dump", dump});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run =
        cli(QStringList{"modbus", "--set", "format=E-8-1"} + connection(sim.port, "38400", true));
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, "mode: rtu\nbaud: ???\nformat: E-8-1\n");
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    EXPECT_EQ(dumpedRecord(dump, "50 0 110"), "50 0 110 4 00016312");
}

TEST_F(Guarded, BacnetSettingsNotReadAreNotWritten) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE), {"--model", "lan490", "--address", "9", "--baud",
                                                 "19200", "--pty", "--silent-read", "50/0/22"});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run = cli(QStringList{"bacnet", "--set", "name=AHU-1", "--trace", trace} +
                              connection(sim.port, "19200"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("[VTL] Communication Error\n")) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains("vtl-cli bacnet: the settings could not be read; nothing written"))
        << qPrintable(run.err);
    EXPECT_EQ(writesIn(trace), QStringList{});
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST_F(Guarded, ControllerSettingsNotReadAreNotWritten) {
    for (const auto& [model, record] : {std::pair{"main", "38/49/0"}, {"lan602", "38/0/0"}}) {
        SimProcess sim(QStringLiteral(VTL_SIM_EXE), {"--model", model, "--address", "9", "--baud",
                                                     "19200", "--pty", "--silent-read", record});
        ASSERT_FALSE(sim.port.isEmpty());
        const RunResult run = cli(QStringList{"settings", "--set", "address=7", "--trace", trace} +
                                  connection(sim.port, "19200"));
        EXPECT_EQ(run.exitCode, 1) << model;
        EXPECT_TRUE(run.err.contains("the settings could not be read; nothing written"))
            << qPrintable(run.err);
        EXPECT_EQ(writesIn(trace), QStringList{}) << model;
        EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    }
}

TEST_F(Guarded, MainPanelModemStringNotReadStaysTheControllers) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "main", "--address", "9", "--baud", "19200", "--pty",
                    "--silent-read", "38/31/252", "--dump", dump});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run = cli(QStringList{"settings", "--set", "address=7", "--trace", trace} +
                              connection(sim.port, "19200"));
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains("[VTL] Configuration Sent")) << qPrintable(run.err);
    EXPECT_EQ(values(run).value("address"), "7");
    EXPECT_FALSE(values(run).contains("modem-string")) << qPrintable(run.out);
    // The settings block alone: the string the controller holds was never seen.
    EXPECT_EQ(writesIn(trace), QStringList{"138/49/0"});
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    EXPECT_TRUE(dumpedRecord(dump, "38 31 252").startsWith("38 31 252 32 41545a00"))
        << qPrintable(dumpedRecord(dump, "38 31 252"));
}

// ---- checked before connecting --------------------------------------------------------------

TEST(CheckedBeforeConnecting, BadSetsAreUsageErrorsAndConnectToNothing) {
    struct Row {
        QStringList args;
        QString says;
    };
    const QString tooLong33(33, u'A');
    for (const Row& r : {
             Row{{"settings", "--set", "address=0"}, "address takes a number from 1 to 125"},
             Row{{"settings", "--set", "address=126"}, "address takes a number from 1 to 125"},
             Row{{"settings", "--set", "address="}, "address takes a number from 1 to 125"},
             Row{{"settings", "--set", "address=x"}, "address takes a number from 1 to 125"},
             Row{{"settings", "--set", "smtp=300.1.999.4"}, "smtp takes an IPv4 address"},
             Row{{"settings", "--set", "smtp=10.2"}, "smtp takes an IPv4 address"},
             Row{{"settings", "--set", "modem-string=" + tooLong33}, "up to 32 plain characters"},
             Row{{"settings", "--set", "modem-string=AT\tZ"}, "up to 32 plain characters"},
             Row{{"settings", "--set", "mcquay-password=123456789"}, "up to 8 plain characters"},
             Row{{"settings", "--set", "cards=IIX"}, "cards takes eight of U, I, O"},
             Row{{"settings", "--set", "cards=UUUUUUUI\n"}, "cards takes eight of U, I, O"},
             Row{{"settings", "--set", "computer-a=300"}, "computer-a takes"},
             Row{{"settings", "--set", "firmware=9.99"},
                 "firmware describes the controller and cannot be set"},
             Row{{"settings", "--set", "nokey=1"}, "unknown key nokey"},
             Row{{"settings", "--set", "address=5", "--set", "address=6"},
                 "--set address is given twice"},
             Row{{"bacnet", "--set", "instance="}, "instance takes a number from 0 to 4194303"},
             Row{{"bacnet", "--set", "instance=4194304"}, "instance takes a number from 0"},
             Row{{"bacnet", "--set", "name=" + QString(31, u'N')}, "up to 30 plain characters"},
             Row{{"bacnet", "--set", "name=AHU\t1"}, "up to 30 plain characters"},
             Row{{"bacnet", "--set", "name=AHU\n1"}, "up to 30 plain characters"},
             Row{{"bacnet", "--set", "location=Kesselraum \u00e9"}, "up to 60 plain characters"},
             Row{{"bacnet", "--set", "description=" + QString(10000, u'D')},
                 "up to 60 plain characters"},
             Row{{"bacnet", "--set", "apdu-timeout=49"}, "apdu-timeout takes a number from 50"},
             Row{{"bacnet", "--set", "max-master="}, "max-master takes a number from 0 to 127"},
             Row{{"bacnet", "--set", "name=A", "--set", "name=B"}, "--set name is given twice"},
             Row{{"settings", "--sub-lan", "--set", "address=3", "--set", "address=4"},
                 "--set address is given twice"},
         }) {
        // No such port: anything that got as far as connecting would fail with exit 1.
        const RunResult run =
            cli(r.args + QStringList{"--port", "/dev/vtl-no-such-port", "--code", "QOV"});
        EXPECT_EQ(run.exitCode, 2) << qPrintable(r.args.join(' ').left(80) + "\n" + run.err);
        EXPECT_TRUE(run.err.contains(r.says)) << qPrintable(run.err.left(400));
        EXPECT_TRUE(run.out.isEmpty());
    }
}

// ---- what is shown can be set ------------------------------------------------------------------

class ShownCanBeSet : public ::testing::TestWithParam<const char*> {};

TEST_P(ShownCanBeSet, EveryKeyOfTheReadOutTakesItsOwnValue) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", GetParam(), "--address", "9", "--baud", "19200", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult shown = cli(QStringList{"settings"} + connection(sim.port, "19200"));
    ASSERT_EQ(shown.exitCode, 0) << qPrintable(shown.err);
    QStringList sets;
    for (const QString& line : shown.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QString key = line.section(QStringLiteral(": "), 0, 0);
        if (QStringList{"controller", "type-code", "firmware", "form", "result"}.contains(key))
            continue;
        sets << "--set" << key + "=" + line.section(QStringLiteral(": "), 1);
    }
    const RunResult sent = cli(QStringList{"settings"} + sets + connection(sim.port, "19200"));
    EXPECT_EQ(sent.exitCode, 0) << qPrintable(sets.join(' ') + "\n" + sent.err);
    EXPECT_EQ(sent.out, shown.out);
    EXPECT_EQ(cli(QStringList{"settings"} + connection(sim.port, "19200")).out, shown.out);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, ShownCanBeSet,
                         ::testing::Values("main", "lan490", "lan600", "lan602"),
                         [](const auto& kind) { return std::string(kind.param); });

} // namespace
} // namespace vtl::test::SettingsGuardsEndToEndTest
