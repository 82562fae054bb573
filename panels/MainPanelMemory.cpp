#include "panels/MainPanelMemory.h"

#include <algorithm>
#include <span>

namespace vtl {

namespace {

QString textUpToZero(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t(0));
    return QString::fromLatin1(reinterpret_cast<const char*>(field.data()), end - field.begin());
}

// field has room for maxChars characters and the zero byte.
void storeText(std::span<std::uint8_t> field, std::size_t maxChars, const QString& text) {
    const QByteArray bytes = text.left(qsizetype(maxChars)).toLatin1();
    std::copy(bytes.begin(), bytes.end(), field.begin());
    field[std::size_t(bytes.size())] = 0;
}

} // namespace

QString MainPanelMemory::passwordText() const {
    return textUpToZero(PasswordField);
}

QString MainPanelMemory::modemStringText() const {
    return textUpToZero(ModemStringField);
}

void MainPanelMemory::setPasswordText(const QString& text) {
    storeText(PasswordField, PasswordSize, text);
}

void MainPanelMemory::setModemStringText(const QString& text) {
    // Bytes of another controller's string must not follow the new one out.
    if (!ModemStringKnown) ModemStringField.fill(0);
    storeText(ModemStringField, ModemStringSize, text);
    ModemStringKnown = true;
}

MainPanelMemory& MainPanelMemory::instance() {
    static MainPanelMemory memory;
    return memory;
}

} // namespace vtl
