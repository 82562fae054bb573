#pragma once

#include <QString>

#include <array>

namespace vtl {

// The three forms of the LAN controller window, chosen by the type code.
enum class LanForm {
    Lan,        // 490..499
    Brinlet,    // 600..601
    ModeParity, // 602..699: a Brinlet form whose Sub LAN B and Main Network buttons are Mode and
                // Parity
};

inline constexpr int LanCardCount = 8;

// The texts and check marks of the LAN controller window's controls; with the form, all the window
// shows. Hidden controls keep their texts: Send encodes them too.
struct LanControllerView {
    LanForm form = LanForm::Lan;
    QString firmwareLine;
    QString addressText;
    bool lastPanel = false;
    bool modem = false;
    QString modemString;
    QString smtpText = QStringLiteral("0.0.0.0");
    // The rate buttons; in the Mode/Parity form mainNetwork shows the parity and subLanB the mode.
    QString mainNetwork = QStringLiteral("19200");
    QString computerA = QStringLiteral("19200");
    QString computerB = QStringLiteral("19200");
    QString subLanA = QStringLiteral("19200");
    QString subLanB = QStringLiteral("19200");
    QString bacnet = QStringLiteral("19200");
    QString hiddenRate = QStringLiteral("19200"); // byte 7, never shown
    std::array<QString, LanCardCount> cards{
        QStringLiteral("#1 Unused"), QStringLiteral("#2 Unused"), QStringLiteral("#3 Unused"),
        QStringLiteral("#4 Unused"), QStringLiteral("#5 Unused"), QStringLiteral("#6 Unused"),
        QStringLiteral("#7 Unused"), QStringLiteral("#8 Unused")};
    QString status;

    bool operator==(const LanControllerView&) const = default;
};

// Card captions: "#3 Inputs". kind is "Unused", "Inputs" or "Outputs".
QString cardCaption(int card, const QString& kind);
// The kind part of a card caption ("Inputs" of "#3 Inputs"); empty when it has none.
QString cardKind(const QString& caption);
// A click on card n: Unused to Inputs to Outputs to Unused; any other caption to Unused.
QString nextCardCaption(int card, const QString& caption);

// Mode and Parity buttons of the Mode/Parity form.
inline const QString ModeRzq = QStringLiteral("RZQ");
inline const QString ModeModbus = QStringLiteral("Modbus");
QString nextMode(const QString& text);
QString nextParity(const QString& text);
QStringList parityTexts(); // "E-8-1", "O-8-1", "N-8-1": codes 0, 1, 2

} // namespace vtl
