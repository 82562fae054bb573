#include "lan/LanRates.h"

#include <array>
#include <span>

namespace vtl {

namespace {

struct Rate {
    std::int32_t rate;
    std::uint8_t code;
};

// 115200 divided by the rate; above 115200 the BACnet port codes 0xB0 + 460800 / rate.
constexpr std::array<Rate, 8> EightRates = {{{1200, 96},
                                             {2400, 48},
                                             {4800, 24},
                                             {9600, 12},
                                             {19200, 6},
                                             {38400, 3},
                                             {57600, 2},
                                             {115200, 1}}};
constexpr std::array<Rate, 9> NineRates = {{{9600, 12},
                                            {19200, 6},
                                            {38400, 3},
                                            {57600, 2},
                                            {76800, 0xB6},
                                            {115200, 1},
                                            {153600, 0xB3},
                                            {230400, 0xB2},
                                            {460800, 0xB1}}};

std::span<const Rate> ratesOf(LanRateList list) {
    switch (list) {
    case LanRateList::Eight:
        return EightRates;
    case LanRateList::Six:
        return std::span<const Rate>(EightRates).first(6);
    case LanRateList::Nine:
        return NineRates;
    }
    return {};
}

} // namespace

QStringList lanRateCycle(LanRateList list) {
    switch (list) {
    case LanRateList::Eight:
        return {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                QStringLiteral("57600"), QStringLiteral("115200")};
    case LanRateList::Six:
        return {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400")};
    case LanRateList::Nine:
        return lanRateTexts(LanRateList::Nine);
    }
    return {};
}

std::optional<QString> lanRateText(LanRateList list, std::uint8_t code) {
    for (const Rate& r : ratesOf(list))
        if (r.code == code) return QString::number(r.rate);
    return std::nullopt;
}

std::optional<std::uint8_t> lanRateCode(LanRateList list, const QString& text) {
    for (const Rate& r : ratesOf(list))
        if (QString::number(r.rate) == text) return r.code;
    return std::nullopt;
}

QStringList lanRateTexts(LanRateList list) {
    QStringList texts;
    for (const Rate& r : ratesOf(list))
        texts << QString::number(r.rate);
    return texts;
}

QString nextLanRate(LanRateList list, const QString& text, bool keepOutsideCycle) {
    const QStringList cycle = lanRateCycle(list);
    const auto i = cycle.indexOf(text);
    // "????" (a code outside the list) starts the cycle on every button.
    if (i < 0) return keepOutsideCycle && text != UnknownRateText ? text : cycle.first();
    return cycle[(i + 1) % cycle.size()];
}

std::int32_t lanLineRate(std::uint8_t code) {
    if (const auto text = lanRateText(LanRateList::Eight, code)) return text->toInt();
    return 0;
}

} // namespace vtl
