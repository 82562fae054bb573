#include "panels/SubPanelOperations.h"

#include "history/KeepSnapshot.h"
#include "link/CommandSet.h"
#include "link/ListenForBaud.h"
#include "link/Session.h"
#include "panels/OperationQuestions.h"
#include "panels/SubPanelReads.h"
#include "panels/SubPanelSettings.h"

namespace vtl {

namespace C = commands;

namespace {

const QString Vtl = QStringLiteral("VTL");

// The next rate Load tries when the controller does not answer.
std::int32_t steppedBaudRate(std::int32_t rate) {
    switch (rate) {
    case 19200:
        return 9600;
    case 38400:
        return 19200;
    case 9600:
        return 38400;
    default:
        return rate;
    }
}

} // namespace

SubPanelMemory& SubPanelMemory::instance() {
    static SubPanelMemory memory;
    return memory;
}

SubPanelOperations::SubPanelOperations(Session& session, SubPanelMemory& memory)
    : s_(session), memory_(memory) {}

void SubPanelOperations::showValues(SubPanelView& view) const {
    view.addressText = QString::number(s_.state.PanelAddress);
    view.lastPanel = s_.state.IdentFlag5 != 0;
    view.baudText = QString::number(s_.state.PanelLineBaud);
}

bool SubPanelOperations::open(SubPanelView& view) {
    showValues(view);
    view.modbusShown = s_.state.StatusIsC1 != 0;
    return readCompatibility(view, true);
}

bool SubPanelOperations::readCompatibility(SubPanelView& view, bool atOpening) {
    view.kestromShown = isKestromCompatible(s_.state);
    if (!view.kestromShown) return true;
    const auto flag = readSubPanelCompatibility(s_, atOpening ? CompatibilityRelease::AfterRead
                                                              : CompatibilityRelease::ByExchange);
    // A read given up leaves the flag unknown rather than showing bytes of a failed exchange.
    view.kestromCompatible = flag;
    return flag.has_value();
}

bool SubPanelOperations::identifyWithBaudSearch() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) s_.state.BaudRate = steppedBaudRate(s_.state.BaudRate);
        s_.state.ReleasePending = 1;
        if (s_.exchange.read(C::SubLanBroadcast, C::Identification)) return true;
    }
    return false;
}

void SubPanelOperations::readStatus() {
    for (;;) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            s_.state.StatusFlag6 = 0;
            s_.state.ReleasePending = 1;
            if (s_.exchange.read(std::uint8_t(s_.state.PanelAddress), C::Status)) return;
        }
        if (!askRetry(s_, QStringLiteral("Problem Retrieving Panel Information."))) return;
    }
}

bool SubPanelOperations::load(SubPanelView& view) {
    if (!identifyWithBaudSearch()) {
        s_.ui.message(QStringLiteral("Communication Error."), ErrorCaption, MessageButtons::Ok,
                      MessageIcon::Exclamation);
        return false;
    }
    showValues(view);
    readStatus();
    // "ModBus Setup" keeps whatever the opening decided.
    readCompatibility(view, false);
    return true;
}

bool SubPanelOperations::disconnectedFromNetwork() {
    switch (ListenForBaud(s_)) {
    case ListenResult::OneController:
        return true;
    case ListenResult::SeveralStations:
        s_.ui.message(
            QStringLiteral("Controller Does Not Appear To Be Disconnected From The Network!"),
            ErrorCaption, MessageButtons::Ok, MessageIcon::Stop);
        return false;
    case ListenResult::NothingUsable:
        s_.ui.message(QStringLiteral("Communication Error."), Vtl, MessageButtons::Ok,
                      MessageIcon::Stop);
        return false;
    }
    return false;
}

bool SubPanelOperations::writeCompatibility(bool set) {
    const std::uint8_t flag = set ? 1 : 0;
    for (;;) {
        s_.state.ReleasePending = 1;
        if (s_.exchange.write(std::uint8_t(s_.state.PanelAddress), C::CompatibilityFlag,
                              std::span(&flag, 1)))
            return true;
        // Cancel still sends the address and baud.
        if (!askRetry(s_, QStringLiteral("Problem Sending Panel Setting."))) return false;
    }
}

bool SubPanelOperations::canSend(const SubPanelView& view) {
    return !view.kestromShown || view.kestromCompatible.has_value();
}

bool SubPanelOperations::send(const SubPanelView& view) {
    compatibilityWritten_ = false;
    if (!canSend(view) || !disconnectedFromNetwork()) return false;
    const std::uint8_t baudCode =
        subLineBaudCodeForText(view.baudText).value_or(memory_.LastBaudCode);
    memory_.LastBaudCode = baudCode;
    const std::uint8_t address = clampSubPanelAddress(view.addressText);
    Clock& clock = s_.clock;
    ConnectionState& state = s_.state;
    if (!keepSnapshot(s_, {WriteOperation::Settings,
                           {C::Identification, C::CompatibilityFlag, C::Status, C::CustomUnits,
                            C::SubPanelDescriptors},
                           address,
                           {}}))
        return false;

    // The controller acknowledges these, but nothing depends on it.
    state.ReleasePending = 1;
    s_.exchange.write(C::SubLanBroadcast, C::Status, FixedWrite1Data);
    clock.sleepMs(WritePauseMs);
    state.ReleasePending = 1;
    s_.exchange.write(std::uint8_t(state.PanelAddress), C::CustomUnits, FixedWrite2Data);
    clock.sleepMs(WritePauseMs);
    state.ReleasePending = 1;
    s_.exchange.write(C::SubLanBroadcast, C::SubPanelDescriptors, FixedWrite3Data);

    if (isKestromCompatible(state)) {
        clock.sleepMs(WritePauseMs);
        compatibilityWritten_ = writeCompatibility(view.kestromCompatible.value_or(false));
    }

    clock.sleepMs(WritePauseMs);
    state.ReleasePending = 1;
    const std::uint8_t settings = subPanelSettingsByte(baudCode, view.lastPanel);
    if (!s_.exchange.write(C::SubLanBroadcast, C::identificationWrite(address, settings))) {
        s_.ui.message(QStringLiteral("Communication Error"), ErrorCaption, MessageButtons::Ok,
                      MessageIcon::Exclamation);
        return false;
    }
    s_.ui.message(QStringLiteral("Configuration Sent"), Vtl);
    // The controller moved when it got the bus back; follow it.
    state.LinkMode = LinkModeSubLan;
    state.PanelAddress = address;
    state.BaudRate = subLineBaudRate(baudCode);
    return true;
}

bool SubPanelOperations::clear() {
    const auto answer = ask(s_.ui, ClearQuestion);
    if (answer != MessageAnswer::Ok) return false;
    if (!disconnectedFromNetwork() || !keepSnapshot(s_, {WriteOperation::Clear, {}, {}, {}}))
        return false;
    // The bus stays with us for the write that follows.
    s_.state.ReleasePending = 0;
    if (!s_.exchange.write(C::SubLanBroadcast, C::ClearMemory)) {
        s_.ui.message(QStringLiteral("Communication Error"), ErrorCaption, MessageButtons::Ok,
                      MessageIcon::Exclamation);
        return false;
    }
    s_.clock.sleepMs(WritePauseMs);
    s_.state.ReleasePending = 1;
    s_.exchange.write(C::SubLanBroadcast, C::SubPanelDescriptors, FixedWrite3Data);
    return true;
}

} // namespace vtl
