#include "link/SerialPortTransport.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace vtl {

SerialPortTransport::SerialPortTransport(QString portName) {
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
        error_ = describeOpenFailure(port_.portName(), port_.error(), port_.errorString());
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
    if (port_.isOpen()) port_.close();
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
        port_.clearError();
        // The other side went away: treat the port as closed so callers do not spin.
        if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
            error_ = port_.errorString();
            port_.close();
        }
        return std::nullopt;
    }
    char c = 0;
    if (port_.read(&c, 1) != 1) return std::nullopt;
    return std::uint8_t(c);
}

bool SerialPortTransport::drain() {
    if (!port_.isOpen()) return false;
    while (port_.bytesToWrite() > 0 && port_.waitForBytesWritten(100)) {
    }
#ifdef Q_OS_UNIX
    return ::tcdrain(port_.handle()) == 0;
#else
    return port_.flush() || port_.bytesToWrite() == 0;
#endif
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
#ifdef Q_OS_UNIX
        struct stat info {};
        QString path =
            portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
        if (::stat(path.toLocal8Bit().constData(), &info) == 0 &&
            ::access(path.toLocal8Bit().constData(), R_OK | W_OK) != 0) {
            const group* owner = ::getgrgid(info.st_gid);
            const QString groupName =
                owner ? QString::fromLocal8Bit(owner->gr_name) : QString::number(info.st_gid);
            return QStringLiteral("No permission to open %1: the user must be in the group "
                                  "\"%2\" that owns the device.")
                .arg(portName, groupName);
        }
#endif
        return QStringLiteral("%1 is in use by another program (%2).").arg(portName, systemText);
    }
    default:
        return QStringLiteral("%1 could not be opened (%2).").arg(portName, systemText);
    }
}

} // namespace vtl
