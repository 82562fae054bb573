#pragma once

#include "link/Question.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace vtl {

struct Session;

// The texts and states of the sub panel window's controls; the window's only state.
struct SubPanelView {
    QString addressText;
    QString baudText = QStringLiteral("38400");
    bool lastPanel = false;
    bool kestromShown = false;
    // Not known while its read was given up: the box then shows neither state.
    std::optional<bool> kestromCompatible = false;
    bool modbusShown = false;

    bool operator==(const SubPanelView&) const = default;
};

// What the program remembers between Sends: the baud code of the last one, used when the baud
// button holds a text that is no rate. 0 at start.
struct SubPanelMemory {
    std::uint8_t LastBaudCode = 0;
    static SubPanelMemory& instance();
};

// What the sub panel window does with the controller: show what the connect procedure read, read
// it again, send the settings, clear it. Works on the window's control texts (SubPanelView).
class SubPanelOperations {
public:
    // Its caption has a blank before the mark, unlike the other windows'.
    static constexpr Question ClearQuestion{
        "This Will Completely Clear The Controller.\n\nProceed?", "WARNING !",
        MessageButtons::OkCancel, MessageIcon::Question};
    // The controller needs this long between the writes of Send and after a clear.
    static constexpr int WritePauseMs = 100;

    explicit SubPanelOperations(Session& session,
                                SubPanelMemory& memory = SubPanelMemory::instance());

    // The window opens: the values read while connecting, the optional controls, the compatibility
    // flag; false if that read was given up.
    bool open(SubPanelView& view);
    // Identifies the controller again (following it to a neighbouring rate), reads its status and
    // compatibility flag; false if it was not found.
    bool load(SubPanelView& view);
    // Whether Send may go: every value it writes was read (a compatibility flag whose read was
    // given up would go out as a guess).
    static bool canSend(const SubPanelView& view);
    // Checks that the controller is off its network, writes the settings and follows the
    // controller to its new address and rate; false if the address and baud write did not go out,
    // and at once, writing nothing, when the view holds a value that was not read.
    bool send(const SubPanelView& view);
    // Asks, checks that the controller is off its network, then wipes it; false if cancelled or
    // failed.
    bool clear();

    // Whether the last Send's compatibility write went out; false too where there is none.
    bool compatibilityWritten() const { return compatibilityWritten_; }

    Session& session() const { return s_; }

private:
    void showValues(SubPanelView& view) const;
    bool identifyWithBaudSearch();
    void readStatus();
    bool readCompatibility(SubPanelView& view, bool atOpening);
    bool disconnectedFromNetwork();
    bool writeCompatibility(bool set);

    Session& s_;
    SubPanelMemory& memory_;
    bool compatibilityWritten_ = false;
};

} // namespace vtl
