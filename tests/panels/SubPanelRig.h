#pragma once

#include "link/Connect.h"
#include "panels/SubPanelOperations.h"
#include "tests/support/SimSession.h"

#include <QStringList>

namespace vtl::test {

// The record that holds a sub panel's ModBus settings, as the simulator keys it.
inline const sim::RecordKey ModbusKey{50, 0, 110};

// A sub panel window's logic against the simulated sub panel, over the real frame exchange on the
// virtual clock.
struct SubPanelRig {
    explicit SubPanelRig(const sim::ControllerOptions& options) : s(options) {}

    // Connects as the connection window's OK with "Auto Detect" and "Sub LAN" does, then forgets
    // what that said and sent.
    bool connect() {
        const bool found = Connect(
            s.session, {QStringLiteral("QOV"), QStringLiteral("sim"), AutoDetectPosition, true});
        forget();
        return found;
    }
    void forget() {
        s.controller.clearFrames();
        s.ui.messages.clear();
    }
    // Each request the controller heard as "panel/command/point/table", writes with their data.
    QStringList requests() const {
        QStringList list;
        for (const auto& f : s.controller.framesNoted(QStringLiteral("request"))) {
            const auto at = [&f](int i) { return std::uint8_t(f.bytes[i]); };
            QString line =
                QStringLiteral("%1/%2/%3/%4").arg(at(5)).arg(at(7)).arg(at(8)).arg(at(9));
            if (at(7) >= 100)
                line += QStringLiteral(" [%1]").arg(
                    QString::fromLatin1(f.bytes.mid(13, at(11) | at(12) << 8).toHex(' ')));
            list << line;
        }
        return list;
    }
    QStringList violations() const { return s.controller.violations(); }

    SimSession s;
    SubPanelMemory memory;
    SubPanelOperations ops{s.session, memory};
    SubPanelView view;
};

inline sim::ControllerOptions subPanel(sim::Model model, int address = 5, int rate = 19200) {
    return simOptions(model, address, rate);
}

} // namespace vtl::test
