#include "history/HistoryFolder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace vtl {

namespace {

const QString Suffix = QStringLiteral(".json");

// Sorts by the time a snapshot names and, within one millisecond, by id.
bool newerFirst(const Snapshot& a, const Snapshot& b) {
    if (a.time != b.time) return a.time > b.time;
    return a.id > b.id;
}

// An id nobody types wrong by much: the local time, then four hex digits against clashes
// between jobs that write in the same second.
QString newId(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyyMMdd-HHmmss-")) +
           QStringLiteral("%1").arg(QRandomGenerator::global()->bounded(0x10000), 4, 16,
                                    QLatin1Char('0'));
}

bool isId(const QString& id) {
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("\\d{8}-\\d{6}-[0-9a-f]{4}")));
    return pattern.match(id).hasMatch();
}

} // namespace

HistoryFolder HistoryFolder::standard() {
    const QString chosen = qEnvironmentVariable("VTL_HISTORY_DIR");
    if (!chosen.isEmpty()) return HistoryFolder(chosen);
    return HistoryFolder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                         QStringLiteral("/history"));
}

QString HistoryFolder::backupsPath() const {
    return path_ + QStringLiteral("/backups");
}

bool HistoryFolder::save(Snapshot& snapshot, QString* why) const {
    if (path_.isEmpty() || !QDir().mkpath(path_)) {
        *why = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(path_));
        return false;
    }
    const QDir folder(path_);
    // The name is claimed by creating it, so that jobs writing snapshots at the same moment (a
    // site's threads, or two programs) never pick the same one and replace each other's.
    QString target;
    for (int attempt = 0;; ++attempt) {
        snapshot.id = newId(snapshot.time);
        target = folder.filePath(snapshot.id + Suffix);
        QFile claim(target);
        if (claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) break;
        if (!claim.exists() || attempt == 100) {
            *why =
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), claim.errorString());
            return false;
        }
    }
    const QByteArray bytes = snapshot.toJson();

    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *why = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), file.errorString());
        QFile::remove(target); // the empty claim
        return false;
    }
    QFile back(target);
    if (!back.open(QIODevice::ReadOnly) || back.readAll() != bytes) {
        *why = QStringLiteral("%1 does not read back as written").arg(target);
        return false;
    }
    return true;
}

HistoryFolder::Listing HistoryFolder::list() const {
    Listing listing;
    const QDir folder(path_);
    const QStringList names =
        folder.entryList({QStringLiteral("*") + Suffix}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QString why;
        if (auto snapshot = load(name.chopped(Suffix.size()), &why))
            listing.snapshots.push_back(std::move(*snapshot));
        else
            listing.unreadable << QStringLiteral("%1: %2").arg(name, why);
    }
    std::sort(listing.snapshots.begin(), listing.snapshots.end(), newerFirst);
    return listing;
}

std::optional<Snapshot> HistoryFolder::load(const QString& id, QString* why) const {
    if (!isId(id)) {
        *why = QStringLiteral("\"%1\" is not a snapshot id (YYYYMMDD-HHMMSS-XXXX)").arg(id);
        return std::nullopt;
    }
    QFile file(QDir(path_).filePath(id + Suffix));
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("no snapshot %1 in %2").arg(id, QDir::toNativeSeparators(path_));
        return std::nullopt;
    }
    auto snapshot = Snapshot::fromJson(file.readAll(), why);
    if (snapshot && snapshot->id != id) {
        *why = QStringLiteral("the file holds snapshot %1").arg(snapshot->id);
        return std::nullopt;
    }
    return snapshot;
}

} // namespace vtl
