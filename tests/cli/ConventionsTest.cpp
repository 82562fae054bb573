// The command line's conventions, run as processes: exit status per outcome, one error prefix, the
// usage line and help of each command, --version, quiet by default, a failure's reason once, and
// values echoed at a readable length. Nothing here needs a controller.
#include "tests/support/Processes.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::ConventionsTest {
namespace {

RunResult cli(const QStringList& args) {
    return runProgram(QStringLiteral(VTL_CLI_EXE), args);
}

QString firstLine(const QString& text) {
    return text.section(u'\n', 0, 0);
}

const QStringList NoPort = {"--port", "/dev/vtl-no-such-port", "--code", "QOV"};
const QString Source = QStringLiteral(VTL_SOURCE_DIR);

TEST(Conventions, ExitStatusAndFirstLineOfEachOutcome) {
    struct Row {
        QStringList args;
        int exit;
        QString out; // the first line of standard output (empty: none)
        QString err; // the first line of standard error (empty: not compared)
    };
    const QString missing = QStringLiteral("/no/such/dir/A.PNL");
    const QString cut = Source + "/panelfile/fuzz/corpus/records-truncated.pnl";
    const QString whole = Source + "/panelfile/fuzz/corpus/main-records.pnl";
    for (const Row& r : {
             Row{{"--version"}, 0, "vtl-cli " VTL_VERSION, ""},
             Row{{"ports", "--help"}, 0, "Usage: vtl-cli ports [options]", ""},
             Row{{"ports", "--help-all"}, 0, "Usage: vtl-cli ports [options]", ""},
             Row{{"inspect", "-h"}, 0, "Usage: vtl-cli inspect [options] FILE", ""},
             Row{{"nosuch"}, 2, "", "vtl-cli: unknown command \"nosuch\""},
             Row{{"ports", "extra"}, 2, "", "vtl-cli ports: takes no plain arguments"},
             Row{{"identify", "--bogus"}, 2, "", "vtl-cli identify: Unknown option 'bogus'."},
             // A file that cannot be read: 1 everywhere.
             Row{{"diff", missing, whole},
                 1,
                 "",
                 "vtl-cli diff: /no/such/dir/A.PNL: No such file or directory"},
             Row{{"inspect", missing},
                 1,
                 "",
                 "[Error] Error Reading File. (No such file or directory)"},
             Row{{"trace", missing},
                 1,
                 "",
                 "vtl-cli trace: cannot read /no/such/dir/A.PNL: No such file or directory"},
             Row{{"inspect", cut},
                 1,
                 "signature: QTZ PANEL FILE VERSION 01.00",
                 "vtl-cli inspect: " + cut +
                     " is cut short: record 3 (3 0 0) holds 40 of its 100 bytes"},
             Row{{"diff", whole, whole}, 0, "", ""},
             // Usage errors are found before anything connects.
             Row{QStringList{"backup", "--out", ""} + NoPort, 2, "",
                 "vtl-cli backup: --out FILE is required"},
             Row{QStringList{"restore", "--in", ""} + NoPort, 2, "",
                 "vtl-cli restore: --in FILE is required"},
             Row{{"identify", "--port", "/dev/ttyS0"},
                 2,
                 "",
                 "vtl-cli identify: --port and --code are required"},
             Row{QStringList{"identify", "--baud", "300"} + NoPort, 2, "",
                 "vtl-cli identify: --baud must be one of auto, 115200, 57600, 38400, 19200, 9600, "
                 "4800, 2400, 1200"},
             Row{QStringList{"clear", "--sub-lan"} + NoPort, 2, "",
                 "vtl-cli clear: --yes is required: this wipes the controller's memory"},
             Row{{"manual", "--page", "nosuch"}, 1, "", ""},
         }) {
        const RunResult run = cli(r.args);
        const QString what = r.args.join(u' ');
        EXPECT_EQ(run.exitCode, r.exit) << qPrintable(what + "\n" + run.err);
        EXPECT_EQ(firstLine(run.out), r.out) << qPrintable(what);
        if (!r.err.isEmpty()) {
            EXPECT_EQ(firstLine(run.err), r.err) << qPrintable(what);
        }
    }
}

TEST(Conventions, APortThatCannotBeOneIsAUsageErrorNamingTheForms) {
    for (const char* port : {"tcp://127.0.0.1:99999", "udp://10.0.0.5:4001", "tcp://10.0.0.5",
                             "rfc2217://:4001", "ttyUSB0", "COM3\n", ""}) {
        const RunResult run = cli({"identify", "--port", port, "--code", "QOV"});
        EXPECT_EQ(run.exitCode, 2) << port;
        EXPECT_EQ(run.err, QStringLiteral("vtl-cli identify: --port takes a device (/dev/ttyUSB0, "
                                          "COM3), tcp://HOST:PORT or rfc2217://HOST:PORT with PORT "
                                          "from 1 to 65535, not \"%1\"\n")
                               .arg(QLatin1String(port)));
    }
}

TEST(Conventions, AFailedOpenKeepsTheDeviceNameAndGivesItsReasonOnce) {
    const RunResult run = cli(QStringList{"identify"} + NoPort);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "VTL - Trying 38400 Baud\n[Message] COM Port Error\n  reason: port not open "
                       "at 38400 baud after 0 reads (/dev/vtl-no-such-port does not exist.)\n");
}

