// vtl-cli trace, diff and restore --verify, against vtl-sim on a pseudo-terminal in real time.
#include "tests/support/Processes.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::TraceAndVerifyEndToEndTest {
namespace {

const QString Cli = QStringLiteral(VTL_CLI_EXE);

QByteArray panelRecord(int command, int point, int table, const QByteArray& data) {
    QByteArray r;
    r += char(command);
    r += char(point);
    r += char(table);
    r += char(data.size() & 0xFF);
    r += char(data.size() >> 8);
    return r + data;
}

QByteArray bytesCounting(int size, int from) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char(from + i);
    return b;
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// A panel file as a backup writes it: signature, stamps, family block, records.
QByteArray panelFile(int familyCode, const QByteArray& records) {
    QByteArray f("QTZ PANEL FILE VERSION 01.00", 29);
    f += QByteArray("1:00:00 PM", 11);
    f += QByteArray("1/1/26", 7);
    f += char(familyCode & 0xFF);
    f += char(familyCode >> 8);
    f += QByteArray(3, '\0');
    return f + records;
}

TEST(TraceCommand, AnIdentifyWithTraceWritesEveryFrameAndTraceShowsThemAsATable) {
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("identify.jsonl"));
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "main", "--address", "9", "--baud", "115200", "--pty", "--log"});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run = runProgram(Cli, {"identify", "--port", sim.port, "--code", "qov",
                                           "--baud", "115200", "--trace", trace});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    ASSERT_EQ(sim.stop(), 0) << qPrintable(sim.errors);

    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList sent;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o["dir"].toString() == QLatin1String("tx")) sent << o["hex"].toString().toLower();
    }
    // The simulator's log holds every request it heard, in the same order.
    QStringList heard;
    for (const QString& line : sim.errors.split('\n'))
        if (line.contains(QLatin1String(" heard request: "))) heard << line.section(": ", 1);
    EXPECT_EQ(sent, heard);
    ASSERT_FALSE(sent.isEmpty());

    const RunResult table = runProgram(Cli, {"trace", trace});
    EXPECT_EQ(table.exitCode, 0) << qPrintable(table.err);
    const QStringList rows = table.out.split('\n');
    EXPECT_TRUE(rows[0].startsWith(QStringLiteral("      ms  dir framing panel")));
    EXPECT_TRUE(
        table.out.contains(QStringLiteral("  tx  LAN       127   0  42    18     2      0")))
        << qPrintable(table.out);
    EXPECT_TRUE(table.out.contains(
        QStringLiteral("  rx  LAN         0   9 142    18     2      2  sum ok")))
        << qPrintable(table.out);
    EXPECT_TRUE(table.out.contains(QStringLiteral("--  open 115200 baud")));
}

TEST(TraceCommand, AFileThatIsNotATraceIsRefused) {
    QTemporaryDir dir;
    const QString panel = writeFile(dir, "A.PNL", panelFile(1005, {}));
    const RunResult run = runProgram(Cli, {"trace", panel});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err, QStringLiteral("vtl-cli trace: %1 is not a line trace\n").arg(panel));
    EXPECT_EQ(runProgram(Cli, {"trace", dir.filePath(QStringLiteral("none"))}).exitCode, 1);
}

TEST(DiffCommand, SaysNothingForTheSameFileAndNamesTheBlocksThatDiffer) {
    QTemporaryDir dir;
    const QByteArray code = bytesCounting(40, 1);
    QByteArray changed = code;
    changed[5] = 'x';
    const QString a = writeFile(dir, "A.PNL", panelFile(1005, panelRecord(16, 6, 0, code)));
    const QString b = writeFile(dir, "B.PNL", panelFile(1005, panelRecord(16, 6, 0, changed)));

    const RunResult same = runProgram(Cli, {"diff", a, a});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_TRUE(same.out.isEmpty());
    const RunResult differ = runProgram(Cli, {"diff", a, b});
    EXPECT_EQ(differ.exitCode, 1);
    EXPECT_EQ(differ.out, QStringLiteral("Program Code 7 of 128: 1 byte differs\n"));

    const QString broken = writeFile(dir, "C.PNL", QByteArray("QTZ PANEL"));
    const RunResult bad = runProgram(Cli, {"diff", a, broken});
    EXPECT_EQ(bad.exitCode, 1); // as for any file that cannot be read
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_EQ(bad.err, QStringLiteral("vtl-cli diff: %1: Invalid Panel File.\n").arg(broken));
}

// The simulator acknowledges the second write but keeps its old bytes; the restore itself cannot
// tell, the check afterwards names the block.
TEST(RestoreVerify, ReportsTheRecordAControllerDidNotStore) {
    QTemporaryDir dir;
    const QString path =
        writeFile(dir, "LAN4.PNL",
                  panelFile(10004, panelRecord(1, 0, 0, bytesCounting(40, 1)) +
                                       panelRecord(16, 0, 0, bytesCounting(40, 2)) +
                                       panelRecord(16, 1, 0, bytesCounting(40, 3))));
    SimProcess sim(QStringLiteral(VTL_SIM_EXE), {"--model", "lan600", "--address", "4", "--baud",
                                                 "115200", "--pty", "--drop-write", "2"});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run = runProgram(Cli,
                                     {"restore", "--port", sim.port, "--code", "QOV", "--baud",
                                      "115200", "--in", path, "--verify"},
                                     120000);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.err);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QStringList differences;
    for (const QString& line : lines)
        if (!line.startsWith(QLatin1String("expected: "))) differences << line;
    ASSERT_EQ(differences.size(), 2) << qPrintable(run.out);
    EXPECT_TRUE(
        differences[0].startsWith(QStringLiteral("Program Code 1 of 10: length 40 against ")))
        << qPrintable(differences[0]);
    EXPECT_TRUE(differences[1].startsWith(QStringLiteral("2 records match, 1 differ, ")))
        << qPrintable(differences[1]);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Finished Sending Panel File.")));
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    EXPECT_TRUE(sim.errors.contains(QStringLiteral("dropped write 116/0/0")));
}

} // namespace
} // namespace vtl::test::TraceAndVerifyEndToEndTest
