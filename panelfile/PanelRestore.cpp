#include "panelfile/PanelRestore.h"

#include "history/KeepSnapshot.h"
#include "link/CommandSet.h"
#include "panelfile/BackUpFirst.h"
#include "panelfile/PanelFileQuestions.h"

#include <QFile>

namespace vtl {
namespace {

namespace cmd = commands;

const QString Vtl = QStringLiteral("VTL");
const QString ErrorCaption = QStringLiteral("Error");
const QString ErrorReadingFile = QStringLiteral("Error Reading File.");
const QString InvalidPanelFile = QStringLiteral("Invalid Panel File.");

// Why a file that reads as a panel file up to its records is refused, beneath the message.
QString damageDetail(PanelFamily family, const RecordsReadResult& read) {
    switch (read.status) {
    case RecordsStatus::CutShort:
        return QStringLiteral("%1 is cut short: the file holds %2 of its %3 bytes.")
            .arg(recordName(family, read.cutShort))
            .arg(read.bytesHeld)
            .arg(read.cutShort.length);
    case RecordsStatus::BytesAfterLastRecord:
        return QStringLiteral("%1 bytes after the last record are not a record.")
            .arg(read.bytesHeld);
    case RecordsStatus::TooLarge:
        return QStringLiteral(
                   "The records take more than %1 bytes, more than any controller holds.")
            .arg(MaxPanelFileRecordBytes);
    case RecordsStatus::Ok:
    case RecordsStatus::ReadError:
        break;
    }
    return {};
}

} // namespace

PanelRestore::PanelRestore(Session& session, PanelFamily family)
    : session_(session), family_(family) {}

void PanelRestore::status(const QString& text) {
    session_.ui.setStatus(text);
}

void PanelRestore::reportProgress(int done, int total) {
    session_.ui.setProgress(
        {done, total, effectiveBaudRate(session_.state), ProgressUnit::Records, stalledUs_ / 1000});
}

// Cancel at a record boundary ends as Abort does: nothing more is sent and a sub panel gets its
// bus back.
bool PanelRestore::cancelled() {
    if (!session_.ui.cancelRequested()) return false;
    releaseBusIfHeld();
    session_.ui.setProgress({});
    session_.ui.message(QStringLiteral("Panel File Send Aborted."), Vtl);
    status(QString());
    return true;
}

RestoreOutcome PanelRestore::run(const QString& path) {
    if (path.isEmpty()) return RestoreOutcome::Cancelled;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        session_.ui.message(ErrorReadingFile, ErrorCaption, MessageButtons::Ok, MessageIcon::None,
                            file.errorString());
        return RestoreOutcome::FileError;
    }
    return run(file);
}

// Everything that can refuse the file comes before the question about clearing the controller, so
// that a refused file leaves the controller exactly as it was.
RestoreOutcome PanelRestore::run(QIODevice& file) {
    stalledUs_ = 0;
    mainFile_ = false;
    lastExchangeOk_ = false;
    ethernetSent_ = false;
    PanelFileHeader header;
    QList<PanelFileRecord> records;
    if (const auto refused = checkHeader(file, header)) return *refused;
    if (const auto refused = readRecords(file, records)) return *refused;
    if (const auto refused = acceptance(header)) return *refused;
    RestoreContext context = RestoreContext::of(family_, header.fileClass, session_.state);
    context.mainFile = mainFile_;
    if (const auto refused = checkRecordsKnown(context, records)) return *refused;
    if (const auto failed = backUpFirst()) return *failed;
    if (!keepSnapshot(session_, {WriteOperation::Restore, {}, {}, backup_}))
        return RestoreOutcome::NotKept;

    if (family_ != PanelFamily::Sub &&
        ask(session_.ui, PanelFileQuestions::ClearFirst) == MessageAnswer::Yes) {
        const ClearResult cleared = clearController();
        session_.ui.setProgress({});
        if (cleared == ClearResult::Cancelled) return RestoreOutcome::Aborted;
        if (cleared == ClearResult::Failed) {
            session_.ui.message(QStringLiteral("Communication Error"), ErrorCaption);
            return RestoreOutcome::ClearFailed;
        }
    }
    const RestoreOutcome outcome = sendRecords(context, records);
    session_.ui.setProgress({});
    return outcome;
}

