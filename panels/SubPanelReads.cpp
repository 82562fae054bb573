#include "panels/SubPanelReads.h"

#include "link/CommandSet.h"

namespace vtl {

bool isKestromCompatible(const ConnectionState& state) {
    return state.StatusFlag6 && !state.StatusFlag7;
}

std::optional<bool> readSubPanelCompatibility(Session& session, CompatibilityRelease release) {
    if (!isKestromCompatible(session.state)) return std::nullopt;
    const auto& record = commands::CompatibilityFlag;
    const bool byExchange = release == CompatibilityRelease::ByExchange;
    session.buffers.ReplyBuffer[0] = 0;
    for (;;) {
        if (byExchange) session.state.ReleasePending = 1;
        if (session.exchange.read(std::uint8_t(session.state.PanelAddress), record)) {
            if (!byExchange) session.exchange.ReleaseBus();
            // An empty reply says nothing; the buffer may still hold a failed attempt's byte.
            return session.buffers.TransferLength >= 1 && session.buffers.ReplyBuffer[0] != 0;
        }
        if (session.ui.message(QStringLiteral("Problem Retrieving Panel Information."),
                               QStringLiteral("VTL"), MessageButtons::RetryCancel,
                               MessageIcon::Exclamation) != MessageAnswer::Retry)
            return std::nullopt;
    }
}

} // namespace vtl
