#pragma once

#include "link/Transport.h"

#include <QSerialPort>

namespace vtl {

// A real serial port through Qt SerialPort, used in blocking style without an event loop.
class SerialPortTransport final : public Transport {
public:
    explicit SerialPortTransport(const QString& portName);

    bool open(std::int32_t baudRate) override;
    void close() override;
    bool setRate(std::int32_t baudRate) override;
    bool isOpen() const override { return port_.isOpen(); }
    bool setQueueSizes(int input, int output) override;
    bool writeByte(std::uint8_t byte) override;
    std::optional<std::uint8_t> readByte(int timeoutMs) override;
    bool drain() override;
    void discardInput() override;
    void setDtr(bool on) override;
    QString errorText() const override { return error_; }

private:
    void noteError();

    QSerialPort port_;
    QString name_; // as given: QSerialPort names a device without its /dev/
    QString error_;
};

// Explains a failed open in the user's terms where the system told us why.
QString describeOpenFailure(const QString& portName, QSerialPort::SerialPortError error,
                            const QString& systemText);

} // namespace vtl
