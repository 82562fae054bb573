#include "link/SerialPortTransport.h"

#include "link/SerialLinePlatform.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>

namespace vtl {

namespace {

// Time beyond the bytes' own time on the wire that a drain allows a slow adapter.
constexpr qint64 DrainMarginMs = 200;

} // namespace

SerialPortTransport::SerialPortTransport(const QString& portName) : name_(portName) {
    port_.setPortName(portName);
}

bool SerialPortTransport::open(std::int32_t baudRate) {
    close();
    error_.clear();
    port_.setBaudRate(baudRate);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        error_ = describeOpenFailure(name_, port_.error(), port_.errorString());
        port_.clearError();
        return false;
    }
    // A pseudo-terminal or some adapters have no modem lines; that must not fail the open.
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(true);
    port_.clearError();
    return true;
}

void SerialPortTransport::close() {
    if (!port_.isOpen()) return;
    // Closing puts back the line settings of before the open (Qt 6 has no switch for it): a byte
    // still leaving would change speed under way.
    drain();
    port_.close();
}

bool SerialPortTransport::setRate(std::int32_t baudRate) {
    if (!port_.isOpen()) return false;
    drain();
    const bool ok = port_.setBaudRate(baudRate);
    if (!ok) noteError();
    return ok;
}

bool SerialPortTransport::setQueueSizes(int input, int) {
    // Qt keeps its own unbounded queues; bounding the read side is all it lets us ask for.
    port_.setReadBufferSize(input);
    return true;
}

bool SerialPortTransport::writeByte(std::uint8_t byte) {
    if (!port_.isOpen()) return false;
    const char c = char(byte);
    if (port_.write(&c, 1) != 1) {
        noteError();
        return false;
    }
    // Without an event loop write() only queues; guard the wait, it blocks when nothing is queued.
    if (port_.bytesToWrite() > 0) port_.waitForBytesWritten(100);
    return true;
}

std::optional<std::uint8_t> SerialPortTransport::readByte(int timeoutMs) {
    if (!port_.isOpen()) return std::nullopt;
    // waitForReadyRead waits for new bytes only; look in Qt's buffer first.
    if (port_.bytesAvailable() == 0 && !port_.waitForReadyRead(timeoutMs)) {
        const auto error = port_.error();
        const QString systemText = port_.errorString();
        port_.clearError();
        // The other side went away: treat the port as closed so callers do not spin.
        if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
            error_ = QStringLiteral("%1 was removed or closed at the other end (%2)")
                         .arg(name_, systemText);
            port_.close();
        }
        return std::nullopt;
    }
    char c = 0;
    if (port_.read(&c, 1) != 1) return std::nullopt;
    return std::uint8_t(c);
}

// Waits while the queued bytes leave at the line rate, and no longer: a stalled adapter or a
// pseudo-terminal nobody reads must not hold the program. Past that the output is thrown away.
bool SerialPortTransport::drain() {
    if (!port_.isOpen()) return false;
    while (port_.bytesToWrite() > 0 && port_.waitForBytesWritten(100)) {
    }
    qint64 queued = platform::queuedOutput(port_);
    if (queued < 0) return port_.bytesToWrite() == 0;
    const qint64 rate = std::max<qint64>(port_.baudRate(), 50);
    const QDeadlineTimer deadline((queued + port_.bytesToWrite()) * 10 * 1000 / rate +
                                  DrainMarginMs);
    while (queued > 0 && !deadline.hasExpired()) {
        QThread::msleep(1);
        queued = platform::queuedOutput(port_);
    }
    if (queued == 0 && port_.bytesToWrite() == 0) return true;
    port_.clear(QSerialPort::Output);
    port_.clearError();
    return false;
}

void SerialPortTransport::discardInput() {
    if (!port_.isOpen()) return;
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

void SerialPortTransport::setDtr(bool on) {
    if (!port_.isOpen()) return;
    port_.setDataTerminalReady(on);
    port_.clearError();
}

void SerialPortTransport::noteError() {
    error_ = port_.errorString();
    port_.clearError();
}

QString describeOpenFailure(const QString& portName, QSerialPort::SerialPortError error,
                            const QString& systemText) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("%1 does not exist.").arg(portName);
    case QSerialPort::PermissionError: {
        if (QString rights = platform::permissionProblem(portName); !rights.isEmpty())
            return rights;
        return QStringLiteral("%1 is in use by another program (%2).").arg(portName, systemText);
    }
    default:
        return QStringLiteral("%1 could not be opened (%2).").arg(portName, systemText);
    }
}

} // namespace vtl
