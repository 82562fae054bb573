#pragma once

#include "link/Session.h"
#include "panelfile/FamilyCode.h"

#include <QDateTime>
#include <QString>

namespace vtl {

// "Back Up First": a restore's way back is a whole backup, made before the restore starts.

inline const QString BackUpFailedText = QStringLiteral("Backup Failed. Panel File Not Sent.");

// "main-panel-5", "lan-controller-9", "sub-panel-7": the start of the file's name.
QString backupStem(PanelFamily family, const ConnectionState& state);

// Takes a new file "STEM-YYYYMMDD-HHMM.PNL" in `folder` (made when missing), with "-2", "-3" ...
// when that minute has one already: never an existing file's name. Empty, with why, when none
// can be made.
QString reserveBackupName(const QString& folder, const QString& stem, const QDateTime& time,
                          QString* why);

// Backs the controller up into a new file in `folder`; its path once it is complete. Empty when
// the file could not be made (`why` says so) or the backup failed (it told the user itself). The
// restore calls it once the file it sends has passed its checks (PanelRestore::setBackUpFirst).
QString backUpFirst(Session& session, PanelFamily family, const QString& folder, QString* why);

} // namespace vtl
