#pragma once

#include "link/PipeTransport.h"
#include "link/Session.h"
#include "sim/SimulatedController.h"
#include "tests/support/ScriptedUserInterface.h"

#include <memory>

namespace vtl::test {

// A session on the virtual clock whose port is an in-memory line to one simulated controller.
struct SimSession {
    explicit SimSession(const sim::ControllerOptions& options) : controller(options) {
        state.PortName = QStringLiteral("sim");
    }

    VirtualClock clock;
    ConnectionState state;
    TransferBuffers buffers;
    ScriptedUserInterface ui;
    sim::SimulatedController controller;
    bool failOpen = false;
    Session session{state, buffers, clock, ui, [this](const QString&) {
                        auto pipe = std::make_unique<PipeTransport>(controller, clock);
                        pipe->failOpen = failOpen;
                        return pipe;
                    }};
};

inline sim::ControllerOptions simOptions(sim::Model model, int address, int lineRate,
                                         int typeCode = -1) {
    sim::ControllerOptions options;
    options.model = model;
    options.address = address;
    options.lineRate = lineRate;
    options.typeCode = typeCode;
    return options;
}

} // namespace vtl::test