TEST(Conventions, TheLinksLogLinesOnlyWithVerbose) {
    const RunResult quiet = cli(QStringList{"identify"} + NoPort);
    EXPECT_FALSE(quiet.err.contains("vtl.link")) << qPrintable(quiet.err);
    for (const char* flag : {"-v", "--verbose"}) {
        const RunResult verbose = cli(QStringList{"identify", flag} + NoPort);
        EXPECT_EQ(verbose.exitCode, 1);
        EXPECT_TRUE(verbose.err.contains("vtl.link: open \"/dev/vtl-no-such-port\" failed"))
            << qPrintable(verbose.err);
    }
}

TEST(Conventions, EveryCommandsHelpNamesItAndOffersNoHelpAll) {
    const QString usage = cli({"--help"}).out;
    static const QRegularExpression command(QStringLiteral("^  ([a-z]+) "),
                                            QRegularExpression::MultilineOption);
    int commands = 0;
    for (auto it = command.globalMatch(usage.section("Commands:", 1)); it.hasNext(); ++commands) {
        const QString name = it.next().captured(1);
        const RunResult help = cli({name, "--help"});
        EXPECT_EQ(help.exitCode, 0) << qPrintable(name);
        EXPECT_TRUE(help.out.startsWith("Usage: vtl-cli " + name + " [options]"))
            << qPrintable(help.out.left(200));
        EXPECT_FALSE(help.out.contains("--help-all")) << qPrintable(name);
    }
    EXPECT_EQ(commands, 17);
}

TEST(Conventions, ARefusedValueIsEchoedCutShort) {
    const QString modem(5000, u'A');
    for (const QStringList& args :
         {QStringList{"settings", "--set", "modem-string=" + modem},
          QStringList{"bacnet", "--set", "description=" + modem},
          QStringList{"settings", "--sub-lan", "--set", "address=" + modem}}) {
        const RunResult run = cli(args + NoPort);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains("\"" + QString(40, u'A') + "...\" (5000 characters)"))
            << qPrintable(run.err.left(300));
        EXPECT_LT(run.err.size(), 300) << qPrintable(args.first());
    }
}

TEST(Conventions, AWrongManualPageListsThePagesAndTheHelpNamesEveryOne) {
    const RunResult run = cli({"manual", "--page", "nosuch"});
    const QString list = run.err.section(u'\n', 1, 1);
    const QString help = cli({"manual", "--help"}).out.simplified();
    const QStringList pages = QDir(Source + "/docs/manual").entryList({"*.html"}, QDir::Files);
    EXPECT_EQ(pages.size(), 15);
    for (QString page : pages) {
        page.chop(5);
        if (page == QLatin1String("index")) continue;
        EXPECT_TRUE(list.contains(" " + page)) << qPrintable(page + "\n" + list);
        EXPECT_TRUE(help.contains(" " + page)) << qPrintable(page + "\n" + help);
    }
    EXPECT_TRUE(list.startsWith("vtl-cli manual: the pages are ")) << qPrintable(run.err);
}

} // namespace
} // namespace vtl::test::ConventionsTest
