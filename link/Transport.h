#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vtl {

// A byte pipe to a controller: a serial port, a serial device server over TCP, or an in-memory
// line to a simulated controller. The line is always 8 data bits, no parity, one stop bit, with
// RTS high; only the rate varies.
class Transport {
public:
    virtual ~Transport() = default;

    // Opens the line, closing it first if it is open. DTR starts low.
    virtual bool open(std::int32_t baudRate) = 0;
    // Waits (bounded) for what was written to leave, then closes.
    virtual void close() = 0;
    // A new rate for the open line, without closing it (a close and open would pulse DTR).
    virtual bool setRate(std::int32_t baudRate) = 0;
    virtual bool isOpen() const = 0;
    // Asks for input and output queues of these sizes; false when the system refuses.
    virtual bool setQueueSizes(int input, int output) = 0;
    virtual bool writeByte(std::uint8_t byte) = 0;
    // One byte, or nothing once timeoutMs has passed without one.
    virtual std::optional<std::uint8_t> readByte(int timeoutMs) = 0;
    // Waits until every byte written has left, at most as long as they take at the line rate and a
    // margin; false when they did not leave (then they are thrown away) or the system cannot tell.
    virtual bool drain() = 0;
    virtual void discardInput() = 0;
    virtual void setDtr(bool on) = 0;
    // The system's own words for the last failure, empty when it had none.
    virtual QString errorText() const = 0;
    // True where the rate belongs to someone else (a raw device server): setRate changes nothing.
    virtual bool fixedRate() const { return false; }
};

using TransportFactory = std::function<std::unique_ptr<Transport>(const QString& portName)>;

} // namespace vtl
