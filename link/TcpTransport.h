#pragma once

#include "link/DeviceServerSocket.h"
#include "link/Transport.h"

namespace vtl {

// A serial device server reached as tcp://HOST:PORT: the bytes go to the line as they are. The
// server owns the line settings, so the rate is not sent and DTR does nothing.
class TcpTransport final : public Transport {
public:
    TcpTransport(QString host, quint16 port, Clock& clock = RealClock::instance());

    bool open(std::int32_t baudRate) override;
    void close() override;
    // A raw TCP server has no way to be told a rate; the server's own applies.
    bool setRate(std::int32_t) override { return isOpen(); }
    bool isOpen() const override { return socket_.isOpen(); }
    bool setQueueSizes(int, int) override { return true; }
    bool writeByte(std::uint8_t byte) override;
    std::optional<std::uint8_t> readByte(int timeoutMs) override;
    bool drain() override { return socket_.drain(); }
    void discardInput() override;
    void setDtr(bool) override {}
    QString errorText() const override { return socket_.errorText(); }
    bool fixedRate() const override { return true; }

    // "tcp://HOST:PORT" split into its parts; false when the name is not of that form.
    static bool parseName(const QString& name, QString* host, quint16* port);

private:
    DeviceServerSocket socket_;
    QByteArray pending_;
    qsizetype next_ = 0;
};

} // namespace vtl
