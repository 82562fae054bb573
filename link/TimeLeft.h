#pragma once

#include "link/UserInterface.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace vtl {

// The time a long operation still needs, from how long its records have taken so far. Before the
// first record is done, a record is taken to cost one exchange of a typical size at the line rate.
// Times are inputs, so the estimate is the same on any clock.
struct TimeLeftInput {
    int done = 0;
    int total = 0;
    std::int64_t elapsedMs = 0;
    std::int32_t baudRate = 0;
    std::int64_t stalledMs = 0; // part of elapsedMs lost to failed exchanges and their questions
};

// Nothing when no estimate can be made (no record done and no line rate).
std::optional<std::int64_t> estimateTimeLeftMs(const TimeLeftInput& input);

// "m:ss", or "h:mm:ss" from an hour on.
QString formatDuration(std::int64_t ms);

// One line for a progress display: "12 of 345 records, 3%, 0:42 elapsed, 4:51 left", or while
// connecting "Trying 19200 baud, 2 of 5 speeds, 0:01 elapsed".
QString progressText(const OperationProgress& progress, std::int64_t elapsedMs);

} // namespace vtl
