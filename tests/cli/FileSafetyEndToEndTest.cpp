// What vtl-cli does not do to a controller or a file when something is wrong with a file: the
// command line as a process against vtl-sim on a pseudo-terminal, files on disk, a tmpfs or
// /dev/full for a full disk, in real time.
#include "tests/support/Processes.h"
#include "tests/support/SimComplaints.h"
#include "tests/support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::FileSafetyEndToEndTest {
namespace {

const QString Cli = QStringLiteral(VTL_CLI_EXE);
const QString Sim = QStringLiteral(VTL_SIM_EXE);

struct Record {
    int command, point, table;
    QByteArray data;
};

QByteArray content(int size, int seed) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(seed + i * 7);
    return data;
}

// A panel file as a backup at address 7 writes it.
QByteArray panelFile(int familyCode, const QList<Record>& records) {
    QByteArray bytes("QTZ PANEL FILE VERSION 01.00", 29);
    bytes += QByteArray("3:07:45 PM", 11) + QByteArray("6/9/08", 7);
    bytes += char(familyCode & 0xff);
    bytes += char(familyCode >> 8);
    bytes += QByteArray(3, '\0');
    for (const Record& r : records) {
        bytes += char(r.command);
        bytes += char(r.point);
        bytes += char(r.table);
        bytes += char(r.data.size() & 0xff);
        bytes += char(r.data.size() >> 8);
        bytes += r.data;
    }
    return bytes;
}

QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot read)");
}

// The requests a simulator run with --log heard, as their frames' bytes.
QList<QByteArray> heard(const QString& simLog) {
    QList<QByteArray> frames;
    for (const QString& line : simLog.split(QLatin1Char('\n')))
        if (line.contains(QLatin1String(" heard request: ")))
            frames << QByteArray::fromHex(line.section(QStringLiteral(": "), 1).toLatin1());
    return frames;
}

// Writes carry a command of 100 or more (the read command + 100, 128 for a clear, 150 for a
// settings table); the command follows the preamble and the addresses.
int writesHeard(const QString& simLog) {
    int writes = 0;
    for (const QByteArray& frame : heard(simLog)) {
        const qsizetype at = frame.startsWith("AAAAA12345") ? 12 : 7;
        if (frame.size() > at && std::uint8_t(frame[at]) >= 100) ++writes;
    }
    return writes;
}

QStringList connection(const QString& port, bool subLan = false) {
    QStringList args{"--port", port, "--code", "QOV", "--baud", "38400", "--no-delay"};
    if (subLan) args << "--sub-lan";
    return args;
}

QStringList lines(const QString& text) {
    return text.split(QLatin1Char('\n'));
}

TEST(DamagedPanelFile, RestoreSendsNothingNotEvenTheClear) {
    const QByteArray good =
        panelFile(1007, {{1, 0, 0, content(20, 1)}, {2, 0, 0, content(30, 2)}, {16, 0, 0, {}}});
    struct Row {
        const char* name;
        QByteArray file;
        QStringList said;
    };
    const Row rows[] = {
        {"cut short",
         good + QByteArray::fromHex("0300003200") + content(10, 3),
         {"[Error] Invalid Panel File.",
          "  Variables Block 1 is cut short: the file holds 10 of its 50 bytes."}},
        {"1000 bytes of garbage appended",
         good + QByteArray(1000, '\x35'),
         {"[Error] Invalid Panel File."}},
    };
    QTemporaryDir dir;
    SimProcess sim(Sim, {"--model", "main", "--address", "7", "--baud", "38400", "--pty", "--log"});
    ASSERT_FALSE(sim.port.isEmpty());
    QStringList results;
    for (const Row& row : rows) {
        const QString path = writeFile(dir.filePath(QString::fromLatin1(row.name)), row.file);
        const RunResult run =
            runProgram(Cli, QStringList{"restore"} + connection(sim.port) +
                                QStringList{"--in", path, "--clear", "--send-ethernet"});
        results << QString::fromLatin1(row.name);
        EXPECT_EQ(run.exitCode, 1) << row.name << "\n" << qPrintable(run.err);
        for (const QString& line : row.said)
            EXPECT_TRUE(lines(run.err).contains(line)) << row.name << "\n" << qPrintable(run.err);
        EXPECT_FALSE(run.err.contains(QLatin1String("Clear Controller"))) << row.name;
        EXPECT_FALSE(run.err.contains(QLatin1String("Sending"))) << row.name;
        EXPECT_EQ(readFile(path), row.file) << row.name;
    }
    ASSERT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    EXPECT_GT(heard(sim.errors).size(), 0);
    EXPECT_EQ(writesHeard(sim.errors), 0) << qPrintable(sim.errors);
}

