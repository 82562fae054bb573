#include "lan/LanControllerSettings.h"

#include "lan/LanRates.h"
#include "panels/MainPanelSettings.h"

#include <algorithm>

namespace vtl {

namespace O = LanOffset;

namespace {

struct RateButton {
    QString LanControllerView::*text;
    int offset;
    LanRateList list;
};

// Every rate control and its byte; the Mode/Parity form reuses two of them.
constexpr std::array<RateButton, 7> RateButtons = {{
    {&LanControllerView::mainNetwork, O::MainNetwork, LanRateList::Eight},
    {&LanControllerView::computerA, O::ComputerA, LanRateList::Eight},
    {&LanControllerView::computerB, O::ComputerB, LanRateList::Eight},
    {&LanControllerView::subLanA, O::SubLanA, LanRateList::Six},
    {&LanControllerView::subLanB, O::SubLanB, LanRateList::Six},
    {&LanControllerView::hiddenRate, O::HiddenRate, LanRateList::Six},
    {&LanControllerView::bacnet, O::Bacnet, LanRateList::Nine},
}};

QString unknownOr(const QStringList& texts, std::uint8_t code) {
    return code < texts.size() ? texts[code] : UnknownRateText;
}

} // namespace

std::uint8_t lanAddressOf(const QString& text) {
    return clampPanelAddress(text);
}

void showLanSettings(std::span<const std::uint8_t, LanSettingsSize> block, LanControllerView& v) {
    for (int n = 1; n <= LanCardCount; ++n) {
        const auto bit = std::uint8_t(1u << (n - 1));
        const QString kind = !(block[O::CardsInUse] & bit)  ? QStringLiteral("Unused")
                             : (block[O::CardInputs] & bit) ? QStringLiteral("Inputs")
                                                            : QStringLiteral("Outputs");
        v.cards[std::size_t(n - 1)] = cardCaption(n, kind);
    }
    for (const RateButton& b : RateButtons) {
        if (const auto text = lanRateText(b.list, block[std::size_t(b.offset)]))
            v.*b.text = *text;
        else if (b.list == LanRateList::Nine)
            v.*b.text = UnknownRateText;
    }
    v.addressText = QString::number(std::clamp<int>(block[O::Address], 1, 125));
    v.lastPanel = block[O::LastPanel] & 1;
    v.modem = block[O::Modem] == 1;
    const auto* text = block.data() + O::ModemString;
    v.modemString =
        QString::fromLatin1(reinterpret_cast<const char*>(text),
                            std::find(text, text + LanModemStringSize, std::uint8_t(0)) - text);
    v.smtpText = QStringLiteral("%1.%2.%3.%4")
                     .arg(block[O::Smtp])
                     .arg(block[O::Smtp + 1])
                     .arg(block[O::Smtp + 2])
                     .arg(block[O::Smtp + 3]);
    if (v.form == LanForm::ModeParity) {
        v.subLanB = unknownOr({ModeRzq, ModeModbus}, block[O::Mode]);
        v.mainNetwork = unknownOr(parityTexts(), block[O::Parity]);
    }
}

LanSettingsBlock lanSettingsToSend(const LanControllerView& v, const LanSettingsBlock& base) {
    LanSettingsBlock block = base;
    block[O::CardsInUse] = 0;
    for (int n = 1; n <= LanCardCount; ++n) {
        const auto bit = std::uint8_t(1u << (n - 1));
        const QString kind = cardKind(v.cards[std::size_t(n - 1)]);
        if (kind == QLatin1String("Unused")) continue;
        block[O::CardsInUse] |= bit;
        if (kind == QLatin1String("Inputs"))
            block[O::CardInputs] |= bit;
        else
            block[O::CardInputs] &= std::uint8_t(~bit);
    }
    for (const RateButton& b : RateButtons) {
        auto& byte = block[std::size_t(b.offset)];
        if (const auto code = lanRateCode(b.list, v.*b.text))
            byte = *code;
        else if (b.offset == O::SubLanB)
            byte = 0;
    }
    block[O::Modem] = v.modem ? 1 : 0;
    block[O::Address] = lanAddressOf(v.addressText);
    block[O::LastPanel] = v.lastPanel ? 1 : 0;
    const QByteArray modemString = v.modemString.left(int(LanModemStringSize)).toLatin1();
    auto* field = block.data() + O::ModemString;
    std::fill_n(field, LanModemStringSize, std::uint8_t(0));
    std::copy(modemString.begin(), modemString.end(), field);
    const auto smtp = parseSmtpAddress(v.smtpText);
    std::copy(smtp.begin(), smtp.end(), block.begin() + O::Smtp);
    if (v.form == LanForm::ModeParity) {
        // Those two buttons show no rate: Main Network goes back as read, Sub LAN B as 0.
        block[O::MainNetwork] = base[O::MainNetwork];
        block[O::SubLanB] = 0;
        block[O::Mode] = v.subLanB == ModeModbus ? 1 : 0;
        const auto parity = parityTexts().indexOf(v.mainNetwork);
        block[O::Parity] = std::uint8_t(parity == 0 || parity == 1 ? parity : 2);
    }
    return block;
}

std::array<std::uint8_t, 4> parseSmtpAddress(const QString& text) {
    std::array<std::uint8_t, 4> octets{};
    qsizetype at = 0;
    for (auto& octet : octets) {
        unsigned value = 0;
        for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at)
            value = (value * 10 + unsigned(text[at].digitValue())) & 0xFF;
        octet = std::uint8_t(value);
        ++at; // the separator
    }
    return octets;
}

QString resultLine(std::span<const std::uint8_t> reply) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | reply[std::size_t(O::Result) + i];
    return QStringLiteral("Result: %1").arg(value);
}

} // namespace vtl
