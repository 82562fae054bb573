#pragma once

#include "link/Clock.h"
#include "link/ConnectionState.h"
#include "link/Transport.h"
#include "link/UserInterface.h"

#include <cstdint>
#include <memory>

namespace vtl {

// The program's single serial port. It is reopened by every OpenPort with the current
// ConnectionState, so a new rate takes effect at the next exchange.
class SerialLink {
public:
    // A one-byte read on a silent line returns after this long; the unit of patience of the
    // protocol.
    static constexpr int ReadTimeoutMs = 110;
    static constexpr int QueueSize = 4096;

    SerialLink(ConnectionState& state, Clock& clock, UserInterface& ui,
               TransportFactory factory = openTransportFor_);

    bool ProbePort(int index);
    bool OpenPort();
    bool WriteByte(std::uint8_t byte);
    std::uint8_t ReadByte();
    void PurgePort();
    void SetTransmitLine(bool on);
    // Waits until everything written has left the PC.
    bool FlushPort();
    void ClosePort();

    // Set by ReadByte when nothing arrived, cleared when a byte did.
    bool ReadTimedOut = false;
    // Every ReadByte so far, answered or not: exchanges count their reads with it.
    std::uint64_t readCount() const { return reads_; }

    // Why the last OpenPort failed, in the system's words where it gave any.
    QString lastOpenError() const { return openError_; }
    Transport* transport() const { return transport_.get(); }
    ConnectionState& state() const { return state_; }
    Clock& clock() const { return clock_; }
    UserInterface& ui() const { return ui_; }

private:
    static std::unique_ptr<Transport> openTransportFor_(const QString& portName);

    ConnectionState& state_;
    Clock& clock_;
    UserInterface& ui_;
    TransportFactory factory_;
    std::unique_ptr<Transport> transport_;
    QString openError_;
    std::uint64_t reads_ = 0;
};

} // namespace vtl
