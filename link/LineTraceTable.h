#pragma once

#include <QIODevice>
#include <QTextStream>

namespace vtl {

// A line trace read back and shown as a table, one row per frame or event, as vtl-cli trace prints
// it.
enum class TraceTableResult {
    Shown,     // every line after the first was shown, or said to be damaged
    NotATrace, // the first line does not name the file a line trace
    ReadError, // the device failed
};

// Far longer than any line a trace writes (two directions of at most 16384 bytes each in hex, and
// the frame's fields); a longer line is said to be damaged and skipped without being held.
inline constexpr qint64 MaxTraceLineLength = 256 * 1024;

// Reads the trace from `in` and writes the table to `out`. Without `full`, long byte runs are cut
// to their first 16 bytes and a count. Lines longer than `maxLineLength` are skipped.
TraceTableResult writeTraceTable(QIODevice& in, QTextStream& out, bool full,
                                 qint64 maxLineLength = MaxTraceLineLength);

} // namespace vtl
