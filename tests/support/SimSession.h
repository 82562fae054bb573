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
        ui.clock = &clock;
    }

    // As the connect procedure leaves a LAN-framed controller.
    void connectLan() {
        state.LinkMode = LinkModeLan;
        const std::uint32_t code = std::uint32_t(controller.typeCode());
        state.PanelTypeCode = code;
        state.IsLanController = (code >= 490 && code <= 499) || (code >= 600 && code <= 699);
        state.IsBrinlet = code >= 600 && code <= 699;
        state.IsCode602 = code >= 602 && code <= 699;
    }
    // As it leaves a sub panel: its status read set the family flags and handed the bus back.
    // Forgets the frames and status texts of that read.
    bool connectSub() {
        state.LinkMode = LinkModeSubLan;
        state.PollPending = 1;
        state.ReleasePending = 1;
        buffers.TransferLength = 0;
        const bool ok =
            session.exchange.PanelTransaction(std::uint8_t(state.PanelAddress), 0, 38, 0, 0);
        controller.clearFrames();
        ui.statuses.clear();
        ui.statusTimesUs.clear();
        return ok;
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
