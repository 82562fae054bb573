// Setting templates against vtl-sim in real time: what --json printed, cut down, taken back by
// --apply; --dry-run reads and sends nothing; only what differs is sent; the write is seen in the
// simulator's memory; bad templates are refused before anything connects; a site takes one
// template on every row.
#include "tests/support/Processes.h"
#include "tests/support/TraceWrites.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace vtl::test::SettingsTemplateEndToEndTest {
namespace {

RunResult cli(const QStringList& args) {
    return runProgram(QStringLiteral(VTL_CLI_EXE), args, 120000);
}

QStringList connection(const QString& port, bool subLan = false) {
    QStringList args{"--port", port, "--code", "QOV", "--baud", "38400", "--retries", "0"};
    if (subLan) args << "--sub-lan";
    return args;
}

QString dumpedRecord(const QString& dumpFile, const QString& key) {
    QFile file(dumpFile);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("no dump");
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith((key + ' ').toLatin1())) return QString::fromLatin1(line);
    return {};
}

struct Templates : ::testing::Test {
    QTemporaryDir dir;
    QString trace = dir.filePath("line.jsonl");
    QString dump = dir.filePath("memory.txt");

    QString write(const char* name, const QByteArray& text) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
};

TEST_F(Templates, DryRunThenForRealThenNothingLeftToSend) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE), {"--model", "main", "--address", "9", "--baud",
                                                 "38400", "--pty", "--dump", dump});
    ASSERT_FALSE(sim.port.isEmpty());
    // As --json printed it, cut down; what describes the controller it came from is not compared,
    // and a null is left as the controller holds it.
    const QString path = write("ahu.json", R"({"controller": "main panel", "type-code": 1,
        "firmware": "9.99", "in-cards": 4, "port-c": 9600, "modem-string": "ATDT5",
        "port-e": null})");
    const QStringList apply =
        QStringList{"settings", "--apply", path, "--trace", trace} + connection(sim.port);

    const RunResult dry = cli(apply + QStringList{"--dry-run"});
    EXPECT_EQ(dry.exitCode, 0) << qPrintable(dry.err);
    EXPECT_EQ(dry.out, "in-cards: 2 -> 4\nport-c: 2400 -> 9600\nmodem-string: ATZ -> ATDT5\n");
    EXPECT_TRUE(dry.err.endsWith("vtl-cli settings: dry run: 3 to change, nothing sent\n"))
        << qPrintable(dry.err);
    EXPECT_EQ(writesIn(trace).join(' '), "");

    const RunResult sent = cli(apply);
    EXPECT_EQ(sent.exitCode, 0) << qPrintable(sent.err);
    EXPECT_TRUE(sent.err.contains("[VTL] Configuration Sent")) << qPrintable(sent.err);
    EXPECT_TRUE(sent.out.contains("\nin-cards: 4\n")) << qPrintable(sent.out);
    EXPECT_TRUE(sent.out.contains("\nport-c: 9600\n")) << qPrintable(sent.out);
    // The modem string's record, then the settings block, as the window's Send writes them.
    EXPECT_EQ(writesIn(trace).join(' '), "138/31/252 138/49/0");

    const RunResult again = cli(apply);
    EXPECT_EQ(again.exitCode, 0) << qPrintable(again.err);
    EXPECT_TRUE(again.err.contains(
        "vtl-cli settings: the controller holds these settings already; nothing sent"))
        << qPrintable(again.err);
    EXPECT_EQ(writesIn(trace).join(' '), "");

    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    // The modem string, in its record of the simulator's memory: "ATDT5".
    EXPECT_TRUE(dumpedRecord(dump, "38 31 252").startsWith("38 31 252 32 415444543500"))
        << qPrintable(dumpedRecord(dump, "38 31 252"));
}

