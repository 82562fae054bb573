// vtl-cli routing against vtl-sim through a real pseudo-terminal, in real time: out to a file,
// edited, in again, and read back.
#include "tests/support/Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::RoutingEndToEndTest {
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

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void writeText(const QString& path, const QString& text) {
    writeBytes(path, text.toUtf8());
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
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
    EXPECT_EQ(missing.err, "[Error] Error In Reading The File.\n  No such file or directory\n");
}

QByteArray pattern(qsizetype size, int seed) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7919 + seed * 104729 + (i >> 8)) % 251);
    return bytes;
}

struct InFile {
    const char* name;
    QByteArray bytes;
    const char* err; // what standard error begins with
};

// Whatever --in names is read and checked whole before the port is touched: the port named here
// does not exist, so any attempt to connect would say so instead.
TEST(RoutingInFile, IsCheckedWholeBeforeConnecting) {
    QTemporaryDir dir;
    const QString csv = otherModeCsv(false);
    const char* sizeRefusal = "[Error] Error In Reading The File.\n  the file holds ";
    const InFile cases[] = {
        {"RANDOM.NET", pattern(2560, 1), sizeRefusal},
        {"BIG.NET", pattern(10 << 20, 2), sizeRefusal},
        {"PANEL.NET", QByteArray("\x5A\x14") + pattern(6000, 3), sizeRefusal},
        {"SHORT.NET", QByteArray("\x5A\x14") + pattern(2499, 4), sizeRefusal},
        {"ip.csv", csv.toLatin1().replace("GW,1.1.1.1,", "GW,10.2,"),
         "vtl-cli routing: FILE line 2: \"10.2\" is no IP address (four numbers from 0 to 255)"},
        {"mask.csv", csv.toLatin1().replace("Subnet Mask,255.0.0.0", "Subnet Mask,255.255"),
         "vtl-cli routing: FILE line 129: \"255.255\" is no subnet mask"},
        {"mtu.csv", csv.toLatin1().replace("MTU,576", "MTU,99999"),
         "vtl-cli routing: FILE line 130: the MTU is a number from 0 to 65535, not \"99999\""},
    };
    for (const InFile& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        writeBytes(path, c.bytes);
        const RunResult run =
            runProgram(QStringLiteral(VTL_CLI_EXE),
                       {"routing", "--port", "/nonexistent/ttyQ9", "--code", "qov", "--in", path});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.startsWith(QString::fromLatin1(c.err).replace("FILE", path)))
            << qPrintable(run.err);
        EXPECT_FALSE(run.err.contains("Trying") || run.err.contains("ttyQ9"))
            << qPrintable(run.err);
        if (!path.endsWith(".NET")) continue;
        const RunResult inspect = runProgram(QStringLiteral(VTL_CLI_EXE), {"inspect", path});
        EXPECT_EQ(inspect.exitCode, 1);
        EXPECT_TRUE(inspect.err.startsWith(sizeRefusal)) << qPrintable(inspect.err);
        EXPECT_TRUE(inspect.out.isEmpty());
    }
}

class RoutingMainPanel : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<SimProcess>(
            QStringLiteral(VTL_SIM_EXE),
            QStringList{"--model", "main", "--address", "9", "--baud", "115200", "--pty"});
        ASSERT_FALSE(sim->port.isEmpty());
    }
    QStringList routing(const char* direction, const QString& path) const {
        return {"routing", "--port",     sim->port,
                "--code",  "qov",        "--baud",
                "115200",  "--no-delay", QString::fromLatin1(direction),
                path};
    }
    RunResult run(const char* direction, const QString& path) const {
        return runProgram(QStringLiteral(VTL_CLI_EXE), routing(direction, path));
    }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    std::unique_ptr<SimProcess> sim;
};

