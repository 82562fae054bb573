#pragma once

#include "link/ConnectionState.h"
#include "link/FrameExchange.h"
#include "link/PortRegistry.h"
#include "link/SerialLink.h"
#include "link/TransferBuffers.h"

namespace vtl {

// Everything one connection works with, wired together. The program uses one for its whole run
// (over the process-wide records); each test makes its own.
struct Session {
    Session(ConnectionState& state_, TransferBuffers& buffers_, Clock& clock_, UserInterface& ui_,
            TransportFactory factory = openTransportFor)
        : state(state_), buffers(buffers_), clock(clock_), ui(ui_),
          link(state_, clock_, ui_, std::move(factory)), exchange(link, buffers_) {}

    ConnectionState& state;
    TransferBuffers& buffers;
    Clock& clock;
    UserInterface& ui;
    SerialLink link;
    FrameExchange exchange;
};

} // namespace vtl
