#include "panelfile/BackUpFirst.h"

#include "panelfile/PanelBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vtl {

QString backupStem(PanelFamily family, const ConnectionState& state) {
    const char* kind = "sub-panel";
    if (family == PanelFamily::Main) kind = "main-panel";
    if (family == PanelFamily::Lan) kind = "lan-controller";
    return QStringLiteral("%1-%2").arg(QLatin1String(kind)).arg(state.PanelAddress & 0xFF);
}

QString reserveBackupName(const QString& folder, const QString& stem, const QDateTime& time,
                          QString* why) {
    if (!QDir().mkpath(folder)) {
        *why = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(folder));
        return {};
    }
    const QString name = stem + time.toString(QStringLiteral("-yyyyMMdd-HHmm"));
    for (int n = 1; n < 1000; ++n) {
        const QString file =
            n == 1 ? name + QStringLiteral(".PNL") : QStringLiteral("%1-%2.PNL").arg(name).arg(n);
        // Made empty and new: a second backup in the same minute cannot take the name too.
        QFile reserved(QDir(folder).filePath(file));
        if (reserved.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return reserved.fileName();
        if (!reserved.exists()) {
            *why = QStringLiteral("cannot create %1: %2")
                       .arg(QDir::toNativeSeparators(reserved.fileName()), reserved.errorString());
            return {};
        }
    }
    *why = QStringLiteral("too many backups of %1 in one minute").arg(stem);
    return {};
}

QString backUpFirst(Session& session, PanelFamily family, const QString& folder, QString* why) {
    const QDateTime time = QDateTime::currentDateTime();
    const QString path = reserveBackupName(folder, backupStem(family, session.state), time, why);
    if (path.isEmpty()) return {};
    PanelBackup backup(session, family);
    backup.setTimeSource([time] { return time; });
    if (backup.run(path) == BackupOutcome::Finished) return path;
    // Only the empty file that held the name goes; a failed backup leaves nothing else behind.
    if (QFileInfo(path).size() == 0) QFile::remove(path);
    why->clear();
    return {};
}

} // namespace vtl