TEST(FullDisk, SubPanelBackupOntoAnOldFileFailsAndKeepsIt) {
    SmallDisk disk(64);
    if (!disk.available()) GTEST_SKIP() << SmallDisk::Why;
    const QByteArray old = panelFile(4003, {{1, 0, 0, content(40, 9)}});
    const QString path = disk.filePath(QStringLiteral("SUB.PNL"));
    ASSERT_TRUE(disk.fillWith(QStringLiteral("SUB.PNL"), old));
    SimProcess sim(Sim,
                   {"--model", "sub4000", "--address", "3", "--baud", "38400", "--pty", "--log"});
    ASSERT_FALSE(sim.port.isEmpty());

    const RunResult run = runProgram(Cli, QStringList{"backup"} + connection(sim.port, true) +
                                              QStringList{"--out", path});

    // A retry the protocol allows on a busy machine is explained by what the program said.
    const QStringList complaints = stopAndExplain(sim, run.err);
    ASSERT_TRUE(complaints.isEmpty()) << qPrintable(complaints.join('\n') + '\n' + run.err);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.endsWith(
        QStringLiteral("[Error] Error In Writing To The File.\n  No space left on device\n")))
        << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(QLatin1String("Finished Creating Panel File")));
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(disk.entries(), (QStringList{"SUB.PNL", "filler"}));
    EXPECT_EQ(writesHeard(sim.errors), 0);
}

// The trace is replaced as the command starts; refused, it leaves every file as it was and the
// controller unasked.
TEST(TraceOption, AFileOfTheCommandItselfIsRefusedBeforeConnecting) {
    QTemporaryDir dir;
    const QByteArray backup = panelFile(1007, {{1, 0, 0, content(20, 1)}});
    const QString panel = writeFile(dir.filePath(QStringLiteral("P.PNL")), backup);
    const QString fresh = dir.filePath(QStringLiteral("NEW.PNL"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::link(panel, dir.filePath(QStringLiteral("to-panel.jsonl"))));
    ASSERT_TRUE(QFile::link(fresh, dir.filePath(QStringLiteral("to-new.jsonl"))));
    SimProcess sim(Sim, {"--model", "main", "--address", "7", "--baud", "38400", "--pty", "--log"});
    ASSERT_FALSE(sim.port.isEmpty());
    struct Row {
        const char* command;
        const char* fileOption;
        QString file;
        QString trace;
    };
    const Row rows[] = {
        {"restore", "--in", panel, panel},
        {"restore", "--in", panel, dir.filePath(QStringLiteral("sub/../P.PNL"))},
        {"verify", "--in", panel, dir.filePath(QStringLiteral("to-panel.jsonl"))},
        {"backup", "--out", fresh, fresh},
        {"backup", "--out", fresh, dir.filePath(QStringLiteral("to-new.jsonl"))},
        // written into the line, the trace would go to the controller
        {"identify", "--port", sim.port, sim.port},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.trace.toStdString());
        QStringList args = QStringList{row.command} + connection(sim.port);
        if (QLatin1String(row.fileOption) != QLatin1String("--port"))
            args << row.fileOption << row.file;
        const RunResult run = runProgram(Cli, args + QStringList{"--trace", row.trace});
        EXPECT_EQ(run.exitCode, 2) << qPrintable(run.err);
        EXPECT_EQ(run.err,
                  QStringLiteral(
                      "vtl-cli %1: --trace %2 is the file of %3: the trace would write over it\n")
                      .arg(QString::fromLatin1(row.command), row.trace,
                           QString::fromLatin1(row.fileOption)));
    }
    ASSERT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    EXPECT_TRUE(heard(sim.errors).isEmpty()) << qPrintable(sim.errors);
    EXPECT_EQ(readFile(panel), backup);
    EXPECT_FALSE(QFile::exists(fresh));
}