TEST_F(Templates, ModbusTemplateDryRunAsJsonThenWritten) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "sub6000", "--address", "4", "--baud", "38400", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    const QString path = write("modbus.json", R"({"format": "O-7-1", "mode": "ascii"})");
    const QStringList apply = QStringList{"modbus", "--apply", path} + connection(sim.port, true);
    const RunResult dry = cli(apply + QStringList{"--dry-run", "--json"});
    EXPECT_EQ(dry.exitCode, 0) << qPrintable(dry.err);
    const QJsonObject changes = QJsonDocument::fromJson(dry.out.toUtf8()).object();
    EXPECT_EQ(changes, (QJsonObject{{"mode", QJsonObject{{"from", "rtu"}, {"to", "ascii"}}},
                                    {"format", QJsonObject{{"from", "N-8-1"}, {"to", "O-7-1"}}}}))
        << qPrintable(dry.out);
    const RunResult sent = cli(apply + QStringList{"--json"});
    EXPECT_EQ(sent.exitCode, 0) << qPrintable(sent.err);
    EXPECT_EQ(sent.out.trimmed(), R"({"mode":"ascii","baud":19200,"format":"O-7-1"})");
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST_F(Templates, AnotherKindsTemplateWritesNothing) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "lan490", "--address", "9", "--baud", "38400", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    const QString path = write("main.json", R"({"controller": "main panel", "last-panel": false})");
    const RunResult run =
        cli(QStringList{"settings", "--apply", path, "--trace", trace} + connection(sim.port));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("vtl-cli settings: the template holds the settings of a main "
                                 "panel, and a LAN controller answered; nothing sent"))
        << qPrintable(run.err);
    EXPECT_EQ(writesIn(trace).join(' '), "");
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST_F(Templates, BadTemplatesAreRefusedBeforeConnecting) {
    struct Row {
        QStringList command;
        QByteArray text; // empty: no file at all
        int exit;
        QString says;
    };
    const QByteArray longText = "{\"modem-string\": \"" + QByteArray(500, 'M') + "\"}";
    for (const Row& r : {
             Row{{"settings"}, "", 1, "cannot read"},
             Row{{"settings"}, "address=5", 1, "is not a settings template"},
             Row{{"settings"}, "[1, 2]", 1, "is not a settings template"},
             Row{{"settings"}, R"({"address": 0})", 2, "address takes a number from 1 to 125"},
             Row{{"settings"}, R"({"address": 5.5})", 2, "address must be a whole number"},
             Row{{"settings"}, R"({"cards": ["I"]})", 2, "cards must be a whole number"},
             Row{{"settings"}, R"({"nokey": 1})", 2, "unknown key nokey"},
             Row{{"settings"}, R"({"controller": "toaster"})", 2, "controller must be one of"},
             Row{{"settings"},
                 R"({"controller": "sub panel", "baud": 9600})",
                 2,
                 "holds the settings of a sub panel: give --sub-lan"},
             Row{{"settings"}, longText, 2, "(500 characters)"},
             Row{{"settings", "--sub-lan"},
                 R"({"baud": 4800})",
                 2,
                 "baud takes 9600, 19200, 38400"},
             Row{{"settings", "--sub-lan"},
                 R"({"controller": "main panel"})",
                 2,
                 "leave out --sub-lan"},
             Row{{"modbus", "--sub-lan"},
                 R"({"mode": "rtu", "format": "E-7-1"})",
                 2,
                 "format E-7-1 does not belong to RTU mode"},
             Row{{"bacnet"}, R"({"instance": 4194304})", 2, "instance takes a number from 0"},
             Row{{"settings", "--set", "address=5"},
                 "{}",
                 2,
                 "--set and --apply exclude each other"},
         }) {
        const QString path = r.text.isEmpty() ? dir.filePath("none.json") : write("t.json", r.text);
        const RunResult run =
            cli(r.command +
                QStringList{"--apply", path, "--port", "/dev/vtl-no-such-port", "--code", "QOV"});
        EXPECT_EQ(run.exitCode, r.exit) << qPrintable(r.text.left(80) + "\n" + run.err);
        EXPECT_TRUE(run.err.contains(r.says)) << qPrintable(run.err.left(400));
        EXPECT_FALSE(run.err.contains("COM Port Error")) << qPrintable(run.err);
    }
    EXPECT_EQ(
        cli({"settings", "--dry-run", "--port", "/dev/vtl-no-such-port", "--code", "QOV"}).exitCode,
        2);
}

// A site of a main panel and a sub panel on TCP ports: one template, dry run, then for real.
TEST_F(Templates, ASiteTakesOneTemplateOnEveryRow) {
    std::vector<std::unique_ptr<SimProcess>> sims;
    for (const char* model : {"main", "sub3000"})
        sims.push_back(std::make_unique<SimProcess>(
            QStringLiteral(VTL_SIM_EXE),
            QStringList{"--model", model, "--address", "7", "--baud", "38400", "--tcp", "0"}));
    for (const auto& sim : sims)
        ASSERT_FALSE(sim->port.isEmpty());
    const QString site = write("site.csv", "name,port,framing,baud,address,code\n"
                                           "AHU-7," +
                                               sims[0]->port.toUtf8() +
                                               ",lan,38400,7,\n"
                                               "ROOF-7," +
                                               sims[1]->port.toUtf8() + ",sub-lan,38400,7,\n");
    const QString roof = write("roof.json", R"({"last-panel": true})");
    const QStringList apply = {"site", "settings", site, "--code", "QOV", "--apply", roof};

    const RunResult refused = cli({"site", "settings", site, "--code", "QOV", "--apply",
                                   write("address.json", R"({"address": 7})")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("must not hold an address")) << qPrintable(refused.err);

    const RunResult dry = cli(apply + QStringList{"--dry-run", "--json"});
    EXPECT_EQ(dry.exitCode, 0) << qPrintable(dry.err);
    const QJsonObject planned = QJsonDocument::fromJson(dry.out.toUtf8()).object();
    EXPECT_EQ(planned.value("AHU-7").toObject(), QJsonObject{}) << qPrintable(dry.out);
    EXPECT_EQ(planned.value("ROOF-7").toObject(),
              (QJsonObject{{"last-panel", QJsonObject{{"from", false}, {"to", true}}}}))
        << qPrintable(dry.out);
    EXPECT_TRUE(dry.err.contains("1 to change, nothing sent")) << qPrintable(dry.err);

    const QString report = dir.filePath("report.json");
    const RunResult sent = cli(apply + QStringList{"--report", report});
    EXPECT_EQ(sent.exitCode, 0) << qPrintable(sent.err);
    EXPECT_EQ(sent.out, "AHU-7:\nROOF-7:\n  last-panel: no -> yes\n");
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto controllers = QJsonDocument::fromJson(file.readAll())["controllers"].toArray();
    ASSERT_EQ(controllers.size(), 2);
    EXPECT_EQ(controllers[0]["sent"], false);
    EXPECT_EQ(controllers[0]["detail"], "nothing to change; nothing sent");
    EXPECT_EQ(controllers[1]["sent"], true);
    EXPECT_EQ(controllers[1]["settings"]["last-panel"], true);

    const RunResult read = cli(QStringList{"settings"} + connection(sims[1]->port, true));
    EXPECT_TRUE(read.out.contains("\nlast-panel: yes\n")) << qPrintable(read.out);
    for (const auto& sim : sims)
        EXPECT_EQ(sim->stop(), 0) << qPrintable(sim->errors);
}

} // namespace
} // namespace vtl::test::SettingsTemplateEndToEndTest
