#pragma once

#include "link/ExchangeFailure.h"
#include "link/LineTrace.h"

#include <cstdint>

namespace vtl {

class SerialLink;

// What one exchange of the frame exchange puts into the line trace: the request once it has left,
// the reply (or the write acknowledgement) once it is complete, and on failure the frame it failed
// in with the check that failed. Does nothing while the link has no trace.
class ExchangeTrace {
public:
    explicit ExchangeTrace(SerialLink& link) : link_(link) {}

    void begin(bool subLan, std::uint8_t panel, std::uint8_t network, std::uint8_t command,
               std::uint8_t point, std::uint8_t table, std::uint32_t length);
    // "headerCheck", "blockSums", "dataAcks", "sum": true when it held.
    void check(const char* name, bool ok);
    void requestSent();
    void replyHeader(const std::uint8_t header[5]);
    void replyLength(std::uint32_t length) { reply_.length = length; }
    void replyReceived();
    void writeAcknowledged();
    void failed(const ExchangeFailure& failure);

private:
    LineTrace* trace() const;

    SerialLink& link_;
    TracedFrame request_;
    TracedFrame reply_;
    bool requestTraced_ = false;
    bool haveReply_ = false;
};

} // namespace vtl
