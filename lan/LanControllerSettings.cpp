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
    // A code outside a button's list shows "????" and goes back as read: a caption left from
    // before would send a rate the controller never had.
    for (const RateButton& b : RateButtons)
        v.*b.text = lanRateText(b.list, block[std::size_t(b.offset)]).value_or(UnknownRateText);
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

std::optional<LanSettingsBlock> lanSettingsToSend(const LanControllerView& v,
                                                  const LanSettingsBlock& base) {
    const auto smtp = parseIpv4Address(v.smtpText);
    if (!smtp) return std::nullopt;
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
    for (const RateButton& b : RateButtons)
        if (const auto code = lanRateCode(b.list, v.*b.text)) block[std::size_t(b.offset)] = *code;
    block[O::Modem] = v.modem ? 1 : 0;
    block[O::Address] = lanAddressOf(v.addressText);
    block[O::LastPanel] = v.lastPanel ? 1 : 0;
    const QByteArray modemString = v.modemString.left(int(LanModemStringSize)).toLatin1();
    auto* field = block.data() + O::ModemString;
    std::fill_n(field, LanModemStringSize, std::uint8_t(0));
    std::copy(modemString.begin(), modemString.end(), field);
    std::copy(smtp->begin(), smtp->end(), block.begin() + O::Smtp);
    if (v.form == LanForm::ModeParity) {
        // Those two buttons show no rate: Main Network goes back as read, Sub LAN B as 0.
        block[O::MainNetwork] = base[O::MainNetwork];
        block[O::SubLanB] = 0;
        // "????" (a byte outside the list when read) goes back as read.
        if (v.subLanB == ModeRzq || v.subLanB == ModeModbus)
            block[O::Mode] = v.subLanB == ModeModbus ? 1 : 0;
        if (const auto parity = parityTexts().indexOf(v.mainNetwork); parity >= 0)
            block[O::Parity] = std::uint8_t(parity);
    }
    return block;
}

std::optional<std::array<std::uint8_t, 4>> parseIpv4Address(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) return std::nullopt;
    std::array<std::uint8_t, 4> octets{};
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const QString& part = parts[qsizetype(i)];
        if (part.isEmpty() || part.size() > 3 ||
            !std::ranges::all_of(part, [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return std::nullopt;
        const int value = part.toInt();
        if (value > 255) return std::nullopt;
        octets[i] = std::uint8_t(value);
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
