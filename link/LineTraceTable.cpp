#include "link/LineTraceTable.h"

#include "link/LineTrace.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace vtl {
namespace {

// Bytes shown per row unless the whole run is asked for.
constexpr int ShownBytes = 16;

QString number(const QJsonObject& line, const char* key, int width) {
    return QString::number(line.value(QLatin1String(key)).toInt()).rightJustified(width);
}

QString hexColumn(const QString& hex, bool full) {
    if (hex.isEmpty()) return QStringLiteral("-");
    const qsizetype count = (hex.size() + 1) / 3;
    if (full || count <= ShownBytes) return hex;
    return hex.left(ShownBytes * 3 - 1) + QStringLiteral(" ... (%1 bytes)").arg(count);
}

QString checksColumn(const QJsonObject& line) {
    const QJsonObject checks = line.value(QStringLiteral("checks")).toObject();
    QStringList parts;
    for (auto it = checks.begin(); it != checks.end(); ++it)
        parts << it.key() + QLatin1Char(' ') + it.value().toString();
    return parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral(", "));
}

QString frameRow(const QJsonObject& line, bool full) {
    QString row = line.value(QStringLiteral("dir")).toString().leftJustified(4) +
                  line.value(QStringLiteral("framing")).toString().leftJustified(8) +
                  number(line, "panel", 5) + number(line, "network", 4) +
                  number(line, "command", 4) + number(line, "point", 6) + number(line, "table", 6) +
                  number(line, "length", 7) + QStringLiteral("  ") +
                  checksColumn(line).leftJustified(18) + QLatin1Char(' ') +
                  hexColumn(line.value(QStringLiteral("hex")).toString(), full);
    const QString failure = line.value(QStringLiteral("failure")).toString();
    if (!failure.isEmpty()) row += QStringLiteral("\n%1FAILED: %2").arg(QString(10, ' '), failure);
    return row;
}

QString eventRow(const QJsonObject& line, bool full) {
    QString row = QStringLiteral("--  ") + line.value(QStringLiteral("event")).toString();
    if (line.contains(QStringLiteral("on")))
        row += line.value(QStringLiteral("on")).toBool() ? QStringLiteral(" on")
                                                         : QStringLiteral(" off");
    if (line.contains(QStringLiteral("baud")))
        row += QStringLiteral(" %1 baud").arg(line.value(QStringLiteral("baud")).toInt());
    if (line.contains(QStringLiteral("failure")))
        row += QStringLiteral(": ") + line.value(QStringLiteral("failure")).toString();
    const QString hex = line.value(QStringLiteral("hex")).toString();
    if (!hex.isEmpty()) row += QStringLiteral("  sent ") + hexColumn(hex, full);
    const QString heard = line.value(QStringLiteral("otherHex")).toString();
    if (!heard.isEmpty()) row += QStringLiteral("  heard ") + hexColumn(heard, full);
    return row;
}

QString row(const QJsonObject& line, bool full) {
    const QString time = QString::number(line.value(QStringLiteral("t")).toDouble(), 'f', 1);
    const bool frame = line.value(QStringLiteral("kind")).toString() == QLatin1String("frame");
    return time.rightJustified(8) + QStringLiteral("  ") +
           (frame ? frameRow(line, full) : eventRow(line, full));
}

enum class LineRead { Line, TooLong, End, Error };

// One line, without its end, of at most `maxLength` bytes; the rest of a longer line is read
// through in pieces of that size and dropped, so a file without line ends never fills memory.
class LineReader {
public:
    LineReader(QIODevice& in, qint64 maxLength)
        : in_(in), maxLength_(maxLength), buffer_(maxLength + 2, Qt::Uninitialized) {}

    LineRead next(QByteArray& line) {
        const qint64 n = readPiece();
        if (n <= 0) return n == 0 || in_.atEnd() ? LineRead::End : LineRead::Error;
        line = QByteArray(buffer_.constData(), n);
        if (line.endsWith('\n') || n <= maxLength_) {
            line = line.trimmed();
            return LineRead::Line;
        }
        for (;;) {
            const qint64 more = readPiece();
            if (more < 0 && !in_.atEnd()) return LineRead::Error;
            if (more <= 0 || buffer_[more - 1] == '\n') return LineRead::TooLong;
        }
    }

private:
    // Up to maxLength_ + 1 bytes, ending after the first line end if there is one.
    qint64 readPiece() { return in_.readLine(buffer_.data(), buffer_.size()); }

    QIODevice& in_;
    qint64 maxLength_;
    QByteArray buffer_;
};

bool isTraceHead(const QByteArray& text) {
    const QJsonDocument doc = QJsonDocument::fromJson(text);
    return doc.isObject() && doc.object().value(QStringLiteral("trace")).toString() ==
                                 QLatin1String(LineTrace::Signature);
}

} // namespace

TraceTableResult writeTraceTable(QIODevice& in, QTextStream& out, bool full, qint64 maxLineLength) {
    LineReader reader(in, maxLineLength);
    QByteArray text;
    switch (reader.next(text)) {
    case LineRead::Line:
        if (isTraceHead(text)) break;
        [[fallthrough]];
    case LineRead::TooLong:
    case LineRead::End:
        return TraceTableResult::NotATrace;
    case LineRead::Error:
        return TraceTableResult::ReadError;
    }

    out << "      ms  dir framing panel net cmd point table length  checks             bytes\n";
    for (int lineNumber = 2;; ++lineNumber) {
        const LineRead read = reader.next(text);
        if (read == LineRead::End || read == LineRead::Error) {
            out.flush();
            return read == LineRead::End ? TraceTableResult::Shown : TraceTableResult::ReadError;
        }
        if (read == LineRead::TooLong) {
            out << QStringLiteral("line %1 is longer than a trace writes\n").arg(lineNumber);
            continue;
        }
        if (text.isEmpty()) continue;
        const QJsonDocument doc = QJsonDocument::fromJson(text);
        if (!doc.isObject()) {
            // The last line of a trace cut off mid-write (a crash) is the only expected case.
            out << QStringLiteral("line %1 is cut short or damaged\n").arg(lineNumber);
            continue;
        }
        out << row(doc.object(), full) << '\n';
    }
}

} // namespace vtl
