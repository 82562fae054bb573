#pragma once

#include "link/CommandSet.h"
#include "link/ExchangeFailure.h"
#include "link/ExchangeTrace.h"
#include "link/LastReads.h"
#include "link/SerialLink.h"
#include "link/TransferBuffers.h"

#include <cstdint>
#include <span>

namespace vtl {

// The one request/response exchange with a controller, in Sub LAN or LAN framing as LinkMode says,
// and the two Sub LAN bus handshakes.
class FrameExchange {
public:
    FrameExchange(SerialLink& link, TransferBuffers& buffers);

    // Sends one request (and TransferBuffer's first TransferLength bytes) and waits for the write
    // acknowledgement or the reply. A command of 100 or more writes the record that command - 100
    // reads. Returns false on failure; only a port that will not open is reported ("COM Port
    // Error").
    bool PanelTransaction(std::uint8_t panel, std::uint8_t network, std::uint8_t command,
                          std::uint8_t point, std::uint8_t table);

    // Reads one record from a controller on the local network. On success its data is in
    // ReplyBuffer and TransferLength says how many bytes came.
    bool read(std::uint8_t panel, commands::RecordAddress record);
    // Writes one record: `record` is the address as it is read (its write command is used); an
    // address that is already a write (the memory clear) is sent as it is. The data is copied
    // into TransferBuffer unless it already lies at its start.
    bool write(std::uint8_t panel, commands::RecordAddress record,
               std::span<const std::uint8_t> data = {});

    // The latest good reply to each read of this connection; the connect procedure forgets them.
    LastReads& lastReads() { return lastReads_; }
    const LastReads& lastReads() const { return lastReads_; }

    // Why the last exchange failed; reason None after one that succeeded.
    const ExchangeFailure& lastFailure() const { return failure_; }
    // Sub LAN: waits for the poll to station 0 and answers it; leaves ReadTimedOut set if it gave
    // up (or the user asked to stop while the line was silent).
    void WaitForPoll();
    // Sub LAN: hands the bus back.
    void ReleaseBus();

    SerialLink& link() const { return link_; }
    TransferBuffers& buffers() const { return buffers_; }
    ConnectionState& state() const { return link_.state(); }

private:
    enum class PauseFor { Poll, Release };
    bool transact(std::uint8_t panel, std::uint8_t network, std::uint8_t command,
                  std::uint8_t point, std::uint8_t table);
    int speedPauseMs(PauseFor use) const;
    int fillByteCount() const;
    bool subLan() const;
    bool blockHandshakes() const;
    void writePreamble();
    bool awaitDataAck();
    bool sendDataSection(std::uint8_t command);
    void turnAround();
    bool awaitWriteAck(std::uint8_t command);
    bool receiveReply(std::uint8_t command, bool extraByte);
    bool findReplyHeader(std::uint8_t command, std::uint8_t header[5]);
    bool receiveData(std::uint32_t length);
    bool failSubLan(FailureReason reason, QString detail);
    bool cancelledWhileSilent() const;
    bool fail(FailureReason reason, QString detail);
    int readsSinceStart() const;

    SerialLink& link_;
    TransferBuffers& buffers_;
    ExchangeFailure failure_;
    ExchangeTrace trace_;
    std::uint64_t readsAtStart_ = 0;
    bool pollCancelled_ = false;
    LastReads lastReads_;
    std::uint8_t replyPoint_ = 0; // header bytes of the last reply
    std::uint8_t replyTable_ = 0;
};

} // namespace vtl
