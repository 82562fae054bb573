#include "link/SerialLink.h"

#include "link/Log.h"
#include "link/PortRegistry.h"

namespace vtl {

std::unique_ptr<Transport> SerialLink::openTransportFor_(const QString& portName) {
    return openTransportFor(portName);
}

SerialLink::SerialLink(ConnectionState& state, Clock& clock, UserInterface& ui,
                       TransportFactory factory)
    : state_(state), clock_(clock), ui_(ui), factory_(std::move(factory)) {}

bool SerialLink::ProbePort(int index) {
    return probeComPort(index);
}

SerialLink::~SerialLink() {
    ClosePort();
}

bool SerialLink::OpenPort() {
    openError_.clear();
    const std::int32_t rate = effectiveBaudRate(state_);
    if (transport_ && transport_->isOpen() && openName_ == state_.PortName) {
        if (rate == openRate_ || transport_->setRate(rate)) {
            if (rate != openRate_) traceEvent("rate", rate);
            openRate_ = rate;
            return true;
        }
        qCInfo(lcLink) << "rate" << rate << "refused on the open port; opening it again";
    }
    ClosePort();
    transport_ = factory_ ? factory_(state_.PortName) : nullptr;
    if (!transport_) return false;
    if (!transport_->open(rate)) {
        openError_ = transport_->errorText();
        qCInfo(lcLink) << "open" << state_.PortName << "failed:" << openError_;
        return false;
    }
    if (!transport_->setQueueSizes(QueueSize, QueueSize))
        ui_.message(QStringLiteral("COM Port Buffer Sizes Could Not Be Set."),
                    QStringLiteral("Message"), MessageButtons::Ok, MessageIcon::None);
    qCDebug(lcLink) << "opened" << state_.PortName << "at" << rate;
    traceEvent("open", rate);
    openName_ = state_.PortName;
    openRate_ = rate;
    return true;
}

void SerialLink::ClosePort() {
    openName_.clear();
    if (!transport_) return;
    const bool wasOpen = transport_->isOpen();
    transport_->close();
    if (wasOpen) traceEvent("close");
}

bool SerialLink::WriteByte(std::uint8_t byte) {
    if (state_.LinkMode != LinkModeSubLan && state_.AddDelay) clock_.sleepMs(1);
    if (!transport_ || !transport_->isOpen()) return false;
    qCDebug(lcLinkBytes, "%lld tx %02X", (long long)clock_.nowUs(), byte);
    if (trace_) trace_->byteSent(byte);
    return transport_->writeByte(byte);
}

std::uint8_t SerialLink::ReadByte() {
    std::optional<std::uint8_t> byte;
    ++reads_;
    if (transport_ && transport_->isOpen()) byte = transport_->readByte(ReadTimeoutMs);
    ReadTimedOut = !byte.has_value();
    if (byte) {
        qCDebug(lcLinkBytes, "%lld rx %02X", (long long)clock_.nowUs(), *byte);
        if (trace_) trace_->byteReceived(*byte);
    }
    return byte.value_or(0);
}

void SerialLink::PurgePort() {
    if (!transport_ || !transport_->isOpen()) return;
    // Drain before discarding: on a pseudo-terminal discarding output would also lose bytes already
    // written, which a real port would have sent.
    const bool drained = transport_->drain();
    transport_->discardInput();
    if (trace_) trace_->event(QStringLiteral("purge"));
    if (!drained)
        while (transport_->readByte(0)) {
        }
}

void SerialLink::SetTransmitLine(bool on) {
    if (state_.UsbMode) return;
    if (!transport_ || !transport_->isOpen()) return;
    transport_->setDtr(on);
    if (trace_) trace_->lineEvent(QStringLiteral("dtr"), {{QStringLiteral("on"), on}});
}

void SerialLink::traceEvent(const char* name, std::int32_t rate) {
    if (!trace_) return;
    QJsonObject details;
    if (rate > 0) details.insert(QStringLiteral("baud"), rate);
    trace_->lineEvent(QString::fromLatin1(name), details);
}

bool SerialLink::FlushPort() {
    return transport_ && transport_->drain();
}

} // namespace vtl
