#include "lan/LanControllerReads.h"

#include "link/CommandSet.h"

#include <algorithm>

namespace vtl {

namespace {
constexpr std::size_t AddressOffset = 9;
}

bool readLanControllerSettings(Session& session) {
    const auto& record = commands::Status;
    if (!session.exchange.read(commands::DirectPanel, record) ||
        session.buffers.TransferLength <= AddressOffset) {
        session.ui.message(QStringLiteral("Communication Error"), QStringLiteral("Error"),
                           MessageButtons::Ok, MessageIcon::None);
        return false;
    }
    session.state.PanelAddress =
        std::clamp<std::uint32_t>(session.buffers.ReplyBuffer[AddressOffset], 1, 125);
    return true;
}

} // namespace vtl
