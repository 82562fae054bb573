#pragma once

#include <QString>
#include <cstdint>

namespace vtl {

// Why an exchange with a controller failed. The protocol's own messages never change; this is the
// account beneath them, for the command line, the log and the tests.
enum class FailureReason {
    None,
    PortNotOpen,      // the port would not open, or failed earlier in this connection
    NoPoll,           // Sub LAN: the controller never polled station 0
    NoReply,          // nothing at all came back
    PreambleNotFound, // bytes came, but no reply frame for us among them
    HeaderCheck,      // Sub LAN: the reply header's check byte was wrong
    LengthOverLimit,  // a request or reply longer than the buffers allow
    DataTimeout,      // the reply's data stopped part way
    BlockCheck,       // LAN: a 128-byte block's check byte was wrong
    DataSum,          // the reply's closing sum was wrong
    NotAcknowledged,  // a write or a data block was never acknowledged
    Refused,          // the controller answered 0x15
    ConnectionLost,   // a device server dropped the session under the exchange
    Cancelled,        // the user (or the end of the program) stopped the wait for the controller
};

struct ExchangeFailure {
    FailureReason reason = FailureReason::None;
    std::int32_t baudRate = 0;
    int reads = 0;  // bytes read (or read attempts that timed out) during the exchange
    QString detail; // what the reason alone does not say: sums, counts, the system's words

    bool failed() const { return reason != FailureReason::None; }
    // One line, for example "no reply at 38400 baud after 11 reads".
    QString describe() const;
};

QString toString(FailureReason reason);

} // namespace vtl
