#include "panelfile/PanelRestore.h"

#include "link/CommandSet.h"
#include "panelfile/BlockRecord.h"
#include "panelfile/PanelFileQuestions.h"

#include <QFile>

#include <algorithm>

namespace vtl {
namespace {

namespace cmd = commands;

const QString Vtl = QStringLiteral("VTL");
const QString ErrorCaption = QStringLiteral("Error");
const QString ErrorReadingFile = QStringLiteral("Error Reading File.");

} // namespace

PanelRestore::PanelRestore(Session& session, PanelFamily family)
    : session_(session), family_(family) {}

void PanelRestore::status(const QString& text) {
    session_.ui.setStatus(text);
}

RestoreOutcome PanelRestore::run(const QString& path) {
    if (path.isEmpty()) return RestoreOutcome::Cancelled;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        session_.ui.message(ErrorReadingFile, ErrorCaption);
        return RestoreOutcome::FileError;
    }
    return run(file);
}

RestoreOutcome PanelRestore::run(QIODevice& file) {
    mainFile_ = false;
    lastExchangeOk_ = false;
    ethernetSent_ = false;
    PanelFileHeader header;
    if (const auto refused = checkHeader(file, header)) return *refused;
    if (const auto refused = acceptance(header)) return *refused;

    if (family_ != PanelFamily::Sub &&
        ask(session_.ui, PanelFileQuestions::ClearFirst) == MessageAnswer::Yes &&
        !clearController()) {
        session_.ui.message(QStringLiteral("Communication Error"), ErrorCaption);
        return RestoreOutcome::ClearFailed;
    }
    return sendRecords(file, header);
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

bool PanelRestore::clearController() {
    const int clears = family_ == PanelFamily::Lan ? 2 : 1;
    const int dots = family_ == PanelFamily::Lan ? 5 : 3;

    QString text = QStringLiteral("Clearing Panel .");
    status(text);
    for (int i = 0; i < clears; ++i) {
        if (!session_.exchange.write(std::uint8_t(session_.state.PanelAddress), cmd::ClearMemory))
            return false;
    }
    // Time for the controller to set up its empty memory before the first write.
    for (int i = 1; i < dots; ++i) {
        session_.clock.sleepMs(ClearPauseMs);
        text += QLatin1Char('.');
        status(text);
    }
    session_.clock.sleepMs(ClearPauseMs);
    return true;
}

RestoreOutcome PanelRestore::sendRecords(QIODevice& file, const PanelFileHeader& header) {
    RestoreContext context = RestoreContext::of(family_, header.fileClass, session_.state);
    context.mainFile = mainFile_;
    auto& buffer = session_.buffers.TransferBuffer;

    for (;;) {
        const RecordReadResult read = readBlockRecord(file, buffer);
        if (read.status == RecordStatus::EndOfFile) break;
        if (read.status == RecordStatus::ReadError) {
            releaseBusIfHeld();
            session_.ui.message(ErrorReadingFile, ErrorCaption);
            return RestoreOutcome::FileError;
        }
        if (read.status == RecordStatus::Truncated) {
            releaseBusIfHeld();
            session_.ui.message(damagedFileMessage(family_, read.header), ErrorCaption);
            status(QString());
            return RestoreOutcome::Damaged;
        }
        QByteArray data(reinterpret_cast<const char*>(buffer.data()),
                        qsizetype(read.bytesInBuffer));
        adaptRecordData(context, read.header, data);

        const RecordPlan plan = planRecord(context, read.header, data, read.sendable());
        if (plan.action == RecordAction::Unknown) {
            releaseBusIfHeld();
            session_.ui.message(unknownRecordMessage(family_), Vtl);
            return RestoreOutcome::UnknownRecord;
        }
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
    for (;;) {
        status(plan.status);
        // Every attempt sends the record's bytes afresh, whatever the last one left behind.
        lastExchangeOk_ =
            session_.exchange.write(std::uint8_t(session_.state.PanelAddress), plan.write, bytes);
        if (lastExchangeOk_) return SendResult::Sent;

        switch (session_.ui.message(QStringLiteral("Problem Sending Data."), Vtl,
                                    MessageButtons::AbortRetryIgnore, MessageIcon::Exclamation)) {
        case MessageAnswer::Retry:
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
