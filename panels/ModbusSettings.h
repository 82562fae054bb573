#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace vtl {

// A sub panel's ModBus settings record: mode (0 RTU, otherwise ASCII), baud divisor high and low
// byte, data format.
using ModbusBytes = std::array<std::uint8_t, 4>;

// The texts and states of the ModBus Setup window's controls.
struct ModbusView {
    bool ascii = false;
    QString baudText = QStringLiteral("???");
    QString dataText = QStringLiteral("???");

    bool operator==(const ModbusView&) const = default;
};

// What the window shows for a record: "???" for a rate or format it does not know.
ModbusView modbusViewOf(const ModbusBytes& bytes);
// What OK writes over the record read: the mode, rate and format the controls show, and for a
// "???" left as it was, or a mode not changed, the bytes read. A record shown and written at once
// goes back byte for byte.
ModbusBytes modbusBytesOf(const ModbusView& view, const ModbusBytes& read);

// The rates and formats offered, in the order of the buttons' cycles.
QStringList modbusBaudTexts();
QStringList modbusFormatTexts(bool ascii);

// Choosing a mode puts the data button on that mode's first format.
QString modbusFormatForMode(bool ascii);
QString nextModbusBaudText(const QString& text);
QString nextModbusFormatText(const QString& text, bool ascii);

} // namespace vtl
