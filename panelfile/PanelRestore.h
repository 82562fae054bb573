#pragma once

#include "panelfile/PanelFileDialog.h"

#include "link/Session.h"
#include "panelfile/FamilyCode.h"
#include "panelfile/PanelFileHeader.h"
#include "panelfile/PanelFileRecords.h"
#include "panelfile/RestoreRules.h"

#include <QIODevice>
#include <QString>
#include <optional>

namespace vtl {

enum class RestoreOutcome {
    Finished,      // every record of the file was dealt with
    Cancelled,     // no file was chosen
    FileError,     // the file could not be opened or read; nothing sent
    InvalidFile,   // bad signature, stamps or family code; nothing sent
    Damaged,       // a record cut short, bytes after the last record, or far too long; nothing sent
    WrongFamily,   // refused for its family, or the user declined a main panel file; nothing sent
    WrongAddress,  // meant for another address; nothing sent
    UnknownRecord, // a record with no catalogue entry; nothing sent
    ClearFailed,   // the clear before sending was not acknowledged
    Aborted,       // the user gave up after a failed write; earlier records stay sent
    BackupFailed,  // Back Up First did not make its whole backup; nothing sent
    NotKept,       // the snapshot before it could not be kept; nothing sent
};

// Sends the blocks of a panel file back to the connected controller, one write per record, with
// the rules of the controller's family. The whole file is read and checked first: a damaged file,
// or one with a record the controller has no place for, sends nothing. Progress goes to the status
// line, questions and refusals to message boxes, both through the session's user interface.
class PanelRestore {
public:
    PanelRestore(Session& session, PanelFamily family);

    // `path` is what the open-file dialog or --in chose; empty means the user cancelled.
    RestoreOutcome run(const QString& path);
    // The same on a device already open for reading, positioned at the start of the file.
    RestoreOutcome run(QIODevice& file);

    // "Back Up First": once the file has passed its checks, the controller is backed up into a new
    // file in `folder`, and the restore goes on only when that backup is complete. The restore's
    // snapshot names that file, which backup() gives after the run.
    void setBackUpFirst(const QString& folder) { backUpFolder_ = folder; }
    const QString& backup() const { return backup_; }

    // Whether the user let the last run send the file's Ethernet configuration.
    bool ethernetSent() const { return ethernetSent_; }

    static constexpr int ClearPauseMs = 1000;
    static constexpr int SubProgramCodePauseMs = 5000;

private:
    enum class SendResult { Sent, Ignored, Aborted };
    enum class ClearResult { Cleared, Failed, Cancelled };

    // Each gives the outcome when the file is refused, nothing when it may be sent.
    std::optional<RestoreOutcome> checkHeader(QIODevice& file, PanelFileHeader& header);
    std::optional<RestoreOutcome> readRecords(QIODevice& file, QList<PanelFileRecord>& records);
    std::optional<RestoreOutcome> acceptance(const PanelFileHeader& header);
    std::optional<RestoreOutcome> checkRecordsKnown(const RestoreContext& context,
                                                    const QList<PanelFileRecord>& records);
    std::optional<RestoreOutcome> backUpFirst();
    ClearResult clearController();
    RestoreOutcome sendRecords(const RestoreContext& context,
                               const QList<PanelFileRecord>& records);
    SendResult send(const RecordPlan& plan, const QByteArray& data);
    void releaseBusIfHeld();
    void status(const QString& text);
    void reportProgress(int done, int total);
    bool cancelled();

    Session& session_;
    PanelFamily family_;
    bool mainFile_ = false;
    bool lastExchangeOk_ = false;
    bool ethernetSent_ = false;
    std::int64_t stalledUs_ = 0; // failed writes and their questions
    QString backUpFolder_;
    QString backup_;
};

// The restore as the windows and the command line start it; true when the whole file was sent.
bool runPanelRestore(Session& session, PanelFamily family, const QString& path);

} // namespace vtl
