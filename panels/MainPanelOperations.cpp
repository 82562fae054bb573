#include "panels/MainPanelOperations.h"

#include "link/Clock.h"
#include "link/CommandSet.h"
#include "link/ConnectionState.h"
#include "link/Session.h"
#include "link/TransferBuffers.h"
#include "link/UserInterface.h"
#include "panels/OperationQuestions.h"

#include <algorithm>

namespace vtl {

namespace C = commands;
namespace O = MainPanelOffset;

namespace {

const QString CommunicationError = QStringLiteral("Communication Error");
// Send reports with its own caption, which ends in a blank.
const QString SendErrorCaption = QStringLiteral("Error ");

// The fields as the window shows the settings held. A rate or role code that is none of the
// button's values shows "????" and goes back as read: a caption left from before would send a
// value the controller never had.
void showSettings(const MainPanelSettings& s, MainPanelView& view) {
    view.addressText = QString::number(s.PanelAddress);
    view.lastPanel = s.LastPanel == 1;
    view.inCards = s.InCards <= MaxCards ? s.InCards : -1;
    view.outCards = s.OutCards <= MaxCards ? s.OutCards : -1;
    for (int i = 0; i < MainPortCount; ++i)
        view.baudTexts[std::size_t(i)] =
            baudTextForCode(MainPort(i), s.PortBaudCodes[std::size_t(i)]).value_or(UnknownCodeText);
    const auto roles = portRoleTexts(s.PortRoles);
    view.portDRole = roles ? roles->portD : UnknownCodeText;
    view.portERole = roles ? roles->portE : UnknownCodeText;
}

} // namespace

MainPanelOperations::MainPanelOperations(ConnectionState& state, TransferBuffers& buffers,
                                         Clock& clock, UserInterface& ui, PanelExchange exchange,
                                         SnapshotKeeper keepSnapshot, MainPanelMemory& memory)
    : state_(state), buffers_(buffers), clock_(clock), ui_(ui), exchange_(std::move(exchange)),
      keepSnapshot_(std::move(keepSnapshot)), memory_(memory) {}

MainPanelOperations::MainPanelOperations(Session& session, MainPanelMemory& memory)
    : MainPanelOperations(session.state, session.buffers, session.clock, session.ui,
                          panelExchangeOf(session.exchange), snapshotKeeperOf(session), memory) {}

QString MainPanelOperations::firmwareLine(std::uint32_t panelTypeCode) {
    return QStringLiteral("Firmware version : %1.%2")
        .arg(panelTypeCode / 100)
        .arg(panelTypeCode % 100, 2, 10, QLatin1Char('0'));
}

bool MainPanelOperations::read(C::RecordAddress record) {
    buffers_.TransferLength = 0;
    return exchange_(C::DirectPanel, C::LocalNetwork, record.command, record.point, record.table);
}

bool MainPanelOperations::write(C::RecordAddress record, std::uint32_t length) {
    buffers_.TransferLength = length;
    return exchange_(std::uint8_t(state_.PanelAddress), C::LocalNetwork, record.command,
                     record.point, record.table);
}

void MainPanelOperations::open(MainPanelView& view) {
    view.firmwareLine = firmwareLine(state_.PanelTypeCode);
    memory_.ModemStringKnown = false;
    load(view);
}

bool MainPanelOperations::load(MainPanelView& view) {
    // A short reply would leave the rest of the block to whatever an earlier reply left behind.
    if (!read(C::MainPanelSettings) || buffers_.TransferLength < C::MainPanelSettingsSize) {
        ui_.message(CommunicationError, ErrorCaption);
        return false;
    }
    takeSettingsBlock(std::span<const std::uint8_t, MainPanelSettings::Size>(
                          buffers_.ReplyBuffer.data(), MainPanelSettings::Size),
                      view);
    state_.PanelAddress = memory_.Settings[O::PanelAddress];

    if (!read(C::ModemString)) {
        ui_.message(CommunicationError, ErrorCaption);
        return true;
    }
    takeModemString({buffers_.ReplyBuffer.data(), buffers_.TransferLength});
    return true;
}

void MainPanelOperations::takeSettingsBlock(
    std::span<const std::uint8_t, MainPanelSettings::Size> block, MainPanelView& view) {
    const auto settings = MainPanelSettings::decode(block);
    const auto encoded = settings.encode();
    std::copy_n(encoded.begin(), MainPanelMemory::SettingsSize, memory_.Settings.begin());
    settingsRead_ = true;
    std::copy(settings.McQuayPassword.begin(), settings.McQuayPassword.end(),
              memory_.PasswordField.begin());
    memory_.PasswordField.back() = 0;
    showSettings(settings, view);
}

void MainPanelOperations::takeModemString(std::span<const std::uint8_t> received) {
    // Only what the reply brought; a shorter string is padded with zero bytes as it would be sent.
    const auto length = std::min<std::size_t>(received.size(), C::ModemStringSize);
    auto end = std::copy_n(received.begin(), length, memory_.ModemStringField.begin());
    std::fill(end, memory_.ModemStringField.end(), std::uint8_t(0));
    memory_.ModemStringKnown = true;
}

bool MainPanelOperations::takeBack(const QByteArray& settings,
                                   const std::optional<QByteArray>& modemString,
                                   MainPanelView& view) {
    if (std::size_t(settings.size()) < MainPanelSettings::Size) return false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(settings.constData());
    takeSettingsBlock(
        std::span<const std::uint8_t, MainPanelSettings::Size>(bytes, MainPanelSettings::Size),
        view);
    if (modemString)
        takeModemString({reinterpret_cast<const std::uint8_t*>(modemString->constData()),
                         std::size_t(modemString->size())});
    return true;
}

void MainPanelOperations::takeSettings(const MainPanelView& view) {
    auto& held = memory_.Settings;
    held[O::InCards] = std::uint8_t(view.inCards);
    held[O::OutCards] = std::uint8_t(view.outCards);
    for (int i = 0; i < MainPortCount; ++i) {
        if (const auto code = baudCodeForText(MainPort(i), view.baudTexts[std::size_t(i)]))
            held[std::size_t(O::FirstBaud) + std::size_t(i)] = *code;
    }
    held[O::LastPanel] = view.lastPanel ? 1 : 0;
    held[O::PanelAddress] = clampPanelAddress(view.addressText);
    if (const auto roles = portRolesValue(view.portDRole, view.portERole))
        held[O::PortRoles] = *roles;
}

bool MainPanelOperations::send(const MainPanelView& view) {
    if (!settingsRead_) return false;
    if (!cardsFit(view.inCards, view.outCards)) {
        ui_.message(QStringLiteral("The total number of I/O cards may not exceed 8."),
                    QStringLiteral("Configuration Error"), MessageButtons::Ok, MessageIcon::Stop);
        return false;
    }
    takeSettings(view);
    if (!keepSnapshot_({WriteOperation::Settings,
                        {C::MainPanelSettings, C::ModemString},
                        memory_.Settings[O::PanelAddress],
                        {}}))
        return false;

    // A string never read from this controller nor entered stays the controller's own.
    if (memory_.ModemStringKnown) {
        std::copy_n(memory_.ModemStringField.begin(), MainPanelMemory::ModemStringSize,
                    buffers_.TransferBuffer.begin());
        if (!write(C::writeOf(C::ModemString), C::ModemStringSize)) {
            ui_.message(CommunicationError, SendErrorCaption);
            return false;
        }
    }

    auto out = std::copy(memory_.Settings.begin(), memory_.Settings.end(),
                         buffers_.TransferBuffer.begin());
    std::copy_n(memory_.PasswordField.begin(), MainPanelSettings::PasswordSize, out);
    clock_.sleepMs(SettleMs);
    // Still the old address: the controller moves to the new one only once it has this block.
    const bool sent = write(C::writeOf(C::MainPanelSettings), C::MainPanelSettingsSize);
    if (sent)
        ui_.message(QStringLiteral("Configuration Sent"), QStringLiteral("VTL"));
    else
        ui_.message(CommunicationError, SendErrorCaption);

    state_.PanelAddress = memory_.Settings[O::PanelAddress];
    state_.BaudRate = baudRateOfCode(memory_.Settings[O::FirstBaud]);
    return sent;
}

bool MainPanelOperations::clear() {
    const auto answer = ask(ui_, ClearQuestion);
    if (answer != MessageAnswer::Ok) return false;
    if (!keepSnapshot_({WriteOperation::Clear, {}, {}, {}})) return false;
    if (!write(C::ClearMemory, 0)) {
        ui_.message(CommunicationError, ErrorCaption);
        return false;
    }
    return true;
}

} // namespace vtl
