#include "lan/LanControllerOperations.h"

#include "history/KeepSnapshot.h"
#include "lan/LanRates.h"
#include "link/Session.h"
#include "panels/MainPanelOperations.h"

#include <algorithm>

namespace vtl {

namespace C = commands;

namespace {
const QString ErrorCaption = QStringLiteral("Error");
// Send reports with its own caption, which ends in a blank.
const QString SendErrorCaption = QStringLiteral("Error ");
} // namespace

LanControllerOperations::LanControllerOperations(Session& session) : session_(session) {}

LanForm LanControllerOperations::formOf(const ConnectionState& state) {
    if (!state.IsBrinlet) return LanForm::Lan;
    return state.IsCode602 ? LanForm::ModeParity : LanForm::Brinlet;
}

void LanControllerOperations::applyForm(LanControllerView& view) const {
    view.form = formOf(session_.state);
    if (view.form != LanForm::ModeParity) return;
    view.subLanB = ModeRzq;
    view.mainNetwork = QStringLiteral("N-8-1");
}

void LanControllerOperations::communicationError(const QString& caption,
                                                 const QString& detail) const {
    session_.ui.message(QStringLiteral("Communication Error"), caption, MessageButtons::Ok,
                        MessageIcon::None, detail);
}

bool LanControllerOperations::load(LanControllerView& view) {
    const LanControllerView before = view;
    applyForm(view);
    auto& buffers = session_.buffers;
    // A reply shorter than the block would leave the rest to whatever an earlier exchange left.
    const bool answered = session_.exchange.read(C::DirectPanel, C::Status);
    const std::uint32_t received = buffers.TransferLength;
    const bool read = answered && received >= LanSettingsSize;
    if (!read)
        communicationError(ErrorCaption, answered
                                             ? QStringLiteral("a reply of %1 bytes, %2 expected")
                                                   .arg(received)
                                                   .arg(LanSettingsSize)
                                             : session_.exchange.lastFailure().describe());
    view.firmwareLine = MainPanelOperations::firmwareLine(session_.state.PanelTypeCode);
    if (!read) {
        if (lastRead_) {
            const QString firmware = view.firmwareLine;
            view = before;
            view.firmwareLine = firmware;
        }
        return false;
    }
    LanSettingsBlock block;
    std::copy_n(buffers.ReplyBuffer.begin(), LanSettingsSize, block.begin());
    lastRead_ = block;
    showLanSettings(block, view);
    session_.state.PanelAddress = lanAddressOf(view.addressText);
    if (session_.state.Privileged && received == LanResultReplySize)
        view.status = resultLine(buffers.ReplyBuffer);
    return true;
}

void LanControllerOperations::takeBack(const LanSettingsBlock& block, LanControllerView& view) {
    applyForm(view);
    lastRead_ = block;
    showLanSettings(block, view);
}

bool LanControllerOperations::send(const LanControllerView& view) {
    if (!lastRead_) return false;
    const auto toSend = lanSettingsToSend(view, *lastRead_);
    if (!toSend) {
        session_.ui.message(SmtpRefusal, QStringLiteral("VTL"), MessageButtons::Ok,
                            MessageIcon::Stop);
        return false;
    }
    const LanSettingsBlock& block = *toSend;
    auto& state = session_.state;
    if (!keepSnapshot(session_,
                      {WriteOperation::Settings, {C::Status}, block[LanOffset::Address], {}}))
        return false;
    if (!session_.exchange.write(std::uint8_t(state.PanelAddress), C::Status, block)) {
        communicationError(SendErrorCaption, session_.exchange.lastFailure().describe());
        return false;
    }
    session_.ui.message(QStringLiteral("Configuration Sent"), QStringLiteral("VTL"));
    lastSent_ = block;
    state.PanelAddress = block[LanOffset::Address];
    // The PC is taken to be on Computer A.
    if (const auto rate = lanLineRate(block[LanOffset::ComputerA])) state.BaudRate = rate;
    return true;
}

bool LanControllerOperations::clear() {
    const auto answer = ask(session_.ui, ClearQuestion);
    if (answer != MessageAnswer::Ok) return false;
    if (!keepSnapshot(session_, {WriteOperation::Clear, {}, {}, {}})) return false;
    const auto panel = std::uint8_t(session_.state.PanelAddress);
    // The controller wants the clear twice; the second goes only after the first was taken.
    if (!session_.exchange.write(panel, C::ClearMemory) ||
        !session_.exchange.write(panel, C::ClearMemory)) {
        communicationError(ErrorCaption, session_.exchange.lastFailure().describe());
        return false;
    }
    return true;
}

} // namespace vtl
