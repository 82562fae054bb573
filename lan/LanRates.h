#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace vtl {

// The rate lists of the LAN controller's port buttons. A button's caption is the value; a read
// shows the codes of its list, a click moves the caption along its cycle, and Send maps the caption
// back.
enum class LanRateList {
    Eight, // Main Network, Computer A, Computer B: 1200..115200
    Six,   // Sub LAN A, Sub LAN B and the hidden holder: 1200..38400
    Nine,  // BACnet: 9600..115200 and the extended codes up to 460800
};

// The caption of a code read, if the list holds it.
std::optional<QString> lanRateText(LanRateList list, std::uint8_t code);
// The code of a caption, if the list holds it.
std::optional<std::uint8_t> lanRateCode(LanRateList list, const QString& text);
// All captions the list can show, slowest first.
QStringList lanRateTexts(LanRateList list);

// The captions a click can reach, in click order: 1200..4800 are shown when read, never reached.
QStringList lanRateCycle(LanRateList list);
// The next caption of a rate button on a click. The Sub LAN B button leaves a rate outside its
// cycle as it is; every other caption, on every button, becomes "9600".
QString nextLanRate(LanRateList list, const QString& text, bool keepOutsideCycle = false);

// The line rate of a code of the eight-rate list (0 when it is none).
std::int32_t lanLineRate(std::uint8_t code);

// A rate button's caption for a code outside its list: Send gives the code back as read.
inline const QString UnknownRateText = QStringLiteral("????");

} // namespace vtl
