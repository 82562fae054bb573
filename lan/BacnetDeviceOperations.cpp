#include "lan/BacnetDeviceOperations.h"

#include "history/KeepSnapshot.h"
#include "link/Session.h"

#include <algorithm>

namespace vtl {

namespace {
const QString Caption = QStringLiteral("VTL");
}

BacnetDeviceOperations::BacnetDeviceOperations(Session& session)
    : session_(session), base_(BacnetBlockMinSize, '\0') {}

bool BacnetDeviceOperations::open(BacnetDeviceView& view) {
    auto& exchange = session_.exchange;
    if (!exchange.read(std::uint8_t(session_.state.PanelAddress), commands::BacnetSettings)) {
        session_.ui.message(QStringLiteral("Communication Error"), Caption, MessageButtons::Ok,
                            MessageIcon::Exclamation, exchange.lastFailure().describe());
        return false;
    }
    const auto received = int(session_.buffers.TransferLength);
    base_ = QByteArray(BacnetBlockMinSize, '\0');
    if (received > 0 && received <= MaxReadSize) {
        base_.replace(0, received,
                      QByteArray(reinterpret_cast<const char*>(session_.buffers.ReplyBuffer.data()),
                                 received));
    }
    view = showBacnetSettings(base_);
    read_ = true;
    return true;
}

void BacnetDeviceOperations::takeBack(const QByteArray& block, BacnetDeviceView& view) {
    base_ = QByteArray(BacnetBlockMinSize, '\0');
    base_.replace(0, std::min<qsizetype>(block.size(), MaxReadSize), block.left(MaxReadSize));
    view = showBacnetSettings(base_);
    read_ = true;
}

BacnetDeviceOperations::Outcome BacnetDeviceOperations::ok(const BacnetDeviceView& view) {
    if (!read_) return Outcome::Refused;
    const BacnetEncoding encoded = bacnetSettingsToSend(view, base_);
    if (!encoded.refusal.isEmpty()) {
        session_.ui.message(encoded.refusal, Caption, MessageButtons::Ok, MessageIcon::Stop);
        return Outcome::Refused;
    }
    if (!keepSnapshot(session_, {WriteOperation::Bacnet, {commands::BacnetSettings}, {}, {}}))
        return Outcome::Failed;
    auto& exchange = session_.exchange;
    const auto data = std::span(reinterpret_cast<const std::uint8_t*>(encoded.block.constData()),
                                std::size_t(encoded.block.size()));
    if (!exchange.write(std::uint8_t(session_.state.PanelAddress), commands::BacnetSettings,
                        data)) {
        session_.ui.message(QStringLiteral("Communication Error"), Caption, MessageButtons::Ok,
                            MessageIcon::Exclamation, exchange.lastFailure().describe());
        return Outcome::Failed;
    }
    lastSent_ = encoded.block;
    session_.ui.message(QStringLiteral("BACnet Configuration Sent"), Caption);
    return Outcome::Sent;
}

} // namespace vtl
