#include "link/Connect.h"

namespace vtl {

std::int32_t baudRateForPosition(int position) {
    if (position < 0 || position >= int(BaudListRates.size())) position = AutoDetectPosition;
    return BaudListRates[std::size_t(position)];
}

bool acceptConnectRequest(Session& session, const ConnectRequest& request) {
    ConnectionState& state = session.state;
    // A new connection must not inherit the rate fixed by a marker frame heard last time.
    state.MarkerSeen = 0;

    const QString code = request.accessCode.left(AccessCodeLength);
    if (code != OrdinaryAccessCode && code != PrivilegedAccessCode) {
        session.ui.message(QStringLiteral("Invalid Access Code."), QStringLiteral("VTL"),
                           MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    }

    state.PortName = request.portName;
    if (request.portName.isEmpty()) {
        session.ui.message(QStringLiteral("No Port Selected."), QStringLiteral("VTL"),
                           MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    }

    state.Privileged = code == PrivilegedAccessCode ? 1 : 0;
    state.BaudRate = baudRateForPosition(request.baudPosition);
    return true;
}

} // namespace vtl
