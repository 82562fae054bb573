// Feeds arbitrary bytes to the line trace reader as vtl-cli trace reads a trace file: the head
// line, then one JSON object a line, each shown as a row. Whatever comes, the table must hold at
// most a row or two per line read, grow no faster than the lines themselves, and be the same when
// the bytes come a few at a time. The line bound is taken small, from the input, so that the
// skipping of over-long lines is reached with short inputs.
#include "link/LineTraceTable.h"
#include "tests/panelfile/ShortReadDevice.h"

#include <QBuffer>
#include <QString>
#include <QTextStream>

#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Wider than any row's fixed columns and its time, which a double may stretch to 300 digits.
constexpr qsizetype RowAllowance = 800;

QString table(QIODevice& in, bool full, qint64 maxLineLength, vtl::TraceTableResult& result) {
    QString text;
    QTextStream out(&text);
    result = vtl::writeTraceTable(in, out, full, maxLineLength);
    out.flush();
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool full = size % 2 == 1;
    const qint64 maxLineLength = size % 3 == 0 ? vtl::MaxTraceLineLength : 16 + qint64(size % 61);

    QBuffer buffer;
    buffer.setData(input);
    buffer.open(QIODevice::ReadOnly);
    vtl::TraceTableResult whole;
    const QString shown = table(buffer, full, maxLineLength, whole);
    check(whole != vtl::TraceTableResult::ReadError);
    check(whole == vtl::TraceTableResult::Shown || shown.isEmpty());

    const qsizetype lines = input.count('\n') + 1;
    check(shown.count(QLatin1Char('\n')) <= 1 + 2 * lines);
    check(shown.size() <= input.size() + RowAllowance * (lines + 1));

    vtl::test::ShortReadDevice pieces(input, 1 + qint64(size % 7));
    vtl::TraceTableResult inPieces;
    check(table(pieces, full, maxLineLength, inPieces) == shown);
    check(inPieces == whole);
    return 0;
}
