#include "panels/SubPanelReads.h"

#include "link/CommandSet.h"

namespace vtl {

bool isKestromCompatible(const ConnectionState& state) {
    return state.StatusFlag6 && !state.StatusFlag7;
}

std::optional<bool> readSubPanelCompatibility(Session& session) {
    if (!isKestromCompatible(session.state)) return std::nullopt;
    const auto& record = commands::CompatibilityFlag;
    session.buffers.ReplyBuffer[0] = 0;
    for (;;) {
        if (session.exchange.read(std::uint8_t(session.state.PanelAddress), record)) {
            session.exchange.ReleaseBus();
            return session.buffers.ReplyBuffer[0] != 0;
        }
        if (session.ui.message(QStringLiteral("Problem Retrieving Panel Information."),
                               QStringLiteral("VTL"), MessageButtons::RetryCancel,
                               MessageIcon::Exclamation) != MessageAnswer::Retry)
            return std::nullopt;
    }
}

} // namespace vtl
