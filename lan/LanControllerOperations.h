#pragma once

#include "link/Question.h"

#include "lan/LanControllerSettings.h"
#include "lan/LanControllerView.h"

#include <optional>

namespace vtl {

struct ConnectionState;
struct Session;

// What the LAN controller window does with the controller: read and show its settings block, send
// it back edited, clear the controller. Works on the window's control texts (LanControllerView).
class LanControllerOperations {
public:
    static constexpr Question ClearQuestion{
        "This Will Completely Clear The Controller.\n\nProceed?", "WARNING!",
        MessageButtons::OkCancel, MessageIcon::Question};
    // Send refuses an SMTP address that is not four octets of 0 to 255 rather than guess one.
    static inline const QString SmtpRefusal =
        QStringLiteral("Invalid SMTP IP Address. Configuration NOT Sent.");

    explicit LanControllerOperations(Session& session);

    static LanForm formOf(const ConnectionState& state);
    // The form's captions on the Mode and Parity buttons; the first step of every initialisation.
    void applyForm(LanControllerView& view) const;

    // Opening and Load: applies the form, reads the block and shows it. After a failed read the
    // controls keep what the last good read showed. False when the read failed.
    bool load(LanControllerView& view);
    // Send is offered only once this window has read its controller: a window that never did
    // would overwrite the controller with the controls' first texts.
    bool canSend() const { return lastRead_.has_value(); }
    // Writes the block and follows the controller to the address and Computer A rate sent; false,
    // writing nothing, while the window has read nothing or when the SMTP address is no address.
    bool send(const LanControllerView& view);
    // Makes a snapshot's block the one Send writes over and shows it, so that Send writes it back.
    void takeBack(const LanSettingsBlock& block, LanControllerView& view);
    // Asks, then wipes the controller (two clears); false if cancelled or failed.
    bool clear();

    // The block of the last good read, and of the last successful send.
    const std::optional<LanSettingsBlock>& lastRead() const { return lastRead_; }
    const std::optional<LanSettingsBlock>& lastSent() const { return lastSent_; }
    Session& session() const { return session_; }

private:
    void communicationError(const QString& caption, const QString& detail) const;

    Session& session_;
    std::optional<LanSettingsBlock> lastRead_;
    std::optional<LanSettingsBlock> lastSent_;
};

} // namespace vtl
