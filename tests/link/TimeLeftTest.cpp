#include "link/TimeLeft.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

struct EstimateCase {
    const char* name;
    TimeLeftInput input;
    std::optional<std::int64_t> leftMs;
};

TEST(TimeLeftTest, EstimatesFromRecordsDoneOrTheLineRate) {
    const EstimateCase cases[] = {
        {"measured average", {10, 40, 5000, 38400}, 15000},
        {"measured wins over the rate", {1, 3, 2000, 1200}, 4000},
        {"all done", {40, 40, 5000, 38400}, 0},
        {"more done than planned", {41, 40, 5000, 38400}, 0},
        // 600 bytes of 10 bits at 9600 baud is 625 ms, with 150 ms around the exchange.
        {"nothing done: from the rate", {0, 4, 0, 9600}, 4 * 775},
        {"nothing done at 115200", {0, 10, 0, 115200}, 10 * (52 + 150)},
        {"nothing done, no rate", {0, 10, 0, 0}, std::nullopt},
        // A minute lost to a record retried says nothing about the records to come.
        {"a record retried for a minute", {10, 40, 65000, 38400, 60000}, 15000},
        {"more lost than elapsed", {10, 40, 5000, 38400, 9000}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(estimateTimeLeftMs(c.input), c.leftMs) << c.name;
}

TEST(TimeLeftTest, FormatsDurationsAndTheProgressLine) {
    EXPECT_EQ(formatDuration(0), QStringLiteral("0:00"));
    EXPECT_EQ(formatDuration(59999), QStringLiteral("0:59"));
    EXPECT_EQ(formatDuration(61000), QStringLiteral("1:01"));
    EXPECT_EQ(formatDuration(3723000), QStringLiteral("1:02:03"));
    EXPECT_EQ(formatDuration(-5), QStringLiteral("0:00"));

    EXPECT_EQ(progressText({12, 345, 38400}, 42000),
              QStringLiteral("12 of 345 records, 3%, 0:42 elapsed, 19:25 left"));
    EXPECT_EQ(progressText({0, 5, 0}, 0), QStringLiteral("0 of 5 records, 0%, 0:00 elapsed"));
    EXPECT_EQ(progressText({1, 5, 19200, ProgressUnit::Speeds}, 1500),
              QStringLiteral("Trying 19200 baud, 2 of 5 speeds, 0:01 elapsed"));
}

} // namespace
} // namespace vtl
