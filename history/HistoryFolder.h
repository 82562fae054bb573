#pragma once

#include "history/Snapshot.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vtl {

// The folder that keeps the snapshots, one file "ID.json" each, in the user's data location
// rather than beside any file of the user's. Files are only ever added.
class HistoryFolder {
public:
    // Where VTL_HISTORY_DIR says, else "history" in the program's data location.
    static HistoryFolder standard();
    explicit HistoryFolder(QString path) : path_(std::move(path)) {}

    QString path() const { return path_; }
    // Where a restore's Back Up First puts its panel file when the window made it.
    QString backupsPath() const;

    // Gives the snapshot its id and writes it whole (written beside, checked, put in place,
    // read back); false with why when it is not there as written.
    bool save(Snapshot& snapshot, QString* why) const;

    struct Listing {
        std::vector<Snapshot> snapshots; // newest first
        QStringList unreadable;          // "FILE: why" for each file that is no snapshot
    };
    Listing list() const;
    std::optional<Snapshot> load(const QString& id, QString* why) const;

private:
    QString path_;
};

} // namespace vtl
