// vtl-cli routing against vtl-sim through a real pseudo-terminal, in real time: out to a file,
// edited, in again, and read back.
#include "tests/support/Processes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

struct RoutingModel {
    const char* model;
    const char* mode;
    // Edits of the CSV the controller gave, line by line: (line, replacement).
    QList<std::pair<int, QString>> edits;
    const char* otherModeCsv; // a CSV of the other mode, and the refusal it gets
    const char* refusal;
};

void PrintTo(const RoutingModel& m, std::ostream* os) {
    *os << m.model;
}

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void writeText(const QString& path, const QString& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

class RoutingEndToEnd : public ::testing::TestWithParam<RoutingModel> {
protected:
    RunResult routing(const QStringList& fileArgs) {
        return runProgram(QStringLiteral(VTL_CLI_EXE),
                          QStringList{"routing", "--port", sim->port, "--code", "qov", "--baud",
                                      "115200", "--no-delay"}
                              << fileArgs);
    }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    std::unique_ptr<SimProcess> sim;
};

TEST_P(RoutingEndToEnd, OutEditInAndReadBack) {
    const RoutingModel& m = GetParam();
    sim = std::make_unique<SimProcess>(
        QStringLiteral(VTL_SIM_EXE),
        QStringList{"--model", m.model, "--address", "9", "--baud", "115200", "--pty"});
    ASSERT_FALSE(sim->port.isEmpty());
    const QString expectedOut = QStringLiteral("mode: %1\nrows: ").arg(m.mode);

    RunResult run = routing({"--out", file("a.csv")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.out.startsWith(expectedOut)) << qPrintable(run.out);
    QStringList lines = readText(file("a.csv")).split('\n');
    for (const auto& [line, text] : m.edits)
        lines[line] = text;
    writeText(file("b.csv"), lines.join('\n'));
    // A MAC written the other way comes back as the window shows it.
    const QString edited = lines.join('\n').replace("aa:bb:cc:dd:ee:ff", "AA-BB-CC-DD-EE-FF");

    run = routing({"--in", file("b.csv")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains("[VTL] Routing Table Sent\n")) << qPrintable(run.err);

    // Read back as a routing table file, in again unchanged, and back once more as CSV.
    run = routing({"--out", file("T.NET")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    run = routing({"--in", file("T.NET")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    run = routing({"--out", file("c.csv")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(readText(file("c.csv")), edited);

    const RunResult inspect =
        runProgram(QStringLiteral(VTL_CLI_EXE), {"inspect", file("T.NET"), "--json"});
    EXPECT_EQ(inspect.exitCode, 0) << qPrintable(inspect.err);
    EXPECT_TRUE(inspect.out.contains(QStringLiteral("\"mode\": \"%1\"").arg(m.mode)));
    EXPECT_TRUE(inspect.out.contains("\"mtu\": 1400")) << qPrintable(inspect.out.left(200));

    // A table of the other mode is refused and nothing is sent.
    writeText(file("other.csv"), QString::fromLatin1(m.otherModeCsv));
    run = routing({"--in", file("other.csv")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("[Error] %1\n").arg(m.refusal)))
        << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains("Routing Table Sent"));
    run = routing({"--out", file("d.csv")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(readText(file("d.csv")), edited);

    EXPECT_EQ(sim->stop(), 0) << qPrintable(sim->errors);
}

QString otherModeCsv(bool lan) {
    QStringList lines{lan ? "Label,IP Address,MAC Address,Gateway,Broadcast Server,Interval (ms)"
                          : "Label,IP Address,MAC Address"};
    if (!lan)
        lines << "GW,1.1.1.1,00-00-00-00-00-00"
              << "Self,1.1.1.2,00-00-00-00-00-00";
    for (int n = 1; n <= 125; ++n)
        lines << QStringLiteral("%1,1.1.1.%1,00-00-00-00-00-00%2")
                     .arg(n)
                     .arg(lan ? ",0.0.0.0,0,0" : "");
    return (lines << "Subnet Mask,255.0.0.0"
                  << "MTU,576")
        .join('\n');
}

const QByteArray LanOtherCsv = otherModeCsv(false).toLatin1();
const QByteArray MainOtherCsv = otherModeCsv(true).toLatin1();

INSTANTIATE_TEST_SUITE_P(
    MainAndLan, RoutingEndToEnd,
    ::testing::Values(RoutingModel{"main",
                                   "main panel",
                                   {{1, "GW,10.0.0.1,00-10-20-30-40-50"},
                                    {7, "5,10.0.0.5,aa:bb:cc:dd:ee:ff"},
                                    {129, "MTU,1400"}},
                                   MainOtherCsv.constData(),
                                   "This File Is Not For A RZQ-320."},
                      RoutingModel{"lan490",
                                   "LAN",
                                   {{3, "3,10.0.0.3,00-40-9D-00-01-03,10.0.0.254,1,7000"},
                                    {9, "9,10.0.0.9,00-40-9D-00-01-09,10.0.0.254,1,500"},
                                    {126, "Subnet Mask,255.255.0.0"},
                                    {127, "MTU,1400"}},
                                   LanOtherCsv.constData(),
                                   "This File Is Not For A RZQ-410."}),
    [](const auto& row) { return std::string(row.param.model); });

TEST(RoutingUsage, FileAndDirectionAreChecked) {
    const QStringList connection{"--port", "/dev/null", "--code", "qov"};
    EXPECT_EQ(
        runProgram(QStringLiteral(VTL_CLI_EXE), QStringList{"routing"} << connection).exitCode, 2);
    EXPECT_EQ(runProgram(QStringLiteral(VTL_CLI_EXE),
                         QStringList{"routing", "--out", "T.TXT"} << connection)
                  .exitCode,
              2);
    const RunResult missing =
        runProgram(QStringLiteral(VTL_CLI_EXE),
                   QStringList{"routing", "--in", "/nonexistent/T.NET"} << connection);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err.trimmed(), "[Error] Error In Reading The File.");
}

} // namespace
} // namespace vtl::test
