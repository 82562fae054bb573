#include "link/TcpTransport.h"

#include <QUrl>

namespace vtl {

TcpTransport::TcpTransport(QString host, quint16 port) : host_(std::move(host)), port_(port) {}

bool TcpTransport::parseName(const QString& name, QString* host, quint16* port) {
    const QUrl url(name, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("tcp") || url.host().isEmpty() ||
        url.port() <= 0 || (!url.path().isEmpty() && url.path() != QLatin1String("/")))
        return false;
    if (host) *host = url.host();
    if (port) *port = quint16(url.port());
    return true;
}

bool TcpTransport::open(std::int32_t) {
    close();
    error_.clear();
    socket_.connectToHost(host_, port_);
    if (!socket_.waitForConnected(3000)) {
        error_ = socket_.errorString();
        socket_.abort();
        return false;
    }
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

void TcpTransport::close() {
    if (socket_.state() == QAbstractSocket::UnconnectedState) return;
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.waitForDisconnected(100);
    socket_.abort();
}

bool TcpTransport::isOpen() const {
    return socket_.state() == QAbstractSocket::ConnectedState;
}

bool TcpTransport::writeByte(std::uint8_t byte) {
    if (!isOpen()) return false;
    const char c = char(byte);
    if (socket_.write(&c, 1) != 1) return false;
    if (socket_.bytesToWrite() > 0) socket_.waitForBytesWritten(100);
    return true;
}

std::optional<std::uint8_t> TcpTransport::readByte(int timeoutMs) {
    if (!isOpen() && socket_.bytesAvailable() == 0) return std::nullopt;
    if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(timeoutMs)) {
        if (socket_.error() == QAbstractSocket::RemoteHostClosedError)
            error_ = socket_.errorString();
        return std::nullopt;
    }
    char c = 0;
    if (socket_.read(&c, 1) != 1) return std::nullopt;
    return std::uint8_t(c);
}

bool TcpTransport::drain() {
    while (socket_.bytesToWrite() > 0)
        if (!socket_.waitForBytesWritten(100)) return false;
    return isOpen();
}

void TcpTransport::discardInput() {
    socket_.waitForReadyRead(0);
    socket_.readAll();
}

} // namespace vtl
