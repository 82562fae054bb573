#pragma once

#include "link/Transport.h"

#include <QTcpSocket>

namespace vtl {

// A serial device server reached as tcp://HOST:PORT. The server owns the line settings, so the
// rate is not sent and DTR does nothing.
class TcpTransport final : public Transport {
public:
    TcpTransport(QString host, quint16 port);

    bool open(std::int32_t baudRate) override;
    void close() override;
    // A raw TCP server has no way to be told a rate; the controller's own applies.
    bool setRate(std::int32_t) override { return isOpen(); }
    bool isOpen() const override;
    bool setQueueSizes(int, int) override { return true; }
    bool writeByte(std::uint8_t byte) override;
    std::optional<std::uint8_t> readByte(int timeoutMs) override;
    bool drain() override;
    void discardInput() override;
    void setDtr(bool) override {}
    QString errorText() const override { return error_; }

    // "tcp://HOST:PORT" split into its parts; false when the name is not of that form.
    static bool parseName(const QString& name, QString* host, quint16* port);

private:
    QString host_;
    quint16 port_;
    QTcpSocket socket_;
    QString error_;
};

} // namespace vtl
