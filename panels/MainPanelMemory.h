#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace vtl {

// What the program remembers of a main panel between openings of its window: the ten settings of
// the block's first bytes, the password and the modem string, each text field with room for a
// terminating zero byte. All zero at start.
struct MainPanelMemory {
    static constexpr std::size_t SettingsSize = 10;
    static constexpr std::size_t PasswordSize = 8;
    static constexpr std::size_t ModemStringSize = 32;

    std::array<std::uint8_t, SettingsSize> Settings{};
    std::array<std::uint8_t, PasswordSize + 1> PasswordField{};
    std::array<std::uint8_t, ModemStringSize + 1> ModemStringField{};
    // The modem string field holds the string of the controller in the open window, read from it
    // or entered by the user; until then Send leaves the controller's own string alone.
    bool ModemStringKnown = false;

    // The texts up to their first zero byte.
    QString passwordText() const;
    QString modemStringText() const;
    // The editors' OK: the first 8 (32) characters and a zero byte; later bytes keep their content
    // (those of a modem string that was not known become zero).
    void setPasswordText(const QString& text);
    void setModemStringText(const QString& text);

    static MainPanelMemory& instance();
};

} // namespace vtl
