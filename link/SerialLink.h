#pragma once

#include "link/Clock.h"
#include "link/ConnectionState.h"
#include "link/LineTrace.h"
#include "link/Transport.h"
#include "link/UserInterface.h"

#include <cstdint>
#include <memory>

namespace vtl {

// The program's single serial port. OpenPort opens it with the current ConnectionState and keeps it
// open while the same port is used, applying a new rate to the open line: every open raises DTR,
// which would key an RS-485 transmitter on a bus the PC does not hold. ClosePort ends the
// connection.
class SerialLink {
public:
    // A one-byte read on a silent line returns after this long; the unit of patience of the
    // protocol.
    static constexpr int ReadTimeoutMs = 110;
    static constexpr int QueueSize = 4096;

    SerialLink(ConnectionState& state, Clock& clock, UserInterface& ui,
               TransportFactory factory = openTransportFor_);
    ~SerialLink();
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    static bool ProbePort(int index);
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
    // Why the open line went away under us (a device server dropped the session); empty while it
    // is open or was closed on purpose.
    QString lostLineReason() const {
        return transport_ && !openName_.isEmpty() && !transport_->isOpen() ? transport_->errorText()
                                                                           : QString();
    }
    Transport* transport() const { return transport_.get(); }
    // Where every byte, purge, DTR switch and rate change is written down; none when null.
    void setTrace(LineTrace* trace) { trace_ = trace; }
    LineTrace* trace() const { return trace_; }
    bool isOpen() const { return transport_ && transport_->isOpen(); }
    ConnectionState& state() const { return state_; }
    Clock& clock() const { return clock_; }
    UserInterface& ui() const { return ui_; }

private:
    static std::unique_ptr<Transport> openTransportFor_(const QString& portName);
    void traceEvent(const char* name, std::int32_t rate = 0);

    ConnectionState& state_;
    Clock& clock_;
    UserInterface& ui_;
    TransportFactory factory_;
    std::unique_ptr<Transport> transport_;
    QString openError_;
    QString openName_;
    std::int32_t openRate_ = 0;
    std::uint64_t reads_ = 0;
    LineTrace* trace_ = nullptr;
};

} // namespace vtl
