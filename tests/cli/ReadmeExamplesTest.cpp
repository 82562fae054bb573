// The README's command examples, run as it writes them against vtl-sim, one shell block a case, in
// a folder of their own. Each line runs on the kind of controller it names ("# on a LAN
// controller"), a sub panel where it says --sub-lan, otherwise a main panel; optional parts ([...])
// are given, the port is the simulator's. Backup, restore and verify run on a sub panel, whose
// memory is read in seconds, not minutes. Files a line reads that no line before it wrote are made
// first: OLD5.PNL, TABLE.NET, SITE.csv, ROOF.json and the snapshot undo sends back.
#include "tests/support/Processes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace vtl::test::ReadmeExamplesTest {
namespace {

struct Example {
    QString line; // as the README writes it
    QStringList args;
    QString comment;
    QString outFile; // "> FILE"
};

// The vtl-cli lines of each shell block that has any.
QList<QList<Example>> readmeBlocks() {
    QFile readme(QStringLiteral(VTL_SOURCE_DIR "/README.md"));
    if (!readme.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    static const QRegularExpression comment(QStringLiteral("\\s+#\\s*(.*)$"));
    static const QRegularExpression optional(QStringLiteral("\\[([^\\]]*)\\]"));
    static const QRegularExpression redirect(QStringLiteral("\\s>\\s*(\\S+)"));
    QList<QList<Example>> blocks;
    bool inShell = false;
    QString pending;
    for (const QString& text : QString::fromUtf8(readme.readAll()).split(u'\n')) {
        if (text.startsWith(QLatin1String("```"))) {
            inShell = text == QLatin1String("```sh");
            if (inShell) blocks.append(QList<Example>());
            continue;
        }
        if (!inShell) continue;
        pending += text;
        if (pending.endsWith(u'\\')) {
            pending.chop(1);
            continue;
        }
        Example e{pending.simplified(), {}, {}, {}};
        pending.clear();
        QString command = e.line;
        if (const auto m = comment.match(command); m.hasMatch()) {
            e.comment = m.captured(1);
            command.truncate(m.capturedStart());
        }
        if (const auto m = redirect.match(command); m.hasMatch()) {
            e.outFile = m.captured(1);
            command.remove(m.capturedStart(), m.capturedLength());
        }
        command.replace(optional, QStringLiteral("\\1"));
        QStringList words = command.split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty() || !words.first().endsWith(QLatin1String("vtl-cli")) ||
            command.contains(QLatin1String("..."))) // an abbreviation, not a command
            continue;
        words.removeFirst();
        e.args = words;
        blocks.last().append(e);
    }
    blocks.removeIf([](const QList<Example>& block) { return block.isEmpty(); });
    return blocks;
}

// The simulated controller a line runs on; empty when it needs none.
QString modelFor(Example& e) {
    static const QMap<QString, QString> named = {{"on a main panel", "main"},
                                                 {"on a LAN controller", "lan490"},
                                                 {"on a Brinlet controller", "lan602"}};
    if (named.contains(e.comment)) return named.value(e.comment);
    const QString command = e.args.first(); // a copy: the arguments may grow below
    if (QStringList{"backup", "restore", "verify"}.contains(command)) e.args << "--sub-lan";
    if (e.args.contains("--sub-lan") || command == QLatin1String("site"))
        return command == QLatin1String("modbus") ? "sub6000" : "sub7000";
    return e.args.contains("--port") ? "main" : QString();
}

class ReadmeBlock : public ::testing::TestWithParam<int> {
protected:
    QTemporaryDir dir;

    RunResult run(const QStringList& args, const QString& outFile = {}) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        if (!outFile.isEmpty()) process.setStandardOutputFile(dir.filePath(outFile));
        process.start(QStringLiteral(VTL_CLI_EXE), args);
        RunResult result;
        if (!process.waitForFinished(180000)) process.kill();
        process.waitForFinished();
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }
    void write(const QString& name, const QByteArray& text) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    // What a line reads that the README's lines before it did not write.
    void makeFixtures(const Example& e, const QString& port) {
        if (e.args.contains("OLD5.PNL"))
            QFile::copy(dir.filePath("PANEL5.PNL"), dir.filePath("OLD5.PNL"));
        if (e.args.contains("SITE.csv"))
            write("SITE.csv", "name,port,framing,baud,address,code\nROOF-7," + port.toUtf8() +
                                  ",sub-lan,38400,7,\n");
        if (e.args.contains("ROOF.json")) write("ROOF.json", R"({"last-panel": true})");
        // A snapshot for undo to send back: the one a Send of the settings as read keeps.
        if (e.args.first() == QLatin1String("undo")) {
            const QStringList send{"settings", "--port", port,       "--code",
                                   "QOV",      "--set",  "address=7"};
            EXPECT_EQ(run(send).exitCode, 0);
        }
        if (e.args.contains("TABLE.NET") && !QFile::exists(dir.filePath("TABLE.NET"))) {
            SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                           {"--model", "main", "--address", "7", "--baud", "38400", "--pty"});
            EXPECT_EQ(run({"routing", "--port", sim.port, "--code", "QOV", "--out", "TABLE.NET"})
                          .exitCode,
                      0);
        }
    }
};

TEST_P(ReadmeBlock, EveryExampleRuns) {
    const QList<Example> block = readmeBlocks().value(GetParam());
    ASSERT_FALSE(block.isEmpty());
    for (Example e : block) {
        SCOPED_TRACE(e.line.toStdString());
        const QString model = modelFor(e);
        std::unique_ptr<SimProcess> sim;
        if (!model.isEmpty()) {
            const qsizetype port = e.args.indexOf("--port");
            const qsizetype baud = e.args.indexOf("--baud");
            const bool tcp = port >= 0 && e.args.value(port + 1).startsWith("tcp://");
            sim = std::make_unique<SimProcess>(
                QStringLiteral(VTL_SIM_EXE),
                QStringList{"--model", model, "--address", "7", "--baud",
                            baud >= 0 ? e.args.value(baud + 1) : "38400", tcp ? "--tcp" : "--pty"} +
                    (tcp ? QStringList{"0"} : QStringList{}));
            ASSERT_FALSE(sim->port.isEmpty());
            if (port >= 0) e.args[port + 1] = sim->port;
        }
        makeFixtures(e, sim ? sim->port : QString());
        const RunResult result = run(e.args, e.outFile);
        EXPECT_EQ(result.exitCode, 0) << qPrintable(e.args.join(' ') + "\n" + result.err);
        if (sim) {
            EXPECT_EQ(sim->stop(), 0) << qPrintable(sim->errors);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Readme, ReadmeBlock, ::testing::Range(0, int(readmeBlocks().size())));

TEST(Readme, HoldsTheExamplesThisTestRuns) {
    int lines = 0;
    for (const auto& block : readmeBlocks())
        lines += int(block.size());
    EXPECT_GE(readmeBlocks().size(), 8);
    EXPECT_GE(lines, 30);
}

} // namespace
} // namespace vtl::test::ReadmeExamplesTest
