#include "panelfile/PanelVerify.h"

#include "panelfile/PanelBackup.h"

#include <QBuffer>

namespace vtl {

std::optional<Comparison> verifyController(Session& session, PanelFamily family,
                                           const QString& path, bool ethernetSent, QString* error) {
    const auto file = readPanelFile(path, family, error);
    if (!file) return std::nullopt;
    const FileClass fileClass = file->header.fileClass;
    const Acceptance acceptance = acceptFile(family, fileClass, subFamilyBase(session.state));
    if (acceptance == Acceptance::Refused) {
        if (error) *error = wrongFamilyMessage(fileClass, family);
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
