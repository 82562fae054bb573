#pragma once

#include <QByteArray>

#include <cstdint>
#include <span>
#include <vector>

namespace vtl {

// The telnet layer of a device server that takes line settings over the connection (the COM port
// control option, 44). Bytes in, bytes out: no socket and no timer, so it is tested on byte tables.
// Only option 44 is accepted; every other option the server offers or asks for is refused.
class TelnetComPortCodec {
public:
    static constexpr std::uint8_t Iac = 0xFF;
    static constexpr std::uint8_t Dont = 0xFE;
    static constexpr std::uint8_t Do = 0xFD;
    static constexpr std::uint8_t Wont = 0xFC;
    static constexpr std::uint8_t Will = 0xFB;
    static constexpr std::uint8_t Sb = 0xFA;
    static constexpr std::uint8_t Se = 0xF0;
    static constexpr std::uint8_t ComPortOption = 44;
    // The server answers a request with its code plus this.
    static constexpr std::uint8_t ServerOffset = 100;

    enum class Request : std::uint8_t {
        SetBaudRate = 1,
        SetDataSize = 2,
        SetParity = 3,
        SetStopSize = 4,
        SetControl = 5,
        PurgeData = 12,
    };
    static constexpr std::uint8_t ParityNone = 1;
    static constexpr std::uint8_t OneStopBit = 1;
    static constexpr std::uint8_t DtrOn = 8;
    static constexpr std::uint8_t DtrOff = 9;
    // The server's buffer of bytes received from the line (not its transmit buffer, whose bytes
    // the controller has yet to hear).
    static constexpr std::uint8_t PurgeReceived = 1;

    enum class Agreement { Pending, Accepted, Refused };

    // What the server answered to a request: the request's code and the value it now has.
    struct Confirmation {
        Request request;
        QByteArray value;
        bool operator==(const Confirmation&) const = default;
    };
    // What one batch of received bytes held.
    struct Decoded {
        QByteArray data;  // line bytes, undoubled
        QByteArray reply; // negotiation answers to send back at once
        std::vector<Confirmation> confirmations;
    };

    // Line bytes to send: every 0xFF doubled.
    static QByteArray escape(std::span<const std::uint8_t> data);
    // A request with its value (a rate is four bytes, most significant first).
    static QByteArray request(Request request, std::span<const std::uint8_t> value);
    static QByteArray request(Request request, std::uint8_t value);
    static QByteArray setBaudRate(std::uint32_t rate);
    static std::uint32_t baudRateOf(const QByteArray& value);

    // The client's offer to control the port, sent once on connect.
    QByteArray offer();
    Agreement agreement() const { return agreement_; }

    // Bytes may be split anywhere, an IAC pair or a request included.
    void decode(std::span<const std::uint8_t> bytes, Decoded& out);

private:
    enum class State { Data, Iac, Option, Sub, SubIac };
    void negotiate(std::uint8_t verb, std::uint8_t option, Decoded& out);
    void endSub(Decoded& out);

    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    QByteArray sub_;
    bool offered_ = false;
    bool answeredServerWill_ = false;
    Agreement agreement_ = Agreement::Pending;
};

} // namespace vtl
