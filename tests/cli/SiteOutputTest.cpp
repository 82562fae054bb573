// What a site run shows: the live table, the summary, the report, the reason a row failed, and the
// backup files' names on disk.
#include "cli/SiteDisplay.h"
#include "cli/SiteJobInterface.h"
#include "cli/SiteOperations.h"
#include "cli/SiteReport.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::cli {
namespace {

// Lines as one text, so that a failure shows the table.
std::string tableText(const QStringList& table) {
    return table.join(QLatin1Char('\n')).toStdString();
}

SiteRow row(const char* name, const char* port) {
    SiteRow r;
    r.name = QString::fromLatin1(name);
    r.port = QString::fromLatin1(port);
    return r;
}

// Four rows at the four stages of a run, on a clock at 100 s.
struct SiteStages : ::testing::Test {
    QList<SiteRow> rows{row("AHU-1", "COM3"), row("LAN-9", "tcp://10.0.0.5:4001"),
                        row("SUB-7", "COM4"), row("SUB-8", "COM4")};
    QList<RowStatus> status{4};

    void SetUp() override {
        RowStatus& ahu = status[0];
        ahu.state = RowState::Working;
        ahu.controller = QStringLiteral("main panel");
        ahu.address = 5;
        ahu.baud = 38400;
        ahu.typeCode = 320;
        ahu.startedMs = 40'000;
        ahu.progressMs = 50'000;
        ahu.progress = {100, 329, 38400};
        RowStatus& lan = status[1];
        lan.state = RowState::Succeeded;
        lan.controller = QStringLiteral("LAN controller");
        lan.address = 9;
        lan.baud = 19200;
        lan.startedMs = 0;
        lan.finishedMs = 95'000;
        lan.outcome = RowOutcome::succeeded();
        lan.outcome.detail = QStringLiteral("LAN-9-20240312-0930.PNL, 73 records");
        RowStatus& sub7 = status[2];
        sub7.state = RowState::Failed;
        sub7.startedMs = 0;
        sub7.finishedMs = 12'000;
        sub7.outcome = RowOutcome::failed(QStringLiteral("Unable To Connect."));
        sub7.messages = QStringList{QStringLiteral("[VTL] Unable To Connect.")};
    }
};

TEST_F(SiteStages, TheLiveTableShowsEachRowsStateAndTimeLeft) {
    EXPECT_EQ(tableText(liveTable(rows, status, 100'000, 200, 24)),
              tableText({
                  "NAME   STATE    CONTROLLER      ADDRESS  BAUD   PROGRESS",
                  "AHU-1  working  main panel      5        38400  100 of 329 records, 30%, 0:50 "
                  "elapsed, 1:54 left",
                  "LAN-9  ok       LAN controller  9        19200  LAN-9-20240312-0930.PNL, 73 "
                  "records",
                  "SUB-7  failed                                   Unable To Connect.",
                  "SUB-8  waiting",
              }));
}

TEST_F(SiteStages, AnarrowOrShortTerminalGetsCutLinesAndATally) {
    const QStringList narrow = liveTable(rows, status, 100'000, 30, 24);
    for (const QString& line : narrow)
        EXPECT_LE(line.size(), 29) << line.toStdString();
    EXPECT_EQ(tableText(liveTable(rows, status, 100'000, 200, 4)),
              tableText({"NAME   STATE    CONTROLLER  ADDRESS  BAUD   PROGRESS",
                         "AHU-1  working  main panel  5        38400  100 of 329 records, 30%, "
                         "0:50 elapsed, 1:54 left",
                         "1 waiting, 1 ok, 1 failed or stopped"}));
}

TEST_F(SiteStages, TheSummaryAndReportSayWhatCameOfEveryController) {
    status[0].state = RowState::Stopped;
    status[0].finishedMs = 101'000;
    status[0].outcome = RowOutcome::failed(QStringLiteral("Panel File Creation Aborted."));
    status[3].state = RowState::Stopped;
    status[3].startedMs = status[3].finishedMs = 101'000;
    status[3].outcome = RowOutcome::failed(QStringLiteral("not begun"));
    EXPECT_EQ(
        tableText(summaryTable(rows, status)),
        tableText({
            "NAME   RESULT   CONTROLLER      ADDRESS  BAUD   TIME  DETAIL",
            "AHU-1  stopped  main panel      5        38400  1:01  Panel File Creation Aborted.",
            "LAN-9  ok       LAN controller  9        19200  1:35  LAN-9-20240312-0930.PNL, 73 "
            "records",
            "SUB-7  failed                                   0:12  Unable To Connect.",
            "SUB-8  stopped                                  0:00  not begun",
            "4 controllers: 1 ok, 1 failed, 2 stopped",
        }));

    const SiteRun run{QStringLiteral("backup"), QStringLiteral("site.csv"),
                      QDateTime(QDate(2024, 3, 12), QTime(9, 30)),
                      QDateTime(QDate(2024, 3, 12), QTime(9, 32))};
    const QJsonObject report = siteReport(run, rows, status);
    EXPECT_EQ(report.value("command").toString(), "backup");
    EXPECT_FALSE(report.value("ok").toBool());
    const QJsonArray controllers = report.value("controllers").toArray();
    ASSERT_EQ(controllers.size(), 4);
    const QJsonObject ahu = controllers[0].toObject();
    EXPECT_EQ(ahu.value("result").toString(), "stopped");
    EXPECT_EQ(ahu.value("type-code").toInt(), 320);
    EXPECT_EQ(ahu.value("started").toString(), "2024-03-12T09:30:40.000");
    const QJsonObject sub7 = controllers[2].toObject();
    EXPECT_EQ(sub7.value("result").toString(), "failed");
    EXPECT_FALSE(sub7.contains("controller")); // nothing answered
    EXPECT_EQ(sub7.value("messages").toArray().at(0).toString(), "[VTL] Unable To Connect.");
}

TEST(SiteReport, AFailedWriteKeepsTheOldReport) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.json"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("{\"old\": true}\n");
    old.close();
    QString why;
    EXPECT_FALSE(writeReport(dir.filePath(QStringLiteral("no/such/report.json")), {}, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(writeReport(path, {{QStringLiteral("ok"), true}}, &why));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "{\n    \"ok\": true\n}\n");
}

// What the last message and the latest exchange make of a failed row.
struct Shown {
    const char* message;    // shown after the exchange, or nullptr
    MessageButtons buttons; // of the message
    // An exchange before the message: nullptr for none, "" for one that succeeded, otherwise
    // why it failed.
    const char* exchange;
};

struct FailureCase {
    const char* name;
    std::vector<Shown> shown;
    QString expected;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class RowFailureText : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RowFailureText, NamesTheLastMessageAndWhyTheLatestExchangeFailed) {
    VirtualClock clock;
    SiteMonitor monitor(1, clock);
    SiteJobInterface ui(monitor, 0, 1, {});
    for (const Shown& s : GetParam().shown) {
        if (s.exchange) {
            ui.setFailureReason({});
            if (*s.exchange) ui.setFailureReason(QString::fromLatin1(s.exchange));
        }
        if (s.message)
            ui.message(QString::fromLatin1(s.message), QStringLiteral("VTL"), s.buttons,
                       MessageIcon::None);
    }
    EXPECT_EQ(ui.failureText(QStringLiteral("no controller answered")).toStdString(),
              GetParam().expected.toStdString());
}

const char* const Lost = "connection lost at 38400 baud after 100 reads (closed by the server)";
const char* const Refused = "port not open at 38400 baud after 0 reads (connection refused)";

const FailureCase FailureCases[] = {
    {"NothingShown", {}, "no controller answered"},
    {"NoSpeedAnswered",
     {{"Unable To Determine Baud Of Panel.", MessageButtons::Ok,
       "no reply at 9600 baud after 25 reads"}},
     "Unable To Determine Baud Of Panel. (no reply at 9600 baud after 25 reads)"},
    {"ALineLostForGood",
     {{"Problem Retrieving Data.", MessageButtons::AbortRetryIgnore, Lost},
      {"COM Port Error", MessageButtons::Ok, Refused},
      {"Problem Retrieving Data.", MessageButtons::AbortRetryIgnore, nullptr},
      {"Panel File Creation Aborted.", MessageButtons::Ok, nullptr}},
     QStringLiteral("Panel File Creation Aborted. (%1)").arg(QLatin1String(Refused))},
    {"StoppedAfterARetryThatWorked",
     {{"Problem Retrieving Data.", MessageButtons::AbortRetryIgnore, Lost},
      {nullptr, MessageButtons::Ok, ""},
      {"Panel File Creation Aborted.", MessageButtons::Ok, nullptr}},
     "Panel File Creation Aborted."},
};

INSTANTIATE_TEST_SUITE_P(Table, RowFailureText, ::testing::ValuesIn(FailureCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(BackupFiles, AreNamedByTheMinuteAndNeverReplaceAFile) {
    QTemporaryDir temporary;
    const QDir dir(temporary.path());
    const QDateTime time(QDate(2024, 3, 12), QTime(9, 30, 59));
    QFile earlier(dir.filePath(QStringLiteral("AHU-1-20240312-0930.PNL")));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier backup");
    earlier.close();

    QString why;
    const QString second = reserveBackupFile(dir, QStringLiteral("AHU-1"), time, &why);
    const QString third = reserveBackupFile(dir, QStringLiteral("AHU-1"), time, &why);
    EXPECT_EQ(QFileInfo(second).fileName(), "AHU-1-20240312-0930-2.PNL");
    EXPECT_EQ(QFileInfo(third).fileName(), "AHU-1-20240312-0930-3.PNL");
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "an earlier backup");

    // The newest of a name: the latest minute, then the highest number; never an empty file
    // (a name held by a backup that never finished) nor another row's file.
    for (const char* other :
         {"AHU-1-20240311-2359-7.PNL", "AHU-1-2-20240313-0800.PNL", "AHU-10-20240313-0800.PNL"}) {
        QFile file(dir.filePath(QString::fromLatin1(other)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    QFile two(second);
    ASSERT_TRUE(two.open(QIODevice::WriteOnly));
    two.write("a second backup");
    two.close();
    EXPECT_EQ(QFileInfo(newestBackupFile(dir, QStringLiteral("ahu-1"))).fileName(),
              "AHU-1-20240312-0930-2.PNL");
    EXPECT_EQ(newestBackupFile(dir, QStringLiteral("AHU")), QString());
}

} // namespace
} // namespace vtl::cli
