#pragma once

#include "link/DeviceServerSocket.h"
#include "link/TelnetComPortCodec.h"
#include "link/Transport.h"

#include <array>

namespace vtl {

// A serial device server reached as rfc2217://HOST:PORT: telnet with the COM port control option,
// so the rate, the data format, DTR and purges are set on the server's line from here.
class Rfc2217Transport final : public Transport {
public:
    // How long a request waits for the server's answer.
    static constexpr int ConfirmTimeoutMs = 500;
    // How long a server that hangs up while a session is set up is tried again.
    static constexpr int TurnAwayPatienceMs = 5000;

    Rfc2217Transport(QString host, quint16 port, Clock& clock = RealClock::instance());

    bool open(std::int32_t baudRate) override;
    void close() override { socket_.close(); }
    bool setRate(std::int32_t baudRate) override;
    bool isOpen() const override { return socket_.isOpen() && agreed_; }
    bool setQueueSizes(int, int) override { return true; }
    bool writeByte(std::uint8_t byte) override;
    std::optional<std::uint8_t> readByte(int timeoutMs) override;
    bool drain() override { return socket_.drain(); }
    void discardInput() override;
    void setDtr(bool on) override;
    QString errorText() const override;

    // "rfc2217://HOST:PORT" split into its parts; false when the name is not of that form.
    static bool parseName(const QString& name, QString* host, quint16* port);

private:
    using Request = TelnetComPortCodec::Request;
    // A new session's option agreement and line format; false when any is refused or lost.
    bool setUp(std::int32_t baudRate);
    bool negotiate();
    // Sends a request and waits (bounded) for its answer; nullopt when none came in time.
    std::optional<QByteArray> ask(const QByteArray& request, Request kind);
    bool setByte(Request kind, std::uint8_t value, const char* what);
    // Reads what the server sent, up to timeoutMs; false when nothing came.
    bool pump(int timeoutMs);

    DeviceServerSocket socket_;
    Clock& clock_;
    TelnetComPortCodec codec_;
    TelnetComPortCodec::Decoded in_;
    qsizetype next_ = 0;
    bool agreed_ = false;
    QString error_;
    // A request the server left unanswered once is not waited for again on this session.
    std::array<bool, 16> unanswered_{};
};

} // namespace vtl
