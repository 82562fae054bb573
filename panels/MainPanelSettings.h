#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace vtl {

// The five communication ports of a main panel, in the order of their bytes in the settings block.
enum class MainPort { ComputerA, ComputerB, PortC, PortD, PortE };
inline constexpr int MainPortCount = 5;

// Byte offsets of the main panel settings block.
namespace MainPanelOffset {
inline constexpr int InCards = 0;
inline constexpr int OutCards = 1;
inline constexpr int FirstBaud = 2; // Computer A; the other ports follow in MainPort order
inline constexpr int PanelAddress = 7;
inline constexpr int LastPanel = 8;
inline constexpr int PortRoles = 9;
inline constexpr int McQuayPassword = 10;
} // namespace MainPanelOffset

// The main panel's communication settings as the controller holds them (18 bytes).
struct MainPanelSettings {
    static constexpr std::size_t Size = 18;
    static constexpr std::size_t PasswordSize = 8;

    std::uint8_t InCards = 0;
    std::uint8_t OutCards = 0;
    std::array<std::uint8_t, MainPortCount> PortBaudCodes{};
    std::uint8_t PanelAddress = 0;
    std::uint8_t LastPanel = 0;
    std::uint8_t PortRoles = 0;
    std::array<std::uint8_t, PasswordSize> McQuayPassword{};

    static MainPanelSettings decode(std::span<const std::uint8_t, Size> block);
    std::array<std::uint8_t, Size> encode() const;

    bool operator==(const MainPanelSettings&) const = default;
};

// The rates a port can run at, slowest first; also the cycle of its baud button.
QStringList baudCycle(MainPort port);
// The rate text of a PortBaudCode, if the port can run at it.
std::optional<QString> baudTextForCode(MainPort port, std::uint8_t code);
// The PortBaudCode of a rate text, if it is one of the port's rates.
std::optional<std::uint8_t> baudCodeForText(MainPort port, const QString& text);
// The line rate of a PortBaudCode (0 for code 0).
std::int32_t baudRateOfCode(std::uint8_t code);

struct PortRoleTexts {
    QString portD;
    QString portE;
    bool operator==(const PortRoleTexts&) const = default;
};

// PortRoles value <-> role texts of Port D and Port E; values above 7 and unknown pairs have none.
std::optional<PortRoleTexts> portRoleTexts(std::uint8_t value);
std::optional<std::uint8_t> portRolesValue(const QString& portD, const QString& portE);

QStringList portDRoleCycle();
QStringList portERoleCycle();
// A button's caption for a code read that is none of its values: Send keeps the code read.
inline const QString UnknownCodeText = QStringLiteral("????");
// The entry after text in the cycle; the first for "????", text itself for any other text not in
// the cycle.
QString nextInCycle(const QStringList& cycle, const QString& text);

// The address field's text as the controller address: a signed number (anything else counts as
// 0) limited to 1-125.
std::uint8_t clampPanelAddress(const QString& text);

inline constexpr int MaxCards = 8;
// The card positions of the two lists (-1 = no selection) fit the controller's eight slots.
bool cardsFit(int inCards, int outCards);

} // namespace vtl
