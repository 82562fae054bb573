#include "link/TcpTransport.h"

namespace vtl {

TcpTransport::TcpTransport(QString host, quint16 port, Clock& clock)
    : socket_(std::move(host), port, clock) {}

bool TcpTransport::parseName(const QString& name, QString* host, quint16* port) {
    return parseServerName(name, QStringLiteral("tcp"), host, port);
}

bool TcpTransport::open(std::int32_t) {
    pending_.clear();
    next_ = 0;
    return socket_.connectToServer();
}

void TcpTransport::close() {
    socket_.close();
}

bool TcpTransport::writeByte(std::uint8_t byte) {
    return socket_.send(QByteArray(1, char(byte)));
}

std::optional<std::uint8_t> TcpTransport::readByte(int timeoutMs) {
    if (next_ == pending_.size()) {
        pending_ = socket_.receive(timeoutMs);
        next_ = 0;
        if (pending_.isEmpty()) return std::nullopt;
    }
    return std::uint8_t(pending_[next_++]);
}

void TcpTransport::discardInput() {
    pending_ = socket_.receive(0);
    pending_.clear();
    next_ = 0;
}

} // namespace vtl