std::optional<RestoreOutcome> PanelRestore::backUpFirst() {
    backup_.clear();
    if (backUpFolder_.isEmpty()) return std::nullopt;
    QString why;
    backup_ = vtl::backUpFirst(session_, family_, backUpFolder_, &why);
    if (!backup_.isEmpty()) return std::nullopt;
    session_.ui.message(BackUpFailedText, Vtl, MessageButtons::Ok, MessageIcon::Stop, why);
    return RestoreOutcome::BackupFailed;
}

std::optional<RestoreOutcome> PanelRestore::checkHeader(QIODevice& file, PanelFileHeader& header) {
    const HeaderReadResult read = readHeader(file, family_);
    if (!read.ok()) {
        session_.ui.message(read.message(), HeaderReadResult::title());
        return read.status == HeaderStatus::ReadError ? RestoreOutcome::FileError
                                                      : RestoreOutcome::InvalidFile;
    }
    header = read.header;
    return std::nullopt;
}

std::optional<RestoreOutcome> PanelRestore::readRecords(QIODevice& file,
                                                        QList<PanelFileRecord>& records) {
    RecordsReadResult read = readPanelFileRecords(file);
    if (read.status == RecordsStatus::ReadError) {
        session_.ui.message(ErrorReadingFile, ErrorCaption, MessageButtons::Ok, MessageIcon::None,
                            file.errorString());
        return RestoreOutcome::FileError;
    }
    if (!read.ok()) {
        session_.ui.message(InvalidPanelFile, ErrorCaption, MessageButtons::Ok, MessageIcon::None,
                            damageDetail(family_, read));
        return RestoreOutcome::Damaged;
    }
    records = std::move(read.records);
    return std::nullopt;
}

std::optional<RestoreOutcome> PanelRestore::acceptance(const PanelFileHeader& header) {
    switch (acceptFile(family_, header.fileClass, subFamilyBase(session_.state))) {
    case Acceptance::Accepted:
        break;
    case Acceptance::Refused:
        session_.ui.message(wrongFamilyMessage(header.fileClass, family_), Vtl);
        return RestoreOutcome::WrongFamily;
    case Acceptance::AskMainOnLan:
        if (ask(session_.ui, PanelFileQuestions::SendMainFileAnyway) != MessageAnswer::Yes)
            return RestoreOutcome::WrongFamily;
        mainFile_ = true;
        break;
    }

    if (!header.anyAddressAllowed() &&
        std::uint32_t(header.address()) != session_.state.PanelAddress) {
        session_.ui.message(wrongAddressMessage(family_, header.address()), Vtl, MessageButtons::Ok,
                            family_ == PanelFamily::Sub ? MessageIcon::None : MessageIcon::Stop);
        return RestoreOutcome::WrongAddress;
    }
    return std::nullopt;
}

// A record the controller has no place for would stop the restore halfway: it is refused before
// the first write, with the message that stopped it there.
std::optional<RestoreOutcome>
PanelRestore::checkRecordsKnown(const RestoreContext& context,
                                const QList<PanelFileRecord>& records) {
    for (qsizetype i = 0; i < records.size(); ++i) {
        const PanelFileRecord& record = records[i];
        if (planRecord(context, record.header, record.data, record.sendable).action !=
            RecordAction::Unknown)
            continue;
        const BlockRecordHeader& h = record.header;
        session_.ui.message(unknownRecordMessage(family_), Vtl, MessageButtons::Ok,
                            MessageIcon::None,
                            QStringLiteral("Record %1 of the file: command %2, point %3, table %4.")
                                .arg(i + 1)
                                .arg(h.command)
                                .arg(h.point)
                                .arg(h.table));
        return RestoreOutcome::UnknownRecord;
    }
    return std::nullopt;
}

