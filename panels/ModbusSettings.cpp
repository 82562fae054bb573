#include "panels/ModbusSettings.h"

#include <optional>

namespace vtl {
namespace {

struct Entry {
    std::uint8_t code;
    const char* text;
};

constexpr Entry Bauds[] = {{52, "9600"}, {26, "19200"}, {13, "38400"}, {208, "2400"}};
constexpr Entry Formats[] = {
    {0, "N-8-1"}, {18, "E-8-1"}, {19, "O-8-1"}, {2, "E-7-1"}, {3, "O-7-1"}};
constexpr std::uint8_t AsciiMode = 1;

const QString Unknown = QStringLiteral("???");

template <std::size_t N> QString textOf(const Entry (&table)[N], std::uint8_t code) {
    for (const Entry& e : table)
        if (e.code == code) return QString::fromLatin1(e.text);
    return Unknown;
}

template <std::size_t N>
std::optional<std::uint8_t> codeOf(const Entry (&table)[N], const QString& text) {
    for (const Entry& e : table)
        if (text == QLatin1String(e.text)) return e.code;
    return std::nullopt;
}

// The entry after text; the first one for a text outside the cycle (and after the last).
QString nextIn(const QStringList& cycle, const QString& text) {
    const qsizetype at = cycle.indexOf(text);
    return at < 0 || at + 1 == cycle.size() ? cycle.first() : cycle[at + 1];
}

} // namespace

ModbusView modbusViewOf(const ModbusBytes& bytes) {
    ModbusView view;
    view.ascii = bytes[0] != 0;
    view.baudText = bytes[1] != 0 ? Unknown : textOf(Bauds, bytes[2]);
    view.dataText = textOf(Formats, bytes[3]);
    return view;
}

ModbusBytes modbusBytesOf(const ModbusView& view, const ModbusBytes& read) {
    ModbusBytes bytes = read;
    // Any nonzero mode byte reads as ASCII; one that still shows as read goes back as it was.
    if (view.ascii != (read[0] != 0)) bytes[0] = view.ascii ? AsciiMode : std::uint8_t(0);
    if (const auto baud = codeOf(Bauds, view.baudText)) {
        bytes[1] = 0;
        bytes[2] = *baud;
    }
    if (const auto format = codeOf(Formats, view.dataText)) bytes[3] = *format;
    return bytes;
}

QStringList modbusBaudTexts() {
    return {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
            QStringLiteral("2400")};
}

QStringList modbusFormatTexts(bool ascii) {
    if (ascii) return {QStringLiteral("E-7-1"), QStringLiteral("O-7-1")};
    return {QStringLiteral("N-8-1"), QStringLiteral("E-8-1"), QStringLiteral("O-8-1")};
}

QString modbusFormatForMode(bool ascii) {
    return modbusFormatTexts(ascii).first();
}

QString nextModbusBaudText(const QString& text) {
    // "2400" wraps round to "9600" like any text outside the cycle.
    return nextIn(modbusBaudTexts(), text);
}

QString nextModbusFormatText(const QString& text, bool ascii) {
    return nextIn(modbusFormatTexts(ascii), text);
}

} // namespace vtl
