#include "cli/Commands.h"
#include "cli/TerminalUserInterface.h"
#include "panelfile/BlockCatalogue.h"
#include "panelfile/PanelFileHeader.h"
#include "panelfile/RestoreRules.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vtl::cli {
namespace {

QString describeClass(FileClass fileClass) {
    switch (fileClass) {
    case FileClass::MainPanel:
        return QStringLiteral("main panel");
    case FileClass::Lan490:
        return QStringLiteral("LAN 490-499");
    case FileClass::Lan600:
        return QStringLiteral("LAN 600-601");
    case FileClass::Lan602:
        return QStringLiteral("LAN 602-699");
    case FileClass::Sub3000:
        return QStringLiteral("sub 3000");
    case FileClass::Sub4000:
        return QStringLiteral("sub 4000");
    case FileClass::Sub5000:
        return QStringLiteral("sub 5000");
    case FileClass::Sub6000:
        return QStringLiteral("sub 6000");
    case FileClass::Sub7000:
        return QStringLiteral("sub 7000");
    case FileClass::NoWriter:
        return QStringLiteral("no writer");
    case FileClass::Invalid:
        break;
    }
    return QStringLiteral("invalid");
}

QString statusText(RecordStatus status) {
    switch (status) {
    case RecordStatus::Oversized:
        return QStringLiteral("oversized");
    case RecordStatus::Truncated:
        return QStringLiteral("truncated");
    default:
        return {};
    }
}

} // namespace

int runInspect(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the header and the records of a panel file, without a controller."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("json"), QStringLiteral("Write JSON instead of text.")});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The panel file, or a routing table file (.NET)."));
    if (auto status = parseArguments(parser, ctx, 1, "FILE")) return *status;
    if (parser.positionalArguments().first().endsWith(QLatin1String(".NET"), Qt::CaseInsensitive))
        return inspectRoutingFile(ctx, parser.positionalArguments().first(),
                                  parser.isSet(QStringLiteral("json")));

    QFile file(parser.positionalArguments().first());
    if (!file.open(QIODevice::ReadOnly)) {
        ctx.err << TerminalUserInterface::oneLine(QStringLiteral("Error"),
                                                  QStringLiteral("Error Reading File."))
                << " (" << file.errorString() << ")" << Qt::endl;
        return ExitFailed;
    }
    // The LAN reader knows every class a file can have.
    const HeaderReadResult read = readHeader(file, PanelFamily::Lan);
    if (!read.ok()) {
        ctx.err << TerminalUserInterface::oneLine(HeaderReadResult::title(), read.message())
                << Qt::endl;
        return ExitFailed;
    }
    const PanelFileHeader& h = read.header;
    const QString classText = describeClass(h.fileClass);
    const std::optional<PanelFamily> family = familyOfFileClass(h.fileClass);

    QJsonArray records;
    QStringList lines;
    std::array<std::uint8_t, TransferBuffers::Size> buffer{};
    bool damaged = false;
    for (;;) {
        const RecordReadResult r = readBlockRecord(file, buffer);
        if (r.status == RecordStatus::ReadError) {
            ctx.err << TerminalUserInterface::oneLine(QStringLiteral("Error"),
                                                      QStringLiteral("Error Reading File."))
                    << Qt::endl;
            return ExitFailed;
        }
        if (!r.isRecord()) break;
        if (r.status == RecordStatus::Truncated) {
            damaged = true;
            ctx.err << QStringLiteral("vtl-cli inspect: %1 is cut short: record %2 (%3 %4 %5) "
                                      "holds %6 of its %7 bytes")
                           .arg(file.fileName())
                           .arg(records.size() + 1)
                           .arg(r.header.command)
                           .arg(r.header.point)
                           .arg(r.header.table)
                           .arg(r.bytesConsumed)
                           .arg(r.header.length)
                    << Qt::endl;
        }
        QString name;
        if (family)
            if (auto entry = catalogueEntryOf(*family, r.header))
                name = QLatin1String(catalogueFor(*family).entry(*entry).name);
        const QString status = statusText(r.status);
        records.append(
            QJsonObject{{"command", r.header.command},
                        {"point", r.header.point},
                        {"table", r.header.table},
                        {"length", int(r.header.length)},
                        {"name", name},
                        {"status", status.isEmpty() ? QStringLiteral("complete") : status}});
        lines << QStringLiteral("%1 %2 %3 %4  %5%6")
                     .arg(r.header.command, 3)
                     .arg(r.header.point, 3)
                     .arg(r.header.table, 3)
                     .arg(r.header.length, 5)
                     .arg(name.isEmpty() ? QStringLiteral("(no catalogue entry)") : name,
                          status.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(status));
    }

    if (parser.isSet(QStringLiteral("json"))) {
        const QJsonObject document{{"signature", QString::fromLatin1(h.signature.left(28))},
                                   {"time", QString::fromLatin1(h.timeStamp)},
                                   {"date", QString::fromLatin1(h.dateStamp)},
                                   {"family-code", h.familyCode},
                                   {"class", classText},
                                   {"address", h.address()},
                                   {"any-address", h.anyAddress != 0},
                                   {"records", records}};
        ctx.out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    } else {
        ctx.out << "signature: " << QString::fromLatin1(h.signature.left(28)) << Qt::endl
                << "time: " << QString::fromLatin1(h.timeStamp) << Qt::endl
                << "date: " << QString::fromLatin1(h.dateStamp) << Qt::endl
                << "family-code: " << h.familyCode << Qt::endl
                << "class: " << classText << Qt::endl
                << "address: " << h.address() << Qt::endl
                << "any-address: " << (h.anyAddress != 0 ? "yes" : "no") << Qt::endl
                << "records: " << records.size() << Qt::endl;
        if (!lines.isEmpty()) ctx.out << "cmd pnt tbl  len  name" << Qt::endl;
        for (const QString& line : lines)
            ctx.out << line << Qt::endl;
    }
    return damaged ? ExitFailed : ExitDone;
}

} // namespace vtl::cli
