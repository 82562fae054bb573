#include "tests/panelfile/PanelRig.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

using sim::Model;

const QString Problem = QStringLiteral("[VTL] Problem Sending Data.");
constexpr std::int64_t Second = 1'000'000;

QString dots(int n) {
    return QStringLiteral("Clearing Panel ") + QString(n, QLatin1Char('.'));
}

struct ClearRow {
    PanelFamily family;
    Model model;
    std::uint16_t familyCode;
    int clears;
    int dotSteps; // texts "Clearing Panel ." up to this many dots, one second apart
};

std::ostream& operator<<(std::ostream& os, const ClearRow& row) {
    return os << "reader " << int(row.family) << " code " << row.familyCode;
}

class ClearingSequence : public ::testing::TestWithParam<ClearRow> {};

TEST_P(ClearingSequence, ClearsThenWaitsOnTheClock) {
    const ClearRow& row = GetParam();
    RestoreRig rig(row.model);
    const QString path = writePanelFile(rig.dir, row.familyCode, 0, {{1, 0, 0, content(20)}});
    rig.answer(MessageAnswer::Yes);

    EXPECT_EQ(rig.restore(row.family, path), RestoreOutcome::Finished);

    const auto& question = rig.ui.messages[0];
    EXPECT_EQ(question.brief(),
              QStringLiteral("[Confirmation] Clear Controller Before Sending Panel File?"));
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.icon, MessageIcon::Question);

    QStringList expected;
    for (int i = 1; i <= row.dotSteps; ++i)
        expected << dots(i);
    expected << "Sending Outputs Block 1" << Finished;
    EXPECT_EQ(rig.ui.statuses, expected);
    QStringList writes(row.clears, QStringLiteral("128/0/0:0"));
    writes << "101/0/0:20";
    EXPECT_EQ(rig.requests(), writes);
    EXPECT_TRUE(rig.controller.memory().cleared());

    // The clears happen between the first two texts; then one second per text.
    const auto acks = rig.controller.framesNoted(QStringLiteral("write ack"));
    ASSERT_GE(acks.size(), row.clears);
    const std::int64_t lastClearAck = acks[row.clears - 1].endUs;
    EXPECT_LT(rig.ui.statusTimesUs[0],
              rig.controller.framesNoted(QStringLiteral("request"))[0].timeUs);
    EXPECT_GT(rig.ui.statusTimesUs[1], lastClearAck);
    EXPECT_LT(rig.ui.statusTimesUs[1], lastClearAck + Second + Second / 10);
    for (int i = 2; i <= row.dotSteps; ++i)
        EXPECT_EQ(rig.ui.statusTimesUs[i] - rig.ui.statusTimesUs[i - 1], Second) << i;
    EXPECT_LT(rig.ui.statusTimesUs[1] - rig.ui.statusTimesUs[0], 2 * Second);
    EXPECT_GE(rig.ui.statusTimesUs[1] - rig.ui.statusTimesUs[0], Second);
}

INSTANTIATE_TEST_SUITE_P(MainAndLan, ClearingSequence,
                         ::testing::Values(ClearRow{PanelFamily::Main, Model::Main, 1005, 1, 3},
                                           ClearRow{PanelFamily::Lan, Model::Lan490, 2005, 2, 5}));

TEST(PanelRestoreClear, FailedClearStopsBeforeTheRecords) {
    for (const auto& [family, model, code] : {std::tuple{PanelFamily::Main, Model::Main, 1005},
                                              std::tuple{PanelFamily::Lan, Model::Lan602, 11005}}) {
        RestoreRig rig(model);
        const QString path =
            writePanelFile(rig.dir, std::uint16_t(code), 0, {{1, 0, 0, content(20)}});
        rig.answer(MessageAnswer::Yes);
        rig.controller.faults.noAnswer = true;
        rig.controller.faults.count = 1;

        EXPECT_EQ(rig.restore(family, path), RestoreOutcome::ClearFailed);

        EXPECT_EQ(rig.messages().last(), QStringLiteral("[Error] Communication Error"));
        EXPECT_EQ(rig.ui.messages.last().icon, MessageIcon::None);
        // a LAN controller gets its second clear only after the first one succeeded
        EXPECT_EQ(rig.requests(), QStringList{"128/0/0:0"});
        EXPECT_EQ(rig.ui.statuses, QStringList{dots(1)});
    }
}

// Three records; the controller loses its answer to the first write.
struct FailedWrite {
    RestoreRig rig{Model::Lan490};
    QString path = writePanelFile(
        rig.dir, 2005, 0, {{1, 0, 0, content(20)}, {2, 0, 0, content(21)}, {3, 0, 0, content(22)}});

    RestoreOutcome run(MessageAnswer onProblem) {
        rig.answer(MessageAnswer::No); // no clear
        rig.answer(onProblem);
        rig.controller.faults.dropAnswer = true;
        rig.controller.faults.count = 1;
        return rig.restore(PanelFamily::Lan, path);
    }
};

