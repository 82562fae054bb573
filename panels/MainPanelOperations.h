#pragma once

#include "link/Question.h"

#include "history/KeepSnapshot.h"
#include "link/CommandSet.h"
#include "panels/MainPanelMemory.h"
#include "panels/MainPanelSettings.h"
#include "panels/MainPanelView.h"
#include "panels/PanelExchange.h"

namespace vtl {

struct ConnectionState;
struct Session;
struct TransferBuffers;
class Clock;
class UserInterface;

// What the main panel window does with the controller: read and show its settings, send them,
// clear it. Works on the window's control texts (MainPanelView) and the remembered copies.
class MainPanelOperations {
public:
    static constexpr Question ClearQuestion{
        "This Will Completely Clear The Controller.\n\nProceed?", "WARNING!",
        MessageButtons::OkCancel, MessageIcon::Question};
    // Time Send leaves the controller between the modem string and the settings.
    static constexpr int SettleMs = 2000;

    MainPanelOperations(ConnectionState& state, TransferBuffers& buffers, Clock& clock,
                        UserInterface& ui, PanelExchange exchange, SnapshotKeeper keepSnapshot,
                        MainPanelMemory& memory = MainPanelMemory::instance());
    explicit MainPanelOperations(Session& session,
                                 MainPanelMemory& memory = MainPanelMemory::instance());

    // The window opens: the firmware line, then Load. The remembered modem string is another
    // window's until this one reads or is given one.
    void open(MainPanelView& view);
    // Reads the settings and the modem string and shows them; false if the settings read failed.
    bool load(MainPanelView& view);
    // Send is offered once this window has read the settings: the remembered copies would
    // otherwise go out as this controller's.
    bool canSend() const { return settingsRead_; }
    // Checks the cards, writes the modem string (only one read from this controller or entered)
    // and the settings and follows the controller to its new address and rate; false if nothing
    // or not everything was written.
    bool send(const MainPanelView& view);
    // Asks, then wipes the controller; false if cancelled or failed.
    bool clear();
    // Puts a snapshot's settings block and modem string (when it holds one) where a read would
    // have put them and shows them, so that Send writes them back; false for a short block.
    bool takeBack(const QByteArray& settings, const std::optional<QByteArray>& modemString,
                  MainPanelView& view);

    MainPanelMemory& memory() const { return memory_; }
    UserInterface& ui() const { return ui_; }
    Clock& clock() const { return clock_; }

    static QString firmwareLine(std::uint32_t panelTypeCode);

private:
    // Reads go to whichever controller is at the end of the cable; writes to PanelAddress.
    bool read(commands::RecordAddress record);
    bool write(commands::RecordAddress record, std::uint32_t length);
    void takeSettings(const MainPanelView& view);
    void takeSettingsBlock(std::span<const std::uint8_t, MainPanelSettings::Size> block,
                           MainPanelView& view);
    void takeModemString(std::span<const std::uint8_t> received);

    ConnectionState& state_;
    TransferBuffers& buffers_;
    Clock& clock_;
    UserInterface& ui_;
    PanelExchange exchange_;
    SnapshotKeeper keepSnapshot_;
    MainPanelMemory& memory_;
    bool settingsRead_ = false;
};

} // namespace vtl
