#include "panelfile/PanelBackup.h"

#include "link/CommandSet.h"
#include "panelfile/BlockRecord.h"
#include "panelfile/PanelFileHeader.h"
#include "panelfile/PanelFileQuestions.h"
#include "panelfile/SubPanelConversions.h"

#include <QBuffer>

#include <algorithm>

namespace vtl {
namespace {

namespace cmd = commands;

constexpr int SubTableCommandBase = 50; // sub panel records at or above this go through table reads
constexpr int KestromCommand = 154;
constexpr std::uint8_t ExtendedDescriptorsTable7000 = 120;
constexpr std::uint8_t ExtendedDescriptorsTable = 127;

QString caption(const char* text) {
    return QString::fromLatin1(text);
}

// The LAN controllers keep erased blocks as all 0 or all 255; such a block is stored empty.
std::uint32_t lanStoredLength(const SubPanelReply& reply) {
    const auto data = reply.buffer.first(std::min<std::size_t>(reply.length, reply.buffer.size()));
    const bool allZero = std::all_of(data.begin(), data.end(), [](auto b) { return b == 0; });
    const bool allFf = std::all_of(data.begin(), data.end(), [](auto b) { return b == 0xFF; });
    return allZero || allFf ? 0 : reply.length;
}

void showAborted(UserInterface& ui, bool verifying) {
    // Reading a controller back to compare it with a file creates no file.
    ui.message(verifying ? QStringLiteral("Panel File Verification Aborted.")
                         : QStringLiteral("Panel File Creation Aborted."),
               caption("VTL"), MessageButtons::Ok, MessageIcon::None);
    ui.setStatus(QString());
}

} // namespace

PanelBackup::PanelBackup(Session& session, PanelFamily family)
    : session_(session), family_(family), now_([] { return QDateTime::currentDateTime(); }) {}

BackupOutcome PanelBackup::run(const QString& path) {
    QSaveFile file(path);
    return run(file);
}

BackupOutcome PanelBackup::run(QSaveFile& file) {
    const BackupOutcome outcome = fill(file, true);
    if (outcome != BackupOutcome::Finished) return outcome;
    // A small file can still sit whole in the save file's buffer, and a failure to write that
    // buffer out inside commit() goes unreported: the empty file would replace the old one.
    if (!file.flush() || file.error() != QFileDevice::NoError) return writeFailed(file, true);
    if (!file.commit()) return writeFailed(file, true);
    session_.ui.setStatus(QStringLiteral("Finished Creating Panel File"));
    return BackupOutcome::Finished;
}

BackupOutcome PanelBackup::runInMemory(QByteArray& image) {
    image.clear();
    QBuffer buffer(&image);
    buffer.open(QIODevice::WriteOnly);
    verifying_ = true;
    const BackupOutcome outcome = fill(buffer, false);
    verifying_ = false;
    return outcome;
}

// A file being written beside its target is thrown away; memory needs nothing.
void PanelBackup::discard(QIODevice& file) {
    if (auto* saveFile = qobject_cast<QSaveFile*>(&file)) saveFile->cancelWriting();
}

BackupOutcome PanelBackup::fill(QIODevice& file, bool askAnyAddress) {
    ConnectionState& state = session_.state;
    UserInterface& ui = session_.ui;
    column_ = catalogueColumn(family_, state);
    extendedPidRecords_ = false;
    lastExchangeOk_ = false;
    trendHalves_[0].clear();
    trendHalves_[1].clear();

    if (!file.open(QIODevice::WriteOnly) || !writeSignature(file) || !writeStamps(file, now_()))
        return writeFailed(file, false);

    // Address 0 makes a family code that is a whole thousand, which every reader refuses.
    if (state.PanelAddress == 0) {
        discard(file);
        ui.message(QStringLiteral("Invalid Address Or Panel Not Supported."), caption("Error"),
                   MessageButtons::Ok, MessageIcon::None);
        return BackupOutcome::InvalidAddress;
    }
    const std::uint8_t anyAddress =
        family_ == PanelFamily::Sub && askAnyAddress ? this->askAnyAddress() : 0;
    if (!writeFamilyBlock(file, familyCode(family_, state), anyAddress))
        return writeFailed(file, false);

    blocksDone_ = 0;
    blocksToRead_ = recordsToRead();
    stalledUs_ = 0;
    const BackupOutcome walked = walk(file);
    ui.setProgress({});
    if (walked != BackupOutcome::Finished) return walked;

    if (family_ == PanelFamily::Sub) releaseBusIfHeld();
    return BackupOutcome::Finished;
}

std::uint8_t PanelBackup::askAnyAddress() {
    return ask(session_.ui, PanelFileQuestions::MakeAddressSpecific) == MessageAnswer::No ? 1 : 0;
}

int PanelBackup::recordsToRead() const {
    int total = 0;
    for (const CatalogueEntry& entry : catalogueFor(family_).entries()) {
        const int count = entry.count(column_);
        if (count > 0) total += entry.command < 0 ? 1 : count;
    }
    return total;
}

void PanelBackup::reportProgress() {
    session_.ui.setProgress({blocksDone_, blocksToRead_, effectiveBaudRate(session_.state),
                             ProgressUnit::Records, stalledUs_ / 1000});
}

BackupOutcome PanelBackup::walk(QIODevice& file) {
    const BlockCatalogue& catalogue = catalogueFor(family_);
    for (const CatalogueEntry& entry : catalogue.entries()) {
        const int count = entry.count(column_);
        if (count == 0) continue;
        // Markers stand for one record whatever the column says.
        const BackupOutcome outcome = walkEntry(file, entry, entry.command < 0 ? 1 : count);
        if (outcome != BackupOutcome::Finished) return outcome;
    }
    return BackupOutcome::Finished;
}

BackupOutcome PanelBackup::walkEntry(QIODevice& file, const CatalogueEntry& entry, int count) {
    const bool pairs = family_ == PanelFamily::Sub && entry.command == 10;
    for (int block = 0; block < count; ++block) {
        // A record boundary: the file so far is complete up to here, so stopping is clean.
        reportProgress();
        if (session_.ui.cancelRequested()) return aborted(file);
        session_.ui.setStatus(QStringLiteral("Reading %1 %2 of %3")
                                  .arg(QString(entry.name))
                                  .arg(block + 1)
                                  .arg(count));
        const ReadAddress address = readAddress(entry.command, block);
        const ReadResult result = readBlock(address);
        if (result == ReadResult::Cancelled) return aborted(file);
        if (result == ReadResult::Aborted) {
            discard(file);
            return BackupOutcome::Aborted;
        }
        ++blocksDone_;
        const bool read = result == ReadResult::Read;
        QByteArray records;
        if (pairs)
            records = trendLogPart(block, read, block == count - 1);
        else if (read)
            records = recordsFor(entry.command, block, address);
        if (!records.isEmpty() && file.write(records) != records.size())
            return writeFailed(file, true);
    }
    return BackupOutcome::Finished;
}

PanelBackup::ReadAddress PanelBackup::readAddress(int catalogueCommand, int block) const {
    const auto point = std::uint8_t(block);
    if (catalogueCommand == EthernetCommand)
        return {cmd::RoutingTable.command, cmd::RoutingTable.point, cmd::RoutingTable.table};
    if (catalogueCommand == InterProtocolCommand) {
        const auto a = cmd::InterProtocolSetup(point);
        return {a.command, a.point, a.table};
    }
    if (family_ != PanelFamily::Sub) return {std::uint8_t(catalogueCommand), point, 0};

    switch (catalogueCommand) {
    case CatalogueMarker::SubPanelDescriptors:
        return {cmd::SubPanelDescriptors.command, cmd::SubPanelDescriptors.point,
                cmd::SubPanelDescriptors.table};
    case CatalogueMarker::SubPanelExtendedDescriptors:
        return {SubTableCommandBase, 0,
                column_ == CatalogueColumn::Sub7000 ? ExtendedDescriptorsTable7000
                                                    : ExtendedDescriptorsTable};
    case CatalogueMarker::CustomUnits:
        return {cmd::CustomUnits.command, cmd::CustomUnits.point, cmd::CustomUnits.table};
    default:
        if (catalogueCommand >= SubTableCommandBase)
            return {SubTableCommandBase, point,
                    std::uint8_t(catalogueCommand - SubTableCommandBase)};
        return {std::uint8_t(catalogueCommand), point, 0};
    }
}

// Cancel during a failed read, or while its question is answered, ends as Abort does without
// asking (again). The time a failed read and its question take is kept apart from the records'.
PanelBackup::ReadResult PanelBackup::readBlock(const ReadAddress& address) {
    UserInterface& ui = session_.ui;
    for (;;) {
        const std::int64_t attemptUs = session_.clock.nowUs();
        lastExchangeOk_ =
            session_.exchange.read(std::uint8_t(session_.state.PanelAddress), address);
        if (lastExchangeOk_) return ReadResult::Read;
        if (ui.cancelRequested()) return ReadResult::Cancelled;
        const MessageAnswer answer =
            ui.message(QStringLiteral("Problem Retrieving Data."), caption("VTL"),
                       MessageButtons::AbortRetryIgnore, MessageIcon::Exclamation);
        stalledUs_ += session_.clock.nowUs() - attemptUs;
        if (answer == MessageAnswer::Retry) {
            if (ui.cancelRequested()) return ReadResult::Cancelled;
            continue;
        }
        if (answer == MessageAnswer::Ignore) return ReadResult::Ignored;
        showAborted(ui, verifying_);
        return ReadResult::Aborted;
    }
}

// Cancel stops as Abort does: the same message, the target left as it was, and a sub panel gets
// its bus back.
BackupOutcome PanelBackup::aborted(QIODevice& file) {
    if (family_ == PanelFamily::Sub) releaseBusIfHeld();
    discard(file);
    showAborted(session_.ui, verifying_);
    return BackupOutcome::Aborted;
}

QByteArray PanelBackup::recordsFor(int catalogueCommand, int block, const ReadAddress& address) {
    if (family_ == PanelFamily::Sub) return subRecords(catalogueCommand, block, address);
    return lanOrMainRecord(catalogueCommand, block, address);
}

QByteArray PanelBackup::lanOrMainRecord(int catalogueCommand, int block,
                                        const ReadAddress& address) const {
    SubPanelReply reply{session_.buffers.ReplyBuffer, session_.buffers.TransferLength};
    if (family_ == PanelFamily::Lan) reply.length = lanStoredLength(reply);
    const auto point = std::uint8_t(block);
    if (catalogueCommand == InterProtocolCommand)
        return subpanel::plainRecord(address.command, point, address.table, reply);
    return subpanel::plainRecord(std::uint8_t(catalogueCommand), point, 0, reply);
}

QByteArray PanelBackup::subRecords(int catalogueCommand, int block, const ReadAddress& address) {
    const SubPanelReply reply{session_.buffers.ReplyBuffer, session_.buffers.TransferLength};
    const auto point = std::uint8_t(block);
    switch (catalogueCommand) {
    case KestromCommand:
        extendedPidRecords_ = reply.at(0) != 0;
        return subpanel::plainRecord(KestromCommand, point, 0, reply);
    case 4:
        return subpanel::pidControllersRecord(point, reply, extendedPidRecords_);
    case 7:
        return subpanel::programsRecord(point, reply);
    case 8:
        return subpanel::tablesRecord(point, reply);
    case 9:
        return subpanel::runtimeLogsRecord(point, reply);
    case 16:
        return subpanel::programCodeRecord(point, reply);
    case 19:
        return subpanel::systemGroupDataRecord(point, reply);
    case CatalogueMarker::SubPanelDescriptors:
        return subpanel::descriptorsRecords(reply);
    case CatalogueMarker::CustomUnits:
        return subpanel::customUnitsRecord(reply);
    case CatalogueMarker::SubPanelExtendedDescriptors:
        return subpanel::plainRecord(std::uint8_t(SubTableCommandBase + address.table), 0, 0,
                                     reply);
    case SubPanelTypeCommand: {
        ConnectionState& state = session_.state;
        const std::uint8_t type = subpanel::storedSubPanelType(state.Table5Point);
        if (type != state.Table5Point) state.Table5Point = type;
        return subpanel::subPanelTypeRecord(type);
    }
    default:
        return subpanel::plainRecord(std::uint8_t(catalogueCommand), point, 0, reply);
    }
}

// Two trend log blocks make one record. A block left out with Ignore contributes zeros, so the
// record keeps its 44 bytes; when both blocks of a pair are left out, so is the record.
QByteArray PanelBackup::trendLogPart(int block, bool readOk, bool lastOfEntry) {
    const SubPanelReply reply{session_.buffers.ReplyBuffer, session_.buffers.TransferLength};
    trendHalves_[block % 2] = readOk ? subpanel::trendLogHalf(reply) : QByteArray();
    if (block % 2 == 0 && !lastOfEntry) return {};

    QByteArray first = trendHalves_[0];
    QByteArray second = block % 2 == 1 ? trendHalves_[1] : QByteArray();
    trendHalves_[0].clear();
    trendHalves_[1].clear();
    if (first.isEmpty() && second.isEmpty()) return {};
    const QByteArray zeros(qsizetype(subpanel::TrendHalfSize), '\0');
    return subpanel::trendLogsRecord(std::uint8_t(block / 2), first.isEmpty() ? zeros : first,
                                     second.isEmpty() ? zeros : second);
}

// A write failure keeps the target as it was and says why beneath the message. A sub panel still
// holding the bus gets it back.
BackupOutcome PanelBackup::writeFailed(QIODevice& file, bool walking) {
    if (walking && family_ == PanelFamily::Sub) releaseBusIfHeld();
    const QString why = file.errorString();
    discard(file);
    session_.ui.message(QStringLiteral("Error In Writing To The File."), caption("Error"),
                        MessageButtons::Ok, MessageIcon::None, why);
    if (walking) session_.ui.setStatus(QString());
    return BackupOutcome::WriteFailed;
}

// After a successful read the PC still holds the bus unless the exchange itself released it (as
// it does for an empty program code reply); releasing twice would confuse the controller.
void PanelBackup::releaseBusIfHeld() {
    if (lastExchangeOk_ && !session_.state.PollPending) session_.exchange.ReleaseBus();
    lastExchangeOk_ = false;
}

bool runPanelBackup(Session& session, PanelFamily family, const QString& path) {
    return PanelBackup(session, family).run(path) == BackupOutcome::Finished;
}

} // namespace vtl
