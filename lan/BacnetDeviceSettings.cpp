#include "lan/BacnetDeviceSettings.h"

namespace vtl {

namespace B = BacnetOffset;

namespace {

std::uint32_t bigEndian(const QByteArray& b, int at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | std::uint8_t(b[at + i]);
    return value;
}

void putBigEndian(QByteArray& b, int at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((value >> (24 - 8 * i)) & 0xFF);
}

// A zero-padded text field; its last byte is never shown.
QString textField(const QByteArray& b, int at, int length) {
    const QByteArray field = b.mid(at, length);
    const auto end = field.indexOf('\0');
    return QString::fromLatin1(end < 0 ? field : field.left(end));
}

void putText(QByteArray& b, int at, int length, const QString& text) {
    const QByteArray bytes = text.left(length).toLatin1();
    b.replace(at, length + 1, bytes + QByteArray(length + 1 - bytes.size(), '\0'));
}

// The fields are read as signed numbers. An empty or non-numeric field is no value at all: -1,
// outside every field's range, rather than a 0 the user never typed.
qint64 numberOf(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? value : -1;
}

} // namespace

BacnetDeviceView showBacnetSettings(const QByteArray& block) {
    QByteArray b = block;
    if (b.size() < BacnetBlockMinSize) b.append(QByteArray(BacnetBlockMinSize - b.size(), '\0'));
    BacnetDeviceView v;
    const std::uint32_t instance = bigEndian(b, B::Instance);
    v.instance = QString::number(instance > MaxBacnetInstance ? 0 : instance);
    v.name = textField(b, B::Name, BacnetNameLength);
    v.location = textField(b, B::Location, BacnetTextLength);
    v.description = textField(b, B::Description, BacnetTextLength);
    v.apduTimeout = QString::number(bigEndian(b, B::ApduTimeout));
    v.tokenTimeout = QString::number(std::uint8_t(b[B::TokenTimeout]));
    v.maxMaster = QString::number(std::uint8_t(b[B::MaxMaster]));
    return v;
}

BacnetDeviceView clearedBacnetView() {
    return {QStringLiteral("0"),
            QString(),
            QString(),
            QString(),
            QStringLiteral("50"),
            QStringLiteral("20"),
            QStringLiteral("127")};
}

BacnetEncoding bacnetSettingsToSend(const BacnetDeviceView& v, const QByteArray& base) {
    auto refuse = [](const char* what) {
        return BacnetEncoding{
            {}, QStringLiteral("%1. Configuration NOT Sent.").arg(QLatin1String(what))};
    };
    const qint64 instance = numberOf(v.instance);
    if (instance < 0 || instance > MaxBacnetInstance) return refuse("Invalid Device Number");
    const QString name = v.name.left(BacnetNameLength);
    if (name.isEmpty() && instance != 0) return refuse("Device Must Be Assigned A Name");
    QByteArray b = base;
    putBigEndian(b, B::Instance, std::uint32_t(instance));
    putText(b, B::Name, BacnetNameLength, name);
    putText(b, B::Location, BacnetTextLength, v.location);
    putText(b, B::Description, BacnetTextLength, v.description);
    const qint64 apdu = numberOf(v.apduTimeout);
    if (apdu < 50 || apdu > 60000) return refuse("Invalid APDU Timeout");
    putBigEndian(b, B::ApduTimeout, std::uint32_t(apdu));
    const qint64 token = numberOf(v.tokenTimeout);
    if (token < 20 || token > 100) return refuse("Invalid Token Timeout");
    b[B::TokenTimeout] = char(token);
    const qint64 maxMaster = numberOf(v.maxMaster);
    if (maxMaster < 0 || maxMaster > 127) return refuse("Invalid Max Master");
    b[B::MaxMaster] = char(maxMaster);
    return {b, {}};
}

} // namespace vtl
