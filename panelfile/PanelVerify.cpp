#include "panelfile/PanelVerify.h"

#include "panelfile/PanelBackup.h"

#include <QBuffer>

namespace vtl {

namespace {

// The kind of controller that wrote the file, told by the reader that knows every family code
// (the main panel's reader takes every code above 8000 for a file without a writer).
std::optional<PanelFamily> writerOf(const PanelFileHeader& header) {
    return familyOfFileClass(classifyFamilyCode(header.familyCode, PanelFamily::Lan));
}

} // namespace

std::optional<Comparison> verifyController(Session& session, PanelFamily family,
                                           const QString& path, bool ethernetSent, QString* error,
                                           VerifyCase verifyCase) {
    const auto file = readPanelFile(path, family, error);
    if (!file) return std::nullopt;
    const FileClass fileClass = file->header.fileClass;
    const Acceptance acceptance = acceptFile(family, fileClass, subFamilyBase(session.state));
    const auto writer = writerOf(file->header);
    const bool otherKind = verifyCase == VerifyCase::OnItsOwn && writer && *writer != family;
    if (acceptance == Acceptance::Refused || otherKind) {
        if (error)
            *error = wrongFamilyMessage(
                classifyFamilyCode(file->header.familyCode, PanelFamily::Lan), family);
        return std::nullopt;
    }

    QByteArray image;
    if (PanelBackup(session, family).runInMemory(image) != BackupOutcome::Finished) {
        if (error) error->clear();
        return std::nullopt;
    }
    QBuffer buffer(&image);
    buffer.open(QIODevice::ReadOnly);
    const auto held = readPanelFile(buffer, family, error);
    if (!held) return std::nullopt;

    RestoreContext context = RestoreContext::of(family, fileClass, session.state);
    context.mainFile = acceptance == Acceptance::AskMainOnLan;
    return verifyRestore(*file, *held, context, ethernetSent);
}

QString verifySummary(const Comparison& comparison, int maxLines) {
    QStringList lines = comparison.differences.mid(0, maxLines);
    if (comparison.differences.size() > maxLines)
        lines << QStringLiteral("... and %1 more").arg(comparison.differences.size() - maxLines);
    lines << QStringLiteral("%1 records match, %2 differ, %3 as the restore rules leave them.")
                 .arg(comparison.matching)
                 .arg(comparison.differences.size())
                 .arg(comparison.expected.size());
    return lines.join(QLatin1Char('\n'));
}

} // namespace vtl
