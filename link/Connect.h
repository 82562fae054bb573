#pragma once

#include "link/Session.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace vtl {

// What the connection window hands over when OK is pressed.
struct ConnectRequest {
    QString accessCode;
    QString portName; // empty when the port list has no selection
    int baudPosition = 0;
    bool subLan = false;
};

inline const QString OrdinaryAccessCode = QStringLiteral("QOV");
inline const QString PrivilegedAccessCode = QStringLiteral("ZORBAKE");
// The box may hold more; only this many characters are read from it.
inline constexpr int AccessCodeLength = 9;

// Rates of the baud list, by position; position 0 ("Auto Detect") starts its search at 38400.
inline constexpr std::array<std::int32_t, 9> BaudListRates = {38400, 115200, 57600, 38400, 19200,
                                                              9600,  4800,   2400,  1200};
inline constexpr int AutoDetectPosition = 0;

// The rate for a baud list position; a position outside the list counts as "Auto Detect".
std::int32_t baudRateForPosition(int position);

// Checks the access code and the port and fills PortName, Privileged and BaudRate. False, after
// telling the user why, when the request is refused; ConnectionState is then only partly filled.
bool acceptConnectRequest(Session& session, const ConnectRequest& request);

// The configuration window that fits the controller found.
enum class ControllerWindow { MainPanel, LanController, SubPanel };

// Opens the configuration window modally and returns when it closes.
using OpenControllerWindow = std::function<void(ControllerWindow)>;

// The window for a controller reached in LAN framing, by its type code.
ControllerWindow windowForTypeCode(std::uint32_t typeCode);

// The OK of the connection window: accepts the request, finds the controller's line speed,
// identifies it and opens its window. True when a controller was found (and its window shown).
bool Connect(Session& session, const ConnectRequest& request,
             const OpenControllerWindow& openWindow = {});

} // namespace vtl
