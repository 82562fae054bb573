// The --json read-outs as a script reads them: parsed by a JSON parser, each key of the type its
// value has (numbers as numbers, yes/no as booleans, null where the window shows no value), keys
// in the order of the text read-out. One case per kind of controller and window, against vtl-sim.
#include "tests/support/Processes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::JsonReadoutsTest {
namespace {

using Type = QJsonValue::Type;
constexpr Type Number = QJsonValue::Double;
constexpr Type Text = QJsonValue::String;
constexpr Type Flag = QJsonValue::Bool;
constexpr Type Null = QJsonValue::Null;

struct Readout {
    const char* name;
    QStringList sim;     // vtl-sim's arguments
    QStringList command; // vtl-cli's, before the connection
    int exitCode;
    QList<QPair<QString, Type>> keys; // in order
};

void PrintTo(const Readout& r, std::ostream* os) {
    *os << r.name;
}

// The top-level keys of a one-line JSON object, in the order written.
QStringList keysInOrder(const QString& json) {
    static const QRegularExpression member(QStringLiteral("[{,]\"([a-z-]+)\":"));
    QStringList keys;
    for (auto it = member.globalMatch(json); it.hasNext();)
        keys << it.next().captured(1);
    return keys;
}

// Every key of `object` with its type, checked against the expected list.
void expectTypes(const QJsonObject& object, const QList<QPair<QString, Type>>& expected) {
    QStringList keys;
    for (const auto& [key, type] : expected) {
        keys << key;
        EXPECT_TRUE(object.contains(key)) << qPrintable(key);
        EXPECT_EQ(object.value(key).type(), type) << qPrintable(key);
    }
    EXPECT_EQ(object.keys().size(), expected.size());
}

class JsonReadout : public ::testing::TestWithParam<Readout> {};

TEST_P(JsonReadout, ParsesWithEveryValueTyped) {
    const Readout& r = GetParam();
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   QStringList{"--address", "9", "--baud", "19200", "--pty"} + r.sim);
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run = runProgram(
        QStringLiteral(VTL_CLI_EXE),
        r.command + QStringList{"--json", "--port", sim.port, "--baud", "19200", "--retries", "0"});
    EXPECT_EQ(run.exitCode, r.exitCode) << qPrintable(run.err);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    ASSERT_TRUE(document.isObject()) << qPrintable(error.errorString() + "\n" + run.out);
    expectTypes(document.object(), r.keys);
    QStringList order;
    for (const auto& key : r.keys)
        order << key.first;
    EXPECT_EQ(keysInOrder(run.out.trimmed()), order) << qPrintable(run.out + run.err);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

const QList<QPair<QString, Type>> Describing = {
    {"controller", Text}, {"type-code", Number}, {"firmware", Text}};
const QList<QPair<QString, Type>> BrinletKeys = {
    {"form", Text},         {"address", Number},    {"last-panel", Flag},  {"modem", Flag},
    {"modem-string", Text}, {"computer-b", Number}, {"sub-lan-a", Number}, {"smtp", Text}};

INSTANTIATE_TEST_SUITE_P(
    EveryKind, JsonReadout,
    ::testing::Values(Readout{"main_panel",
                              {"--model", "main"},
                              {"settings", "--code", "QOV"},
                              0,
                              Describing + QList<QPair<QString, Type>>{{"address", Number},
                                                                       {"last-panel", Flag},
                                                                       {"in-cards", Number},
                                                                       {"out-cards", Number},
                                                                       {"computer-a", Number},
                                                                       {"computer-b", Number},
                                                                       {"port-c", Number},
                                                                       {"port-d", Number},
                                                                       {"port-e", Number},
                                                                       {"port-d-role", Text},
                                                                       {"port-e-role", Text},
                                                                       {"modem-string", Text},
                                                                       {"mcquay-password", Text}}},
                      Readout{"lan_controller",
                              {"--model", "lan490"},
                              {"settings", "--code", "QOV"},
                              0,
                              Describing + QList<QPair<QString, Type>>{{"form", Text},
                                                                       {"address", Number},
                                                                       {"last-panel", Flag},
                                                                       {"modem", Flag},
                                                                       {"modem-string", Text},
                                                                       {"main-network", Number},
                                                                       {"computer-a", Number},
                                                                       {"computer-b", Number},
                                                                       {"sub-lan-a", Number},
                                                                       {"sub-lan-b", Number},
                                                                       {"bacnet-port", Number},
                                                                       {"cards", Text}}},
                      Readout{"brinlet_controller",
                              {"--model", "lan600"},
                              {"settings", "--code", "QOV"},
                              0,
                              Describing + BrinletKeys},
                      Readout{
                          "brinlet_controller_with_mode_and_parity",
                          {"--model", "lan602", "--result", "1234"},
                          {"settings", "--code", "ZORBAKE"}, // the privileged code shows the result
                          0,
                          Describing + BrinletKeys +
                              QList<QPair<QString, Type>>{
                                  {"mode", Text}, {"parity", Text}, {"result", Number}}},
                      Readout{"bacnet",
                              {"--model", "lan490"},
                              {"bacnet", "--code", "QOV"},
                              0,
                              {{"instance", Number},
                               {"name", Text},
                               {"location", Text},
                               {"description", Text},
                               {"apdu-timeout", Number},
                               {"token-timeout", Number},
                               {"max-master", Number}}},
                      Readout{"sub_panel",
                              {"--model", "sub4000"},
                              {"settings", "--sub-lan", "--code", "QOV"},
                              0,
                              {{"controller", Text},
                               {"address", Number},
                               {"baud", Number},
                               {"last-panel", Flag},
                               {"kestrom-compatible", Flag},
                               {"modbus", Flag}}},
                      // The flag's read given up: the window shows neither state.
                      Readout{"sub_panel_flag_not_read",
                              {"--model", "sub4000", "--silent-read", "50/0/104"},
                              {"settings", "--sub-lan", "--code", "QOV"},
                              1,
                              {{"controller", Text},
                               {"address", Number},
                               {"baud", Number},
                               {"last-panel", Flag},
                               {"kestrom-compatible", Null},
                               {"modbus", Flag}}},
                      Readout{"modbus",
                              {"--model", "sub6000"},
                              {"modbus", "--sub-lan", "--code", "QOV"},
                              0,
                              {{"mode", Text}, {"baud", Number}, {"format", Text}}},
                      // A rate no button shows: RTU at a divisor of 0x0163.
                      Readout{"modbus_rate_unknown",
                              {"--model", "sub6000", "--record", "50/0/110=00016300"},
                              {"modbus", "--sub-lan", "--code", "QOV"},
                              0,
                              {{"mode", Text}, {"baud", Null}, {"format", Text}}}),
    [](const auto& kind) { return std::string(kind.param.name); });

TEST(JsonFiles, APanelFileAndARoutingTableFileAreTyped) {
    const RunResult panel =
        runProgram(QStringLiteral(VTL_CLI_EXE),
                   {"inspect", "--json", VTL_SOURCE_DIR "/panelfile/fuzz/corpus/main-records.pnl"});
    ASSERT_EQ(panel.exitCode, 0) << qPrintable(panel.err);
    const QJsonObject file = QJsonDocument::fromJson(panel.out.toUtf8()).object();
    expectTypes(file, {{"signature", Text},
                       {"time", Text},
                       {"date", Text},
                       {"family-code", Number},
                       {"class", Text},
                       {"address", Number},
                       {"any-address", Flag},
                       {"records", QJsonValue::Array}});
    ASSERT_FALSE(file.value("records").toArray().isEmpty());
    expectTypes(file.value("records").toArray().first().toObject(), {{"command", Number},
                                                                     {"point", Number},
                                                                     {"table", Number},
                                                                     {"length", Number},
                                                                     {"name", Text},
                                                                     {"status", Text}});

    QTemporaryDir dir;
    const QString table = dir.filePath("T.NET");
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "lan490", "--address", "9", "--baud", "38400", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult read =
        runProgram(QStringLiteral(VTL_CLI_EXE), {"routing", "--out", table, "--port", sim.port,
                                                 "--code", "QOV", "--baud", "38400"});
    ASSERT_EQ(read.exitCode, 0) << qPrintable(read.err);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    const RunResult routing = runProgram(QStringLiteral(VTL_CLI_EXE), {"inspect", "--json", table});
    ASSERT_EQ(routing.exitCode, 0) << qPrintable(routing.err);
    const QJsonObject t = QJsonDocument::fromJson(routing.out.toUtf8()).object();
    expectTypes(
        t, {{"mode", Text}, {"subnet-mask", Text}, {"mtu", Number}, {"rows", QJsonValue::Array}});
    ASSERT_FALSE(t.value("rows").toArray().isEmpty());
    expectTypes(t.value("rows").toArray().first().toObject(), {{"label", Text},
                                                               {"ip", Text},
                                                               {"mac", Text},
                                                               {"gateway", Text},
                                                               {"broadcast", Flag},
                                                               {"interval-ms", Number}});
}

} // namespace
} // namespace vtl::test::JsonReadoutsTest
