// vtl-cli site against simulated controllers on TCP ports, in real time: the census, settings as
// one document, backup then verify, rows sharing a line, a controller lost mid-way, Ctrl-C, and
// nothing connecting when the command or the site file is wrong.
#include "tests/support/Processes.h"
#include "tests/support/Pty.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <signal.h>

namespace vtl::test::SiteEndToEndTest {
namespace {

const QString Cli = QStringLiteral(VTL_CLI_EXE);

// Simulated controllers, a site file naming them, and the runs of vtl-cli site over it.
struct SiteRig : ::testing::Test {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<SimProcess>> sims;
    QString site = dir.filePath(QStringLiteral("site.csv"));

    QString simulate(const char* model, int address) {
        sims.push_back(std::make_unique<SimProcess>(QStringLiteral(VTL_SIM_EXE),
                                                    QStringList{"--model", model, "--address",
                                                                QString::number(address), "--baud",
                                                                "38400", "--tcp", "0"}));
        return sims.back()->port;
    }
    // Rows of name,port,framing,baud,address,code, written as a spreadsheet writes them.
    void writeSite(const QStringList& rows) {
        QFile file(site);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\xEF\xBB\xBFname,port,framing,baud,address,code\r\n");
        for (const QString& row : rows)
            file.write(row.toUtf8() + "\r\n");
    }
    RunResult run(const QStringList& arguments, int timeoutMs = 120000) {
        return runProgram(Cli, QStringList{"site"} + arguments, timeoutMs);
    }
    QJsonObject readReport(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }
    // The report's controllers by name.
    QHash<QString, QJsonObject> controllers(const QJsonObject& report) {
        QHash<QString, QJsonObject> byName;
        for (const QJsonValue& c : report.value("controllers").toArray())
            byName.insert(c.toObject().value("name").toString(), c.toObject());
        return byName;
    }
    void expectNoViolations() {
        for (auto& sim : sims)
            EXPECT_EQ(sim->stop(), 0) << qPrintable(sim->errors);
    }
};

// A site of a main panel, a LAN controller and two sub panels, each behind its own TCP port.
struct FourControllers : SiteRig {
    void SetUp() override {
        const QString main = simulate("main", 5);
        const QString lan = simulate("lan600", 9);
        const QString sub7 = simulate("sub3000", 7);
        const QString sub8 = simulate("sub4000", 8);
        for (const auto& sim : sims)
            ASSERT_FALSE(sim->port.isEmpty());
        writeSite({"AHU-1," + main + ",lan,auto,5,", "LAN-9," + lan + ",lan,38400,,QOV",
                   "\"Sub 7, roof\"," + sub7 + ",sub-lan,auto,7,",
                   "SUB-8," + sub8 + ",sub-lan,38400,8,ZORBAKE"});
    }
};

TEST_F(FourControllers, TheCensusAndTheSettingsOfEveryController) {
    const QString report = dir.filePath(QStringLiteral("census.json"));
    const RunResult census = run({"identify", site, "--code", "qov", "--report", report});
    EXPECT_EQ(census.exitCode, 0) << qPrintable(census.err);
    const QStringList lines = census.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << qPrintable(census.out);
    EXPECT_TRUE(lines[0].startsWith("NAME ")) << qPrintable(census.out);
    const QRegularExpression ahu(
        "^AHU-1 +ok +main panel +5 +38400 +\\d:\\d\\d +type code 320, firmware 3.20, family 1000$");
    EXPECT_TRUE(ahu.match(lines[1]).hasMatch()) << qPrintable(lines[1]);
    EXPECT_TRUE(lines[2].contains(QRegularExpression("^LAN-9 +ok +Brinlet controller +9 +38400")))
        << qPrintable(lines[2]);
    EXPECT_TRUE(lines[3].contains(QRegularExpression("^Sub 7, roof +ok +sub panel +7 +38400 .* "
                                                     "family 3000$")))
        << qPrintable(lines[3]);
    EXPECT_EQ(lines[5], "4 controllers: 4 ok, 0 failed");
    // Not a terminal: a line per event, none per record.
    EXPECT_TRUE(census.err.contains("SUB-8: sub panel at address 8, 38400 baud\n"))
        << qPrintable(census.err);
    const auto byName = controllers(readReport(report));
    EXPECT_EQ(byName.value("LAN-9").value("type-code").toInt(), 600);
    EXPECT_EQ(byName.value("LAN-9").value("firmware").toString(), "6.00");
    EXPECT_EQ(byName.value("Sub 7, roof").value("address").toInt(), 7);

    const RunResult settings = run({"settings", site, "--code", "QOV", "--json"});
    EXPECT_EQ(settings.exitCode, 0) << qPrintable(settings.err);
    QJsonParseError error{};
    const QJsonObject document = QJsonDocument::fromJson(settings.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << qPrintable(settings.out);
    EXPECT_EQ(document.keys(), (QStringList{"AHU-1", "LAN-9", "SUB-8", "Sub 7, roof"}));
    EXPECT_EQ(document.value("AHU-1").toObject().value("controller").toString(), "main panel");
    EXPECT_TRUE(document.value("LAN-9").toObject().contains("smtp"));
    EXPECT_EQ(document.value("SUB-8").toObject().value("address").toInt(), 8);
    // The summary goes with the messages, so the document stands alone.
    EXPECT_TRUE(settings.err.contains("4 controllers: 4 ok, 0 failed")) << qPrintable(settings.err);
    expectNoViolations();
}

TEST_F(FourControllers, BackUpThenVerifyAgainstTheNewestBackups) {
    const QString out = dir.filePath(QStringLiteral("backups"));
    const QString report = dir.filePath(QStringLiteral("backup.json"));
    const RunResult backup =
        run({"backup", site, "--code", "QOV", "--out", out, "--report", report}, 600000);
    EXPECT_EQ(backup.exitCode, 0) << qPrintable(backup.err);
    const QStringList files = QDir(out).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 4) << qPrintable(files.join(' '));
    const QStringList names{"AHU-1", "LAN-9", "SUB-8", "Sub 7, roof"};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(
            QRegularExpression("^" + QRegularExpression::escape(names[i]) + "-\\d{8}-\\d{4}\\.PNL$")
                .match(files[i])
                .hasMatch())
            << qPrintable(files[i]);
    const auto backedUp = controllers(readReport(report));
    EXPECT_EQ(backedUp.value("AHU-1").value("records").toInt(), 329);
    EXPECT_EQ(backedUp.value("SUB-8").value("file").toString(), QDir(out).filePath(files[2]));

    const RunResult verify = run({"verify", site, "--code", "QOV", "--in", out}, 600000);
    EXPECT_EQ(verify.exitCode, 0) << qPrintable(verify.err);
    EXPECT_EQ(verify.out.count(" 0 differ, "), 4) << qPrintable(verify.out);
    EXPECT_TRUE(verify.out.contains("AHU-1-")) << qPrintable(verify.out);
    expectNoViolations();
}

TEST_F(SiteRig, RowsOnOneLineRunOneAfterTheOtherAndAnswerAtTheirAddress) {
    const QString line = simulate("sub3000", 7);
    ASSERT_FALSE(line.isEmpty());
    writeSite({"S7," + line + ",sub-lan,38400,7,QOV", "S8," + line + ",sub-lan,38400,8,QOV"});
    const QString report = dir.filePath(QStringLiteral("report.json"));
    const RunResult census = run({"identify", site, "--report", report});
    EXPECT_EQ(census.exitCode, 1) << qPrintable(census.err);
    EXPECT_TRUE(
        census.out.contains(QRegularExpression("\nS8 +failed +sub panel +7 +38400 +\\d:\\d\\d "
                                               "+address 8 expected, 7 answered; nothing done\n")))
        << qPrintable(census.out);
    const auto byName = controllers(readReport(report));
    EXPECT_EQ(byName.value("S7").value("result").toString(), "ok");
    EXPECT_GE(byName.value("S8").value("started").toString(),
              byName.value("S7").value("finished").toString());
    expectNoViolations();
}

TEST_F(SiteRig, AControllerLostMidwayFailsItsRowAlone) {
    const QString lan = simulate("lan600", 9);
    const QString sub7 = simulate("sub3000", 7);
    const QString sub8 = simulate("sub4000", 8);
    writeSite({"LAN-9," + lan + ",lan,38400,9,QOV", "SUB-7," + sub7 + ",sub-lan,38400,7,QOV",
               "SUB-8," + sub8 + ",sub-lan,38400,8,QOV"});
    const QString out = dir.filePath(QStringLiteral("out"));
    QProcess cli;
    cli.start(Cli, {"site", "backup", site, "--out", out, "--retries", "1"});
    QByteArray err;
    QDeadlineTimer deadline(60000);
    while (!err.contains("SUB-7: sub panel at address 7") && !deadline.hasExpired()) {
        cli.waitForReadyRead(200);
        err += cli.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("SUB-7: sub panel at address 7")) << err.constData();
    sims[1]->stop(); // the controller goes away during its backup
    ASSERT_TRUE(cli.waitForFinished(120000));
    err += cli.readAllStandardError();
    const QString summary = QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_EQ(cli.exitCode(), 1) << err.constData();
    EXPECT_TRUE(summary.contains(QRegularExpression("\nSUB-7 +failed +sub panel .*Panel File "
                                                    "Creation Aborted\\.")))
        << qPrintable(summary);
    EXPECT_TRUE(summary.endsWith("3 controllers: 2 ok, 1 failed\n")) << qPrintable(summary);
    const QStringList files = QDir(out).entryList(QDir::Files);
    EXPECT_EQ(files.size(), 2) << qPrintable(files.join(' '));
    EXPECT_TRUE(files.filter("SUB-7").isEmpty());
    EXPECT_EQ(sims[0]->stop(), 0) << qPrintable(sims[0]->errors);
    EXPECT_EQ(sims[2]->stop(), 0) << qPrintable(sims[2]->errors);
}

TEST_F(SiteRig, CtrlCOnATerminalStopsEveryJobAsAbortDoes) {
    const QString a = simulate("lan600", 3);
    const QString b = simulate("lan600", 4);
    writeSite({"A," + a + ",lan,38400,,QOV", "B," + b + ",lan,38400,,QOV"});
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString report = dir.filePath(QStringLiteral("report.json"));
    Pty terminal;
    ASSERT_TRUE(terminal.ok());
    terminal.setWindowSize(132, 40);
    QProcess cli;
    cli.setStandardErrorFile(terminal.slavePath());
    cli.start(Cli, {"site", "backup", site, "--out", out, "--report", report});
    QByteArray screen;
    QDeadlineTimer deadline(60000);
    while (screen.count(" left") < 4 && !deadline.hasExpired()) {
        const auto bytes = terminal.readAvailable(100);
        screen += QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }
    ASSERT_GE(screen.count(" left"), 4) << screen.constData();
    ::kill(pid_t(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 1);
    // The table is redrawn in place: back up over it, each line erased to its end.
    EXPECT_TRUE(screen.contains("\x1b[3A\rNAME")) << screen.constData();
    EXPECT_TRUE(QRegularExpression("\rA +working +Brinlet controller +3 +38400 +\\d+ of 72 "
                                   "records, \\d+%, 0:\\d\\d elapsed, 0:\\d\\d left\x1b\\[K\n")
                    .match(QString::fromUtf8(screen))
                    .hasMatch())
        << screen.constData();
    const auto byName = controllers(readReport(report));
    for (const char* name : {"A", "B"}) {
        EXPECT_EQ(byName.value(name).value("result").toString(), "stopped");
        EXPECT_EQ(byName.value(name).value("detail").toString(), "Panel File Creation Aborted.");
    }
    EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
    expectNoViolations();
}

// Command lines and site files that are refused before anything connects.
struct Refusal {
    QStringList arguments; // @SITE stands for the site file, @DIR for a folder
    QByteArray row;        // the site's second row
    int exitCode;
    QString err;
};

TEST_F(SiteRig, NothingConnectsWhenTheCommandOrARowIsWrong) {
    QTcpServer line;
    ASSERT_TRUE(line.listen(QHostAddress::LocalHost));
    const QString port = QStringLiteral("tcp://127.0.0.1:%1").arg(line.serverPort());
    const QString good = "AHU-1," + port + ",lan,auto,,QOV";
    const Refusal refusals[] = {
        {{"identify", "@SITE"},
         "AHU-2,COM1,lan,fast,,QOV",
         2,
         "vtl-cli site: @SITE line 3: baud must be auto or one of 115200, 57600, 38400, 19200, "
         "9600, 4800, 2400, 1200, not \"fast\"\nvtl-cli site: nothing was started\n"},
        {{"identify", "@SITE"},
         "ahu-1,COM1,lan,auto,,QOV",
         2,
         "vtl-cli site: @SITE line 3: name \"ahu-1\" is already on line 2\n"
         "vtl-cli site: nothing was started\n"},
        {{"identify"}, {}, 2, "vtl-cli site: needs 2 arguments, OPERATION and SITE.csv\n"},
        {{"restore", "@SITE"},
         {},
         2,
         "vtl-cli site: unknown operation \"restore\" (identify, backup, verify, settings)\n"},
        {{"backup", "@SITE"}, {}, 2, "vtl-cli site: backup needs --out DIR\n"},
        {{"identify", "@SITE", "--out", "@DIR"}, {}, 2, "vtl-cli site: --out is for backup only\n"},
        {{"identify", "@SITE", "--jobs", "0"},
         {},
         2,
         "vtl-cli site: --jobs takes a number of 1 or more\n"},
        {{"verify", "@SITE", "--in", "@DIR/none"},
         {},
         2,
         "vtl-cli site: --in @DIR/none: no such folder\n"},
        {{"identify", "@DIR/none.csv"},
         {},
         1,
         "vtl-cli site: cannot read @DIR/none.csv: No such file or directory\n"},
    };
    for (const Refusal& r : refusals) {
        writeSite(r.row.isEmpty() ? QStringList{good} : QStringList{good, QString(r.row)});
        QStringList arguments;
        for (QString a : r.arguments)
            arguments << a.replace("@SITE", site).replace("@DIR", dir.path());
        const RunResult result = run(arguments);
        EXPECT_EQ(result.exitCode, r.exitCode) << qPrintable(arguments.join(' '));
        EXPECT_EQ(result.err.toStdString(),
                  QString(r.err).replace("@SITE", site).replace("@DIR", dir.path()).toStdString());
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_FALSE(line.waitForNewConnection(200));
}

} // namespace
} // namespace vtl::test::SiteEndToEndTest
