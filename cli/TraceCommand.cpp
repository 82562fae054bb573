// vtl-cli trace: a line trace written with --trace (or saved from a window), as a table.
#include "cli/Commands.h"
#include "link/LineTrace.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace vtl::cli {
namespace {

// Bytes shown per row unless --full.
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

bool isTraceHead(const QByteArray& text) {
    const QJsonDocument doc = QJsonDocument::fromJson(text);
    return doc.isObject() && doc.object().value(QStringLiteral("trace")).toString() ==
                                 QLatin1String(LineTrace::Signature);
}

} // namespace

int runTrace(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows a line trace (written with --trace) as a table."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("full"), QStringLiteral("Show every byte of long frames.")});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The trace file."));
    if (auto status = parseArguments(parser, ctx, 1, "FILE")) return *status;
    const QString path = parser.positionalArguments().first();
    const bool full = parser.isSet(QStringLiteral("full"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ctx.err << "vtl-cli trace: cannot read " << path << ": " << file.errorString() << Qt::endl;
        return ExitFailed;
    }
    if (!isTraceHead(file.readLine().trimmed())) {
        ctx.err << "vtl-cli trace: " << path << " is not a line trace" << Qt::endl;
        return ExitFailed;
    }
    ctx.out << "      ms  dir framing panel net cmd point table length  checks             bytes"
            << Qt::endl;
    for (int lineNumber = 2; !file.atEnd(); ++lineNumber) {
        const QByteArray text = file.readLine().trimmed();
        if (text.isEmpty()) continue;
        const QJsonDocument doc = QJsonDocument::fromJson(text);
        if (!doc.isObject()) {
            // The last line of a trace cut off mid-write (a crash) is the only expected case.
            ctx.out << QStringLiteral("line %1 is cut short or damaged").arg(lineNumber)
                    << Qt::endl;
            continue;
        }
        const QJsonObject line = doc.object();
        const QString time = QString::number(line.value(QStringLiteral("t")).toDouble(), 'f', 1);
        const bool frame = line.value(QStringLiteral("kind")).toString() == QLatin1String("frame");
        ctx.out << time.rightJustified(8) << "  "
                << (frame ? frameRow(line, full) : eventRow(line, full)) << Qt::endl;
    }
    return ExitDone;
}

} // namespace vtl::cli
