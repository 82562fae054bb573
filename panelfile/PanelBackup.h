#pragma once

#include "link/CommandSet.h"

#include "panelfile/PanelFileDialog.h"

#include "link/Session.h"
#include "panelfile/BlockCatalogue.h"
#include "panelfile/FamilyCode.h"

#include <QByteArray>
#include <QDateTime>
#include <QSaveFile>
#include <QString>
#include <functional>

namespace vtl {

enum class BackupOutcome {
    Finished,       // the file is complete and has replaced the target
    Aborted,        // the user gave up after a failed read
    WriteFailed,    // the file could not be opened, written or put in place
    InvalidAddress, // a controller at address 0: its file could never be restored
};

// Reads every memory block of the connected controller into a panel file. The file is written
// beside the target and replaces it only when the backup is complete, so any other way out leaves
// an existing target exactly as it was.
class PanelBackup {
public:
    PanelBackup(Session& session, PanelFamily family);

    // The local time the stamps are taken from; the current time unless replaced.
    void setTimeSource(std::function<QDateTime()> now) { now_ = std::move(now); }

    BackupOutcome run(const QString& path);
    // `file` names the target and is not open yet.
    BackupOutcome run(QSaveFile& file);
    // The same reads into memory, for comparing the controller with a file: no file is touched, the
    // sub panel is not asked about the address, and the status line is not told of a file.
    BackupOutcome runInMemory(QByteArray& image);

private:
    using ReadAddress = commands::RecordAddress;
    enum class ReadResult { Read, Ignored, Aborted, Cancelled };

    BackupOutcome fill(QIODevice& file, bool askAnyAddress);
    static void discard(QIODevice& file);
    BackupOutcome walk(QIODevice& file);
    BackupOutcome walkEntry(QIODevice& file, const CatalogueEntry& entry, int count);
    ReadAddress readAddress(int catalogueCommand, int block) const;
    ReadResult readBlock(const ReadAddress& address);
    QByteArray recordsFor(int catalogueCommand, int block, const ReadAddress& address);
    QByteArray lanOrMainRecord(int catalogueCommand, int block, const ReadAddress& address) const;
    QByteArray subRecords(int catalogueCommand, int block, const ReadAddress& address);
    QByteArray trendLogPart(int block, bool readOk, bool lastOfEntry);
    std::uint8_t askAnyAddress();
    BackupOutcome writeFailed(QIODevice& file, bool walking);
    BackupOutcome aborted(QIODevice& file);
    int recordsToRead() const;
    void reportProgress();
    void releaseBusIfHeld();

    Session& session_;
    PanelFamily family_;
    CatalogueColumn column_ = CatalogueColumn::Main;
    std::function<QDateTime()> now_;

    // Sub panels: the PID entry size follows the Kestrom Configuration block.
    bool extendedPidRecords_ = false;
    bool lastExchangeOk_ = false;
    int blocksDone_ = 0;
    int blocksToRead_ = 0;
    std::int64_t stalledUs_ = 0; // failed reads and their questions
    bool verifying_ = false;     // reading back into memory, to compare with a file
    QByteArray trendHalves_[2];
};

// The backup as the windows and the command line start it; true when the file was written.
bool runPanelBackup(Session& session, PanelFamily family, const QString& path);

} // namespace vtl
