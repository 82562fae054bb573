#include "link/DeviceServerSocket.h"

#include "link/Log.h"

#include <QUrl>

namespace vtl {
namespace {

constexpr int ConnectTimeoutMs = 3000;
constexpr int FirstPauseMs = 50;
constexpr int WriteTimeoutMs = 1000;

bool worthAnotherTry(QAbstractSocket::SocketError error) {
    return error == QAbstractSocket::ConnectionRefusedError ||
           error == QAbstractSocket::RemoteHostClosedError ||
           error == QAbstractSocket::NetworkError;
}

} // namespace

bool parseServerName(const QString& name, const QString& scheme, QString* host, quint16* port) {
    const QUrl url(name, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != scheme || url.host().isEmpty() || url.port() <= 0 ||
        (!url.path().isEmpty() && url.path() != QLatin1String("/")))
        return false;
    if (host) *host = url.host();
    if (port) *port = quint16(url.port());
    return true;
}

DeviceServerSocket::DeviceServerSocket(QString host, quint16 port, Clock& clock)
    : host_(std::move(host)), port_(port), clock_(clock) {}

bool DeviceServerSocket::connectToServer() {
    close();
    error_.clear();
    const std::int64_t giveUpUs = clock_.nowUs() + std::int64_t(ConnectPatienceMs) * 1000;
    int pauseMs = FirstPauseMs;
    for (;;) {
        if (tryConnect()) return true;
        if (!worthAnotherTry(socket_.error()) || clock_.nowUs() + pauseMs * 1000 > giveUpUs)
            return false;
        qCInfo(lcLink).noquote() << error_ << "- trying again in" << pauseMs << "ms";
        clock_.sleepMs(pauseMs);
        pauseMs *= 2;
    }
}

bool DeviceServerSocket::tryConnect() {
    socket_.abort();
    socket_.connectToHost(host_, port_);
    ++connects_;
    if (socket_.waitForConnected(ConnectTimeoutMs)) {
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        error_.clear();
        inSession_ = true;
        qCInfo(lcLink).noquote() << "connected to" << address();
        return true;
    }
    switch (socket_.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        error_ = QStringLiteral("connection refused by %1").arg(address());
        break;
    case QAbstractSocket::HostNotFoundError:
        error_ = QStringLiteral("%1 not found").arg(host_);
        break;
    case QAbstractSocket::SocketTimeoutError:
        error_ = QStringLiteral("no answer from %1").arg(address());
        break;
    default:
        error_ = QStringLiteral("%1: %2").arg(address(), socket_.errorString());
    }
    socket_.abort();
    return false;
}

void DeviceServerSocket::close() {
    inSession_ = false;
    if (socket_.state() == QAbstractSocket::UnconnectedState) return;
    drain();
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.waitForDisconnected(100);
    socket_.abort();
}

bool DeviceServerSocket::isOpen() const {
    return socket_.state() == QAbstractSocket::ConnectedState;
}

void DeviceServerSocket::noteLoss() {
    if (!inSession_ || !error_.isEmpty()) return;
    error_ = socket_.error() == QAbstractSocket::RemoteHostClosedError
                 ? QStringLiteral("closed by the server")
                 : QStringLiteral("session to %1 lost: %2").arg(address(), socket_.errorString());
    qCInfo(lcLink).noquote() << address() << error_;
}

bool DeviceServerSocket::send(const QByteArray& bytes) {
    if (!isOpen()) return false;
    if (socket_.write(bytes) != bytes.size()) {
        noteLoss();
        return false;
    }
    // Without an event loop nothing leaves until we wait for it.
    while (socket_.bytesToWrite() > 0)
        if (!socket_.waitForBytesWritten(WriteTimeoutMs)) {
            if (!isOpen()) noteLoss();
            return false;
        }
    return true;
}

QByteArray DeviceServerSocket::receive(int timeoutMs) {
    if (socket_.bytesAvailable() == 0 && isOpen()) socket_.waitForReadyRead(timeoutMs);
    QByteArray bytes = socket_.readAll();
    // The server may close right after its last bytes: the loss shows on the read after them.
    if (bytes.isEmpty() && !isOpen()) noteLoss();
    return bytes;
}

bool DeviceServerSocket::drain() {
    while (socket_.bytesToWrite() > 0)
        if (!socket_.waitForBytesWritten(100)) return false;
    return isOpen();
}

} // namespace vtl
