// vtl-cli settings, bacnet and clear against vtl-sim through a real pseudo-terminal, in real time:
// what is sent is read back by a later run.
#include "tests/support/Processes.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::ControllerSettingsEndToEndTest {
namespace {

struct Cli {
    QString port;
    QString baud = "19200"; // where the controller is: no search
    QStringList connection() const { return {"--port", port, "--code", "qov", "--baud", baud}; }
    RunResult run(const QString& command, const QStringList& more = {}) const {
        return runProgram(QStringLiteral(VTL_CLI_EXE), QStringList{command} + connection() + more);
    }
    // The "key: value" lines of a run as a map.
    static QMap<QString, QString> values(const RunResult& r) {
        QMap<QString, QString> map;
        for (const QString& line : r.out.split(u'\n', Qt::SkipEmptyParts))
            map.insert(line.section(QStringLiteral(": "), 0, 0),
                       line.section(QStringLiteral(": "), 1));
        return map;
    }
};

SimProcess startSim(const QStringList& extra) {
    return SimProcess(QStringLiteral(VTL_SIM_EXE),
                      QStringList{"--address", "9", "--baud", "19200", "--pty"} + extra);
}

TEST(SettingsEndToEnd, Lan490ShowSetAndReadBack) {
    SimProcess sim = startSim({"--model", "lan490"});
    ASSERT_FALSE(sim.port.isEmpty());
    Cli cli{sim.port};

    RunResult shown = cli.run("settings");
    ASSERT_EQ(shown.exitCode, 0) << qPrintable(shown.err);
    EXPECT_EQ(shown.out, "controller: LAN controller\ntype-code: 490\nfirmware: 4.90\nform: lan\n"
                         "address: 9\nlast-panel: yes\nmodem: no\nmodem-string: ATZ\n"
                         "main-network: 9600\ncomputer-a: 19200\ncomputer-b: 9600\n"
                         "sub-lan-a: 2400\nsub-lan-b: 2400\nbacnet-port: 9600\ncards: IOUUUUUU\n");

    // A value the window could not show sends nothing: a rate it can show but not reach, and a
    // control of another form, after reading.
    for (const char* bad : {"computer-a=4800", "smtp=1.2.3.4"}) {
        const RunResult refused = cli.run("settings", {"--set", bad});
        EXPECT_EQ(refused.exitCode, 2) << bad;
        EXPECT_TRUE(refused.err.contains("nothing sent")) << qPrintable(refused.err);
        EXPECT_FALSE(refused.err.contains("Configuration Sent")) << bad;
    }

    const RunResult sent =
        cli.run("settings", {"--set", "computer-a=38400", "--set", "address=125", "--set",
                             "cards=IIOUUUUO", "--set", "bacnet-port=460800", "--set",
                             "modem-string=AT&F", "--set", "last-panel=no", "--json"});
    ASSERT_EQ(sent.exitCode, 0) << qPrintable(sent.err);
    EXPECT_TRUE(sent.err.contains("[VTL] Configuration Sent\n")) << qPrintable(sent.err);
    EXPECT_TRUE(sent.out.startsWith("{\"controller\":\"LAN controller\",")) << qPrintable(sent.out);
    EXPECT_TRUE(sent.out.contains("\"address\":125,\"last-panel\":false,")) << qPrintable(sent.out);

    // The controller now answers at 38400 at address 125, with what was sent.
    cli.baud = "auto";
    const RunResult again = cli.run("settings");
    ASSERT_EQ(again.exitCode, 0) << qPrintable(again.err);
    EXPECT_TRUE(again.err.contains("Trying 38400 Baud")) << qPrintable(again.err);
    auto v = Cli::values(again);
    EXPECT_EQ(v["address"], "125");
    EXPECT_EQ(v["computer-a"], "38400");
    EXPECT_EQ(v["cards"], "IIOUUUUO");
    EXPECT_EQ(v["bacnet-port"], "460800");
    EXPECT_EQ(v["modem-string"], "AT&F");
    EXPECT_EQ(v["last-panel"], "no");
    EXPECT_EQ(v["main-network"], "9600");

    // Clear without --yes is cancelled.
    const RunResult cancelled = cli.run("clear");
    EXPECT_EQ(cancelled.exitCode, 1);
    EXPECT_TRUE(cancelled.err.contains(
        "[WARNING!] This Will Completely Clear The Controller. Proceed? -> Cancel\n"))
        << qPrintable(cancelled.err);
    const RunResult cleared = cli.run("clear", {"--yes"});
    EXPECT_EQ(cleared.exitCode, 0) << qPrintable(cleared.err);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST(BacnetEndToEnd, ShowRefuseSetAndReadBack) {
    SimProcess sim = startSim({"--model", "lan490"});
    ASSERT_FALSE(sim.port.isEmpty());
    const Cli cli{sim.port};
    const QString original = "instance: 260001\nname: SIM Device\nlocation: Plant Room\n"
                             "description: Simulated controller\napdu-timeout: 3000\n"
                             "token-timeout: 20\nmax-master: 127\n";
    const RunResult shown = cli.run("bacnet");
    ASSERT_EQ(shown.exitCode, 0) << qPrintable(shown.err);
    EXPECT_EQ(shown.out, original);

    struct Refusal {
        QStringList sets;
        const char* message;
    };
    // The one check that needs the block read is the window's own.
    const RunResult refused = cli.run("bacnet", {"--set", "name="});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(
        refused.err.contains("[VTL] Device Must Be Assigned A Name. Configuration NOT Sent.\n"))
        << qPrintable(refused.err);
    EXPECT_TRUE(refused.out.isEmpty());

    const RunResult sent =
        cli.run("bacnet", {"--set", "instance=4194303", "--set", "name=" + QString(30, u'N'),
                           "--set", "apdu-timeout=60000", "--set", "token-timeout=100"});
    ASSERT_EQ(sent.exitCode, 0) << qPrintable(sent.err);
    EXPECT_TRUE(sent.err.contains("[VTL] BACnet Configuration Sent\n")) << qPrintable(sent.err);
    const QString expected = "instance: 4194303\nname: " + QString(30, u'N') +
                             "\nlocation: Plant Room\ndescription: Simulated controller\n"
                             "apdu-timeout: 60000\ntoken-timeout: 100\nmax-master: 127\n";
    EXPECT_EQ(sent.out, expected);
    EXPECT_EQ(cli.run("bacnet").out, expected);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST(SettingsEndToEnd, Lan600SmtpAndHiddenControls) {
    QTemporaryDir dir;
    const QString dump = dir.filePath("memory.txt");
    SimProcess sim = startSim({"--model", "lan600", "--dump", dump});
    ASSERT_FALSE(sim.port.isEmpty());
    const Cli cli{sim.port};
    EXPECT_EQ(cli.run("settings", {"--set", "cards=IIIIIIII"}).exitCode, 2);
    EXPECT_EQ(cli.run("settings", {"--set", "mode=Modbus"}).exitCode, 2);
    const RunResult sent = cli.run("settings", {"--set", "smtp=10.20.30.40"});
    ASSERT_EQ(sent.exitCode, 0) << qPrintable(sent.err);
    const RunResult shown = cli.run("settings");
    auto v = Cli::values(shown);
    EXPECT_EQ(v["form"], "brinlet");
    EXPECT_EQ(v["smtp"], "10.20.30.40");
    // The hidden controls are not listed, and go back as read.
    for (const char* hidden : {"cards", "computer-a", "bacnet-port", "main-network", "sub-lan-b"})
        EXPECT_FALSE(v.contains(hidden)) << hidden;
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    QFile memory(dump);
    ASSERT_TRUE(memory.open(QIODevice::ReadOnly));
    // Cards 1 and 2 in use, card 1 inputs, as the simulated controller starts.
    EXPECT_TRUE(memory.readAll().contains("\n38 0 0 96 0301")) << qPrintable(dump);
}

TEST(SettingsEndToEnd, Lan602ModeParityAndResult) {
    SimProcess sim = startSim({"--model", "lan602", "--result", "77"});
    ASSERT_FALSE(sim.port.isEmpty());
    const Cli cli{sim.port};
    const RunResult plain = cli.run("settings");
    ASSERT_EQ(plain.exitCode, 0) << qPrintable(plain.err);
    EXPECT_FALSE(plain.out.contains("result")) << qPrintable(plain.out);
    EXPECT_FALSE(plain.out.contains("main-network")) << qPrintable(plain.out);
    auto v = Cli::values(plain);
    EXPECT_EQ(v["form"], "mode-parity");
    EXPECT_EQ(v["mode"], "RZQ");
    EXPECT_EQ(v["parity"], "N-8-1");

    const RunResult sent = cli.run("settings", {"--set", "mode=Modbus", "--set", "parity=O-8-1"});
    ASSERT_EQ(sent.exitCode, 0) << qPrintable(sent.err);
    const RunResult privileged =
        runProgram(QStringLiteral(VTL_CLI_EXE),
                   {"settings", "--port", sim.port, "--code", "zorbake", "--baud", "19200"});
    v = Cli::values(privileged);
    EXPECT_EQ(v["mode"], "Modbus");
    EXPECT_EQ(v["parity"], "O-8-1");
    EXPECT_EQ(v["sub-lan-a"], "2400");
    EXPECT_EQ(v["result"], "77");
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST(SettingsEndToEnd, MainPanelShowAndSet) {
    SimProcess sim = startSim({"--model", "main"});
    ASSERT_FALSE(sim.port.isEmpty());
    const Cli cli{sim.port};
    const RunResult shown = cli.run("settings");
    ASSERT_EQ(shown.exitCode, 0) << qPrintable(shown.err);
    EXPECT_EQ(shown.out, "controller: main panel\ntype-code: 320\nfirmware: 3.20\naddress: 9\n"
                         "last-panel: yes\nin-cards: 2\nout-cards: 2\ncomputer-a: 19200\n"
                         "computer-b: 9600\nport-c: 2400\nport-d: 2400\nport-e: 19200\n"
                         "port-d-role: Sub B\nport-e-role: Main\nmodem-string: ATZ\n"
                         "mcquay-password: MCQ\n");
    EXPECT_EQ(cli.run("settings", {"--set", "port-c=57600"}).exitCode, 2);
    const RunResult sent = cli.run("settings", {"--set", "port-d-role=McQuay", "--set",
                                                "mcquay-password=SECRET", "--set", "in-cards=4"});
    ASSERT_EQ(sent.exitCode, 0) << qPrintable(sent.err);
    auto v = Cli::values(cli.run("settings"));
    EXPECT_EQ(v["port-d-role"], "McQuay");
    EXPECT_EQ(v["mcquay-password"], "SECRET");
    EXPECT_EQ(v["in-cards"], "4");
    EXPECT_EQ(cli.run("bacnet").exitCode, 1);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

} // namespace
} // namespace vtl::test::ControllerSettingsEndToEndTest
