#include "panels/MainPanelSettings.h"

#include <algorithm>

namespace vtl {

namespace {

// 115200 divided by the rate, fastest last.
constexpr std::array<std::int32_t, 8> Rates = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

int rateCount(MainPort port) {
    switch (port) {
    case MainPort::ComputerA:
    case MainPort::ComputerB:
        return 7;
    case MainPort::PortC:
    case MainPort::PortD:
        return 6;
    case MainPort::PortE:
        return 8;
    }
    return 0;
}

const std::array<PortRoleTexts, 8>& roleTable() {
    static const std::array<PortRoleTexts, 8> table = {{
        {QStringLiteral("Sub B"), QStringLiteral("Main")},
        {QStringLiteral("Local"), QStringLiteral("Main")},
        {QStringLiteral("Sub B"), QStringLiteral("Local")},
        {QStringLiteral("Local"), QStringLiteral("Local")},
        {QStringLiteral("Liebert"), QStringLiteral("Main")},
        {QStringLiteral("McQuay"), QStringLiteral("Main")},
        {QStringLiteral("Liebert"), QStringLiteral("Local")},
        {QStringLiteral("McQuay"), QStringLiteral("Local")},
    }};
    return table;
}

} // namespace

MainPanelSettings MainPanelSettings::decode(std::span<const std::uint8_t, Size> block) {
    namespace O = MainPanelOffset;
    MainPanelSettings s;
    s.InCards = block[O::InCards];
    s.OutCards = block[O::OutCards];
    std::copy_n(block.begin() + O::FirstBaud, MainPortCount, s.PortBaudCodes.begin());
    s.PanelAddress = block[O::PanelAddress];
    s.LastPanel = block[O::LastPanel];
    s.PortRoles = block[O::PortRoles];
    std::copy_n(block.begin() + O::McQuayPassword, PasswordSize, s.McQuayPassword.begin());
    return s;
}

std::array<std::uint8_t, MainPanelSettings::Size> MainPanelSettings::encode() const {
    namespace O = MainPanelOffset;
    std::array<std::uint8_t, Size> block{};
    block[O::InCards] = InCards;
    block[O::OutCards] = OutCards;
    std::copy(PortBaudCodes.begin(), PortBaudCodes.end(), block.begin() + O::FirstBaud);
    block[O::PanelAddress] = PanelAddress;
    block[O::LastPanel] = LastPanel;
    block[O::PortRoles] = PortRoles;
    std::copy(McQuayPassword.begin(), McQuayPassword.end(), block.begin() + O::McQuayPassword);
    return block;
}

QStringList baudCycle(MainPort port) {
    QStringList texts;
    for (int i = 0; i < rateCount(port); ++i)
        texts.append(QString::number(Rates[i]));
    return texts;
}

std::optional<QString> baudTextForCode(MainPort port, std::uint8_t code) {
    for (int i = 0; i < rateCount(port); ++i)
        if (115200 / Rates[i] == code) return QString::number(Rates[i]);
    return std::nullopt;
}

std::optional<std::uint8_t> baudCodeForText(MainPort port, const QString& text) {
    for (int i = 0; i < rateCount(port); ++i)
        if (QString::number(Rates[i]) == text) return std::uint8_t(115200 / Rates[i]);
    return std::nullopt;
}

std::int32_t baudRateOfCode(std::uint8_t code) {
    return code == 0 ? 0 : 115200 / code;
}

std::optional<PortRoleTexts> portRoleTexts(std::uint8_t value) {
    if (value >= roleTable().size()) return std::nullopt;
    return roleTable()[value];
}

std::optional<std::uint8_t> portRolesValue(const QString& portD, const QString& portE) {
    const auto& table = roleTable();
    const auto it = std::find(table.begin(), table.end(), PortRoleTexts{portD, portE});
    if (it == table.end()) return std::nullopt;
    return std::uint8_t(it - table.begin());
}

QStringList portDRoleCycle() {
    return {QStringLiteral("Sub B"), QStringLiteral("Local"), QStringLiteral("McQuay"),
            QStringLiteral("Liebert")};
}

QStringList portERoleCycle() {
    return {QStringLiteral("Local"), QStringLiteral("Main")};
}

QString nextInCycle(const QStringList& cycle, const QString& text) {
    const auto i = cycle.indexOf(text);
    if (i < 0) return text == UnknownCodeText ? cycle.first() : text;
    return cycle[(i + 1) % cycle.size()];
}

std::uint8_t clampPanelAddress(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return std::uint8_t(std::clamp(ok ? value : 0, 1, 125));
}

bool cardsFit(int inCards, int outCards) {
    // A list without a selection counts as 255 cards, which never fits.
    const int in = inCards < 0 ? 255 : inCards;
    const int out = outCards < 0 ? 255 : outCards;
    return in + out <= MaxCards;
}

} // namespace vtl