TEST(TraceOption, ATraceThatCannotBeWrittenIsRefusedAtTheStart) {
    if (!QFile::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full here";
    QTemporaryDir dir;
    const QByteArray backup = panelFile(1007, {{1, 0, 0, content(20, 1)}});
    const QString panel = writeFile(dir.filePath(QStringLiteral("P.PNL")), backup);
    SimProcess sim(Sim, {"--model", "main", "--address", "7", "--baud", "38400", "--pty", "--log"});
    ASSERT_FALSE(sim.port.isEmpty());

    const RunResult run =
        runProgram(Cli, QStringList{"restore"} + connection(sim.port) +
                            QStringList{"--in", panel, "--clear", "--trace", "/dev/full"});

    ASSERT_EQ(sim.stop(), 0) << qPrintable(sim.errors + run.err);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(
        run.err,
        QStringLiteral(
            "vtl-cli restore: cannot write the line trace /dev/full: No space left on device\n"));
    EXPECT_TRUE(heard(sim.errors).isEmpty()) << qPrintable(sim.errors);
    EXPECT_EQ(readFile(panel), backup);
}

// Once the work has begun, a trace that fills its disk does not stop it (a restore broken off
// halfway would leave the controller half written): the run says once where the trace stops, and
// its exit status tells what became of the controller and the file.
TEST(TraceOption, ATraceThatFillsItsDiskIsToldOnceAndTheBackupGoesOn) {
    SmallDisk disk(4);
    if (!disk.available()) GTEST_SKIP() << SmallDisk::Why;
    QTemporaryDir dir;
    const QString trace = disk.filePath(QStringLiteral("backup.jsonl"));
    const QString out = dir.filePath(QStringLiteral("SUB.PNL"));
    SimProcess sim(Sim, {"--model", "sub4000", "--address", "3", "--baud", "38400", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());

    const RunResult run = runProgram(Cli, QStringList{"backup"} + connection(sim.port, true) +
                                              QStringList{"--out", out, "--trace", trace});

    // A retry the protocol allows on a busy machine is explained by what the program said.
    const QStringList complaints = stopAndExplain(sim, run.err);
    ASSERT_TRUE(complaints.isEmpty()) << qPrintable(complaints.join('\n') + '\n' + run.err);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    const QString told =
        QStringLiteral("vtl-cli: the line trace %1 stops here: it could not be written (No space "
                       "left on device)")
            .arg(trace);
    EXPECT_EQ(lines(run.err).count(told), 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.endsWith(QStringLiteral("Finished Creating Panel File\n")));
    EXPECT_GT(readFile(out).size(), 5000);
    EXPECT_EQ(QFileInfo(trace).size(), 4096);
}

TEST(TraceCommand, ADeviceIsRefusedAndALineWithoutAnEndIsBounded) {
    const RunResult zero = runProgram(Cli, {"trace", "/dev/zero"}, 20'000);
    EXPECT_EQ(zero.exitCode, 1);
    EXPECT_EQ(zero.err, QStringLiteral("vtl-cli trace: /dev/zero is not a regular file\n"));

    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath(QStringLiteral("long.jsonl")),
                                   R"({"trace":"Vantrel line trace","version":1})"
                                   "\n" +
                                       QByteArray(8'000'000, '7') +
                                       "\n"
                                       R"({"t":1,"kind":"event","event":"purge"})");
    const RunResult run = runProgram(Cli, {"trace", path}, 20'000);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(lines(run.out).mid(1),
              (QStringList{"line 2 is longer than a trace writes", "     1.0  --  purge", ""}));
}

TEST(VerifyCommand, AFileOfAnotherKindIsRefusedBeforeTheControllerIsRead) {
    QTemporaryDir dir;
    struct Row {
        const char* model;
        int familyCode;
        const char* refusal;
    };
    for (const Row& row : {Row{"lan490", 1007, "Panel File Is For RZQ-310."},
                           Row{"main", 11007, "Panel File Is For RZQ-47X."}}) {
        SCOPED_TRACE(row.model);
        const QString path = writeFile(dir.filePath(QStringLiteral("%1.PNL").arg(row.familyCode)),
                                       panelFile(row.familyCode, {{1, 0, 0, content(20, 1)}}));
        SimProcess sim(
            Sim, {"--model", row.model, "--address", "7", "--baud", "38400", "--pty", "--log"});
        ASSERT_FALSE(sim.port.isEmpty());

        const RunResult run = runProgram(Cli, QStringList{"verify"} + connection(sim.port) +
                                                  QStringList{"--in", path});

        ASSERT_EQ(sim.stop(), 0) << qPrintable(sim.errors + run.err);
        EXPECT_EQ(run.exitCode, 1) << qPrintable(run.err);
        EXPECT_TRUE(run.err.endsWith(
            QStringLiteral("verify: %1: %2\n").arg(path, QString::fromLatin1(row.refusal))))
            << qPrintable(run.err);
        EXPECT_FALSE(run.err.contains(QLatin1String("Reading "))) << qPrintable(run.err);
        // identify and the window's opening reads, no block of the memory
        EXPECT_LE(heard(sim.errors).size(), 4) << qPrintable(sim.errors);
    }
}

} // namespace
} // namespace vtl::test::FileSafetyEndToEndTest