// A full disk, on a small file system of its own (mounted in a private namespace, so that no
// privileges are needed): an old table on it, the rest filled up, then --out onto the old table.
TEST_F(RoutingMainPanel, AFullDiskKeepsTheOldFileByteForByte) {
    writeBytes(file("OLD.NET"), pattern(2500, 5));
    writeText(file("OLD.csv"), QStringLiteral("an older table\n"));
    const QString disk = file("disk");
    ASSERT_TRUE(QDir().mkdir(disk));
    const QStringList args = routing("--out", "\"$1/$f\"");
    QString command =
        QStringLiteral(
            "export LC_ALL=C\n"
            "mount -t tmpfs -o size=16k tmpfs \"$1\" || exit 97\n"
            "cp \"$2/OLD.NET\" \"$1/T.NET\" && cp \"$2/OLD.csv\" \"$1/T.csv\" || exit 98\n"
            "head -c 1048576 /dev/zero > \"$1/fill\" 2>/dev/null\n"
            "for f in T.NET T.csv; do\n"
            "  \"$3\" %1 2>&1; echo \"rc=$?\"\n"
            "done\n"
            "cmp \"$2/OLD.NET\" \"$1/T.NET\" && cmp \"$2/OLD.csv\" \"$1/T.csv\" && echo intact\n"
            "ls -A \"$1\"\n")
            .arg(args.join(' '));
    const RunResult run = runProgram(QStringLiteral("unshare"),
                                     {"--mount", "--map-root-user", "sh", "-c", command, "sh", disk,
                                      dir.path(), QStringLiteral(VTL_CLI_EXE)});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err + run.out);
    const QString refused =
        QStringLiteral("[Error] Error In Writing To The File. File May Be Marked As Read-Only.\n"
                       "  No space left on device\nrc=1\n");
    EXPECT_EQ(run.out.count(refused), 2) << qPrintable(run.out);
    EXPECT_TRUE(run.out.endsWith("intact\nT.NET\nT.csv\nfill\n")) << qPrintable(run.out);
    EXPECT_EQ(sim->stop(), 0) << qPrintable(sim->errors);
}

// A pipe (or a device) named as the file is neither waited on nor replaced by a regular file.
TEST_F(RoutingMainPanel, APipeIsNeitherReadNorReplaced) {
    for (const char* name : {"P.NET", "P.csv"})
        ASSERT_EQ(runProgram(QStringLiteral("mkfifo"), {file(name)}).exitCode, 0);
    for (const char* direction : {"--out", "--in"}) {
        for (const char* name : {"P.NET", "P.csv"}) {
            SCOPED_TRACE(std::string(direction) + " " + name);
            const RunResult r =
                runProgram(QStringLiteral(VTL_CLI_EXE), routing(direction, file(name)), 20000);
            EXPECT_EQ(r.exitCode, 1);
            const bool out = std::string(direction) == "--out";
            EXPECT_TRUE(r.err.endsWith(
                QStringLiteral("[Error] %1\n  not a regular file\n")
                    .arg(out ? "Error In Writing To The File. File May Be Marked As Read-Only."
                             : "Error In Reading The File.")))
                << qPrintable(r.err);
            EXPECT_FALSE(QFileInfo(file(name)).isFile());
        }
    }
    const RunResult inspect =
        runProgram(QStringLiteral(VTL_CLI_EXE), {"inspect", file("P.NET")}, 20000);
    EXPECT_EQ(inspect.exitCode, 1);
    EXPECT_TRUE(inspect.err.endsWith("  not a regular file\n")) << qPrintable(inspect.err);
}

// A main panel table whose gateway row begins 90.20 starts with the LAN mark: it is saved with a
// warning, and its file is refused as every reader of the window's mode refuses it.
TEST_F(RoutingMainPanel, AGatewayThatLooksLikeTheMarkIsWarnedOfAndItsFileRefused) {
    const QString table = otherModeCsv(false).replace("GW,1.1.1.1,", "GW,90.20.0.1,") + '\n';
    writeText(file("g.csv"), table);
    RunResult r = run("--in", file("g.csv"));
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);

    r = run("--out", file("T.NET"));
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("[Warning!] The GW Address Begins 90.20, The Mark Of A RZQ-410 "
                               "File: The File Is Saved, But File Open Will Refuse It.\n"))
        << qPrintable(r.err);
    const QByteArray saved = readBytes(file("T.NET"));
    EXPECT_EQ(saved.size(), 2500);
    EXPECT_TRUE(saved.startsWith("\x5A\x14\x00\x01"));

    r = run("--in", file("T.NET"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.endsWith("[Error] This File Is Not For A RZQ-320.\n"
                               "  its GW address begins 90.20, the mark of a RZQ-410 file\n"))
        << qPrintable(r.err);
    EXPECT_FALSE(r.err.contains("Sent"));
    r = run("--out", file("back.csv"));
    EXPECT_EQ(readText(file("back.csv")), table);

    // Shown for what it is, with the same word.
    const RunResult inspect = runProgram(QStringLiteral(VTL_CLI_EXE), {"inspect", file("T.NET")});
    EXPECT_EQ(inspect.exitCode, 0);
    EXPECT_TRUE(inspect.out.startsWith("mode: main panel\n")) << qPrintable(inspect.out);
    EXPECT_TRUE(inspect.out.contains("GW,90.20.0.1,00-00-00-00-00-00\n"));
    EXPECT_TRUE(inspect.err.contains("begins 90.20")) << qPrintable(inspect.err);
    EXPECT_EQ(sim->stop(), 0) << qPrintable(sim->errors);
}

} // namespace
} // namespace vtl::test::RoutingEndToEndTest
