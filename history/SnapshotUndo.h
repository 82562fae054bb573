#pragma once

#include "history/Snapshot.h"
#include "link/Connect.h"
#include "link/Question.h"

namespace vtl {

struct ConnectionState;
struct Session;

// Sending a snapshot back: the way back from a Send, an OK or a routing table Send.
namespace undo {

inline constexpr Question SendBackQuestion{"Send The Snapshot Back To The Controller?",
                                           "Confirmation", MessageButtons::YesNo,
                                           MessageIcon::Question};
inline const QString CannotText = QStringLiteral("Snapshot Cannot Be Sent Back.");
inline const QString OtherControllerText =
    QStringLiteral("Snapshot Is Of Another Controller. Nothing Sent.");

// Why the snapshot cannot be sent back whatever controller answers (a clear's or a restore's,
// or one that holds no read of what its write changed); empty when it can.
QString refusalBeforeConnecting(const Snapshot& snapshot);
// The same, told through the user interface; true when it may go on.
bool mayConnectFor(UserInterface& ui, const Snapshot& snapshot);

// Why the controller the connection reached is not the one the snapshot was taken of: another
// kind, type code or family, or an address other than the one it had before the write or was
// sent by it. Empty when it is the same.
QString otherController(const Snapshot& snapshot, const ConnectionState& state);

enum class Outcome { Sent, Refused, Declined, Failed };

// After the connect procedure found `window`'s controller: makes that window's reads, checks the
// controller, asks, and sends the snapshot back through the window's own Send or OK, which check
// every value and keep a snapshot first. Every refusal and failure is told through the session's
// user interface.
Outcome sendBack(Session& session, ControllerWindow window, const Snapshot& snapshot);

// "2024-03-12 09:30:12, settings of main panel (type 1234) at address 5 on /dev/ttyUSB0".
QString describe(const Snapshot& snapshot);

} // namespace undo
} // namespace vtl
