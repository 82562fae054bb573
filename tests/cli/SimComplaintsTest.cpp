// Which complaints of vtl-sim a run's retries explain: only the marks a retry leaves, once per
// retry, and the noise beside them; never a wrong byte.
#include "tests/support/SimComplaints.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

const QString Retry = QStringLiteral("[VTL] Problem Retrieving Data. -> Retry\n  reason: x\n");
const QString AckDue = QStringLiteral("violation: 10 us: 0x41 where 0x06 was due\n");
const QString CutShort =
    QStringLiteral("violation: 20 us: frame cut short: silence after 404 bytes\n"
                   "violation: 20 us: stray byte 0x1e between frames\n"
                   "violation: 20 us: broken preamble: 0x44 at position 1\n");
const QString Stray = QStringLiteral("violation: 30 us: stray byte 0x06 between frames\n");
const QString WrongSum = QStringLiteral("violation: 40 us: data sum 12, expected 13\n");
const QString AckHeldUp =
    QStringLiteral("violation: 50 us: 0x41 before our 0x06 had gone out\n"
                   "violation: 60 us: block check 0x24 after data byte 128, expected 0xda after "
                   "our 0x06 went out late\n");
const QString LateRelease =
    QStringLiteral("violation: 70 us: release frame while the PC did not hold the bus\n");
const QString Unpolled =
    QStringLiteral("violation: 80 us: request (command 3) without being polled\n");

struct Row {
    const char* name;
    QString simErrors;
    QString programErrors;
    qsizetype unexplained;
};

class SimComplaints : public ::testing::TestWithParam<Row> {};

TEST_P(SimComplaints, RetriesExplainOnlyTheirOwnMarks) {
    const Row& row = GetParam();
    EXPECT_EQ(unexplainedComplaints(row.simErrors, row.programErrors).size(), row.unexplained)
        << qPrintable(unexplainedComplaints(row.simErrors, row.programErrors).join('\n'));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SimComplaints,
    ::testing::Values(Row{"clean", QStringLiteral("dropped write 116/0/0\n"), {}, 0},
                      Row{"ack_due_after_a_retry", AckDue, Retry, 0},
                      Row{"ack_due_without_a_retry", AckDue, {}, 3},
                      Row{"two_marks_one_retry", AckDue + AckDue, Retry, 4},
                      Row{"our_own_held_up_ack_after_two_retries", AckHeldUp, Retry + Retry, 0},
                      Row{"cut_short_and_its_noise_after_a_retry", CutShort, Retry, 0},
                      Row{"noise_alone", Stray, Retry, 2},
                      Row{"a_missed_reply_released_late", LateRelease + Stray, Retry, 0},
                      Row{"a_late_release_without_a_retry", LateRelease, {}, 3},
                      Row{"a_stall_while_holding_the_bus", Unpolled + LateRelease, Retry, 0},
                      Row{"wrong_sum_despite_retries", AckDue + WrongSum, Retry + Retry, 2}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace vtl::test