// Progress counts the clear writes and the pauses after them, one step each.
PanelRestore::ClearResult PanelRestore::clearController() {
    const int clears = family_ == PanelFamily::Lan ? 2 : 1;
    const int dots = family_ == PanelFamily::Lan ? 5 : 3;
    const int steps = clears + dots;

    QString text = QStringLiteral("Clearing Panel .");
    status(text);
    for (int i = 0; i < clears; ++i) {
        reportProgress(i, steps);
        if (cancelled()) return ClearResult::Cancelled;
        if (!session_.exchange.write(std::uint8_t(session_.state.PanelAddress), cmd::ClearMemory))
            return cancelled() ? ClearResult::Cancelled : ClearResult::Failed;
    }
    // Time for the controller to set up its empty memory before the first write.
    for (int i = 1; i < dots; ++i) {
        reportProgress(clears + i - 1, steps);
        if (cancelled()) return ClearResult::Cancelled;
        session_.clock.sleepMs(ClearPauseMs);
        text += QLatin1Char('.');
        status(text);
    }
    reportProgress(steps - 1, steps);
    if (cancelled()) return ClearResult::Cancelled;
    session_.clock.sleepMs(ClearPauseMs);
    return ClearResult::Cleared;
}

RestoreOutcome PanelRestore::sendRecords(const RestoreContext& context,
                                         const QList<PanelFileRecord>& records) {
    const int total = int(records.size());
    for (int done = 0;; ++done) {
        reportProgress(done, total);
        if (cancelled()) return RestoreOutcome::Aborted;
        if (done == total) break;
        const PanelFileRecord& record = records[done];
        QByteArray data = record.data;
        adaptRecordData(context, record.header, data);

        const RecordPlan plan = planRecord(context, record.header, data, record.sendable);
        if (plan.askEthernet) {
            if (ask(session_.ui, PanelFileQuestions::SendEthernet) != MessageAnswer::Yes) continue;
            ethernetSent_ = true;
        }

        if (plan.action == RecordAction::Send) {
            if (send(plan, data) == SendResult::Aborted) {
                session_.ui.message(QStringLiteral("Panel File Send Aborted."), Vtl);
                status(QString());
                return RestoreOutcome::Aborted;
            }
        } else if (!plan.status.isEmpty()) {
            status(plan.status);
        }
        if (plan.pauseAfter) session_.clock.sleepMs(SubProgramCodePauseMs);
    }

    releaseBusIfHeld();
    status(QStringLiteral("Finished Sending Panel File."));
    return RestoreOutcome::Finished;
}

PanelRestore::SendResult PanelRestore::send(const RecordPlan& plan, const QByteArray& data) {
    const std::span<const std::uint8_t> bytes(
        reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size()));
    UserInterface& ui = session_.ui;
    for (;;) {
        status(plan.status);
        const std::int64_t attemptUs = session_.clock.nowUs();
        // Every attempt sends the record's bytes afresh, whatever the last one left behind.
        lastExchangeOk_ =
            session_.exchange.write(std::uint8_t(session_.state.PanelAddress), plan.write, bytes);
        if (lastExchangeOk_) return SendResult::Sent;
        // Cancel during a failed write, or while its question is answered, ends as Abort does.
        if (ui.cancelRequested()) return SendResult::Aborted;

        const MessageAnswer answer =
            ui.message(QStringLiteral("Problem Sending Data."), Vtl,
                       MessageButtons::AbortRetryIgnore, MessageIcon::Exclamation);
        stalledUs_ += session_.clock.nowUs() - attemptUs;
        switch (answer) {
        case MessageAnswer::Retry:
            if (ui.cancelRequested()) return SendResult::Aborted;
            continue;
        case MessageAnswer::Ignore:
            return SendResult::Ignored;
        default:
            return SendResult::Aborted;
        }
    }
}

// A sub panel keeps the bus for the PC after a successful exchange until it is handed back.
void PanelRestore::releaseBusIfHeld() {
    if (family_ != PanelFamily::Sub || !lastExchangeOk_) return;
    session_.exchange.ReleaseBus();
    lastExchangeOk_ = false;
}

bool runPanelRestore(Session& session, PanelFamily family, const QString& path) {
    return PanelRestore(session, family).run(path) == RestoreOutcome::Finished;
}

} // namespace vtl
