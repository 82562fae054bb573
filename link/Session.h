#pragma once

#include "link/ConnectionState.h"
#include "link/FrameExchange.h"
#include "link/SerialLink.h"
#include "link/TransferBuffers.h"

namespace vtl {

// Everything one connection works with, wired together. The program uses one for its whole run
// (over the process-wide records); each test makes its own.
struct Session {
    Session(ConnectionState& state, TransferBuffers& buffers, Clock& clock, UserInterface& ui,
            TransportFactory factory = openTransportFor)
        : state(state), buffers(buffers), clock(clock), ui(ui),
          link(state, clock, ui, std::move(factory)), exchange(link, buffers) {}

    ConnectionState& state;
    TransferBuffers& buffers;
    Clock& clock;
    UserInterface& ui;
    SerialLink link;
    FrameExchange exchange;
};

} // namespace vtl