// Retry sends the same record again, Ignore goes on with the next, Abort stops and empties the
// status line.
TEST(PanelRestoreFailedWrite, RetryIgnoreOrAbort) {
    struct Row {
        MessageAnswer answer;
        RestoreOutcome outcome;
        QStringList writes;
        QStringList statuses;
        QStringList lastMessages;
    };
    const QString aborted = QStringLiteral("[VTL] Panel File Send Aborted.");
    for (const Row& row : {Row{MessageAnswer::Retry,
                               RestoreOutcome::Finished,
                               {"101/0/0:20", "101/0/0:20", "102/0/0:21", "103/0/0:22"},
                               {"Sending Outputs Block 1", "Sending Outputs Block 1",
                                "Sending Inputs Block 1", "Sending Variables Block 1", Finished},
                               {Problem}},
                           Row{MessageAnswer::Ignore,
                               RestoreOutcome::Finished,
                               {"101/0/0:20", "102/0/0:21", "103/0/0:22"},
                               {"Sending Outputs Block 1", "Sending Inputs Block 1",
                                "Sending Variables Block 1", Finished},
                               {Problem}},
                           Row{MessageAnswer::Abort,
                               RestoreOutcome::Aborted,
                               {"101/0/0:20"},
                               {"Sending Outputs Block 1", QString()},
                               {Problem, aborted}}}) {
        SCOPED_TRACE(int(row.answer));
        FailedWrite t;
        EXPECT_EQ(t.run(row.answer), row.outcome);

        const auto& problem = t.rig.ui.messages[1];
        EXPECT_EQ(problem.buttons, MessageButtons::AbortRetryIgnore);
        EXPECT_EQ(problem.icon, MessageIcon::Exclamation);
        EXPECT_EQ(t.rig.messages().mid(1), row.lastMessages);
        EXPECT_EQ(t.rig.ui.messages.last().buttons, row.lastMessages.size() > 1
                                                        ? MessageButtons::Ok
                                                        : MessageButtons::AbortRetryIgnore);
        EXPECT_EQ(t.rig.requests(), row.writes);
        EXPECT_EQ(t.rig.ui.statuses, row.statuses);
        if (row.answer == MessageAnswer::Retry) {
            EXPECT_EQ(t.rig.controller.peek({1, 0, 0}), content(20));
        }
    }
}

TEST(PanelRestoreEnds, FileEndingAfterTheFamilyBlockSendsNothing) {
    {
        RestoreRig rig(Model::Main);
        const QString path = writePanelFile(rig.dir, 1005, 0, {});
        EXPECT_EQ(rig.restore(PanelFamily::Main, path), RestoreOutcome::Finished);
        EXPECT_TRUE(rig.requests().isEmpty());
        EXPECT_EQ(rig.ui.statuses, QStringList{Finished});
    }
    {
        RestoreRig rig(Model::Sub6000);
        const QString path = writePanelFile(rig.dir, 6005, 0, {});
        EXPECT_EQ(rig.restore(PanelFamily::Sub, path), RestoreOutcome::Finished);
        // not even a bus release: no exchange took the bus
        EXPECT_TRUE(rig.controller.framesNoted(QStringLiteral("request")).isEmpty());
        EXPECT_TRUE(rig.controller.framesNoted(QStringLiteral("release")).isEmpty());
        EXPECT_EQ(rig.ui.statuses, QStringList{Finished});
        EXPECT_TRUE(rig.messages().isEmpty());
    }
}

// Time from the acknowledgement of the Program Code block 5 write to the next record's text.
std::int64_t pauseAfterProgramCodeBlock5(Model model, std::uint16_t familyCode, bool failWrite) {
    RestoreRig rig(model);
    const QString path =
        writePanelFile(rig.dir, familyCode, 0,
                       {{16, 3, 0, content(30)}, {16, 4, 0, content(30)}, {7, 0, 0, content(2)}});
    if (failWrite) {
        rig.ui.answer(MessageAnswer::Ignore);
        rig.ui.onStatus = [&rig](const QString& text) {
            if (text == QStringLiteral("Sending Program Code Block 5")) {
                rig.controller.faults.dropAnswer = true;
                rig.controller.faults.count = 1;
            }
        };
    }
    EXPECT_EQ(rig.restore(PanelFamily::Sub, path), RestoreOutcome::Finished);
    EXPECT_EQ(rig.ui.statuses,
              (QStringList{"Sending Program Code Block 4", "Sending Program Code Block 5",
                           "Sending Programs Block 1", Finished}));
    EXPECT_EQ(rig.messages(), failWrite ? QStringList{Problem} : QStringList{});
    // the second request is the write of block 5, whether acknowledged or not
    const auto requests = rig.controller.framesNoted(QStringLiteral("request"));
    EXPECT_EQ(requests.size(), 3);
    if (requests.size() < 2) return -1;
    return rig.ui.statusTimeUs(QStringLiteral("Sending Programs Block 1")) - requests[1].endUs;
}

TEST(PanelRestoreSubPause, FiveSecondsAfterProgramCodeBlock5On5000Family) {
    const std::int64_t paused = pauseAfterProgramCodeBlock5(Model::Sub5000, 5005, false);
    EXPECT_GE(paused, 5 * Second);
    EXPECT_LT(paused, 5 * Second + Second / 2);

    const std::int64_t plain = pauseAfterProgramCodeBlock5(Model::Sub6000, 6005, false);
    EXPECT_LT(plain, Second / 2);
}

TEST(PanelRestoreSubPause, AlsoAfterAnIgnoredWrite) {
    const std::int64_t paused = pauseAfterProgramCodeBlock5(Model::Sub5000, 5005, true);
    EXPECT_GE(paused, 5 * Second);
}

} // namespace
} // namespace vtl::test
