// Each question flag of vtl-cli answers its question, end to end: the command line against
// vtl-sim through a real pseudo-terminal, in real time.
#include "tests/support/MemoryDump.h"
#include "tests/support/Processes.h"
#include "tests/support/SimComplaints.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::QuestionFlagsTest {
namespace {

struct FileRecord {
    int command, point, table;
    QByteArray data;
};

// A panel file as a backup at address 7 writes it.
QByteArray panelFile(int familyCode, const QList<FileRecord>& records) {
    QByteArray bytes("QTZ PANEL FILE VERSION 01.00", 29);
    bytes += QByteArray("3:07:45 PM", 11) + QByteArray("6/9/08", 7);
    bytes += char(familyCode & 0xff);
    bytes += char(familyCode >> 8);
    bytes += QByteArray(3, '\0');
    for (const FileRecord& r : records) {
        bytes += char(r.command);
        bytes += char(r.point);
        bytes += char(r.table);
        bytes += char(r.data.size() & 0xff);
        bytes += char(r.data.size() >> 8);
        bytes += r.data;
    }
    return bytes;
}

QByteArray content(int size, int seed) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(seed + i * 7);
    return data;
}

struct Row {
    const char* name;
    const char* model;
    QStringList arguments; // after the connection options
    QByteArray file;       // restored; empty: a backup
    int exitCode;
    QStringList lines;  // expected among standard error
    QStringList absent; // never on standard error
    QString dumpLine;   // expected in the controller's memory afterwards
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

const QByteArray Outputs = content(20, 1);
// A main panel routing table block is 1276 bytes.
const QByteArray Ethernet = content(1276, 5);
const QString Finished = QStringLiteral("Finished Sending Panel File.");
const QString ClearQuestion =
    QStringLiteral("[Confirmation] Clear Controller Before Sending Panel File? -> %1");
const QString EthernetQuestion = QStringLiteral("[VTL] Send Ethernet Configuration? -> %1");
const QString AnywayQuestion =
    QStringLiteral("[VTL] Panel File Is For RZQ-310. Would You Like To Send Anyway? -> %1");

QByteArray mainFile() {
    return panelFile(1007, {{1, 0, 0, Outputs}, {71, 0, 0, Ethernet}});
}

QString dumpLine(int command, int point, int table, const QByteArray& data) {
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(command)
        .arg(point)
        .arg(table)
        .arg(data.size())
        .arg(QString::fromLatin1(data.toHex()));
}

class QuestionFlag : public ::testing::TestWithParam<Row> {};

TEST_P(QuestionFlag, AnswersItsQuestion) {
    const Row& row = GetParam();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("PANEL.PNL"));
    const QString dump = dir.filePath(QStringLiteral("sim.dump"));
    const bool sub = QByteArray(row.model).startsWith("sub");
    SimProcess sim(QStringLiteral(VTL_SIM_EXE), {"--model", row.model, "--address", "7", "--baud",
                                                 "38400", "--pty", "--dump", dump});
    ASSERT_FALSE(sim.port.isEmpty());
    QStringList args{row.file.isEmpty() ? "backup" : "restore",
                     "--port",
                     sim.port,
                     "--code",
                     "qov",
                     "--no-delay",
                     "--baud",
                     "38400",
                     row.file.isEmpty() ? "--out" : "--in",
                     file};
    if (sub) args << "--sub-lan";
    if (!row.file.isEmpty()) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(row.file);
    }
    const RunResult run = runProgram(QStringLiteral(VTL_CLI_EXE), args + row.arguments, 120'000);
    const QStringList complaints = stopAndExplain(sim, run.err);
    ASSERT_TRUE(complaints.isEmpty()) << qPrintable(complaints.join('\n'));

    EXPECT_EQ(run.exitCode, row.exitCode) << qPrintable(run.err);
    const QStringList lines = run.err.split(QLatin1Char('\n'));
    for (const QString& line : row.lines)
        EXPECT_TRUE(lines.contains(line)) << qPrintable(line) << "\n" << qPrintable(run.err);
    for (const QString& line : row.absent)
        EXPECT_FALSE(lines.contains(line)) << qPrintable(line) << "\n" << qPrintable(run.err);
    if (!row.dumpLine.isEmpty()) {
        EXPECT_TRUE(readDump(dump).split('\n').contains(row.dumpLine.toLatin1()))
            << qPrintable(row.dumpLine);
    }
    if (row.file.isEmpty()) {
        // the family block's last byte: 1 when the file may go to any address
        const QByteArray written = [&] {
            QFile in(file);
            return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
        }();
        const qsizetype timeEnd = written.indexOf('\0', 29);
        const qsizetype familyBlock = written.indexOf('\0', timeEnd + 1) + 1;
        ASSERT_GT(timeEnd, 0);
        ASSERT_GT(written.size(), familyBlock + 4);
        EXPECT_EQ(int(written[familyBlock + 4]), row.arguments.contains("--any-address") ? 1 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFlag, QuestionFlag,
    ::testing::Values(Row{"no_flags_main",
                          "main",
                          {},
                          mainFile(),
                          0,
                          {ClearQuestion.arg("No"), EthernetQuestion.arg("No"),
                           "Sending Outputs Block 1", Finished},
                          {"Clearing Panel .", "Sending Ethernet Block 1"},
                          dumpLine(1, 0, 0, Outputs)},
                      Row{"clear_and_send_ethernet",
                          "main",
                          {"--clear", "--send-ethernet"},
                          mainFile(),
                          0,
                          {ClearQuestion.arg("Yes"), "Clearing Panel ...",
                           EthernetQuestion.arg("Yes"), "Sending Ethernet Block 1", Finished},
                          {},
                          dumpLine(50, 0, 21, Ethernet)},
                      Row{"no_send_anyway",
                          "lan490",
                          {},
                          mainFile(),
                          1,
                          {AnywayQuestion.arg("No")},
                          {"Sending Outputs Block 1", Finished},
                          {}},
                      Row{"send_anyway",
                          "lan490",
                          {"--send-anyway"},
                          mainFile(),
                          0,
                          {AnywayQuestion.arg("Yes"), ClearQuestion.arg("No"),
                           "Sending Outputs Block 1", Finished},
                          {},
                          dumpLine(1, 0, 0, Outputs)},
                      // the file ends inside its second record: nothing is sent, and the
                      // question about clearing is never asked
                      Row{"damaged_file",
                          "main",
                          {"--clear"},
                          panelFile(1007, {{1, 0, 0, Outputs}}) +
                              QByteArray::fromHex("0200003200") + content(10, 3),
                          1,
                          {"[Error] Invalid Panel File.",
                           "  Inputs Block 1 is cut short: the file holds 10 of its 50 bytes."},
                          {"Sending Outputs Block 1", ClearQuestion.arg("Yes"), Finished},
                          {}},
                      Row{"any_address",
                          "sub5000",
                          {"--any-address"},
                          {},
                          0,
                          {"[VTL] Make Panel File Address Specific? -> No",
                           "Finished Creating Panel File"},
                          {},
                          {}}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace vtl::test::QuestionFlagsTest
