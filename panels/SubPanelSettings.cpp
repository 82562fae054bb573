#include "panels/SubPanelSettings.h"

#include "panels/MainPanelSettings.h"

#include <algorithm>

namespace vtl {
namespace {

struct CodeText {
    std::uint8_t code;
    const char* text;
};

constexpr std::array<CodeText, 6> Codes{
    {{0, "19200"}, {1, "9600"}, {2, "4800"}, {3, "2400"}, {4, "1200"}, {5, "38400"}}};

} // namespace

std::optional<std::uint8_t> subLineBaudCodeForText(const QString& text) {
    for (const CodeText& c : Codes)
        if (text == QLatin1String(c.text)) return c.code;
    return std::nullopt;
}

std::int32_t subLineBaudRate(std::uint8_t code) {
    return code >= 5 ? 38400 : QString::fromLatin1(Codes[code].text).toInt();
}

std::uint8_t subPanelSettingsByte(std::uint8_t baudCode, bool lastPanel) {
    return std::uint8_t((baudCode << SubBaudCodeShift) | (lastPanel ? SubLastPanelBit : 0));
}

QString nextSubPanelBaudText(const QString& text) {
    if (text == QLatin1String("9600")) return QStringLiteral("19200");
    if (text == QLatin1String("19200")) return QStringLiteral("38400");
    return QStringLiteral("9600");
}

std::uint8_t clampSubPanelAddress(const QString& text) {
    return std::min<std::uint8_t>(clampPanelAddress(text), SubPanelMaxAddress);
}

} // namespace vtl
