#pragma once

// A session whose line is an in-memory one to a simulated controller, at the real line's pace, for
// tests of real windows with their event loops running.
#include "link/PipeTransport.h"
#include "link/Session.h"
#include "shell/QtUserInterface.h"
#include "sim/SimulatedController.h"

#include <atomic>
#include <memory>

namespace vtl::test {

inline sim::ControllerOptions options(sim::Model model, int address, int rate) {
    sim::ControllerOptions o;
    o.model = model;
    o.address = address;
    o.lineRate = rate;
    // On the real clock a busy machine may be slow to answer a poll, as vtl-sim allows for too.
    o.pollWindowUs = 300'000;
    return o;
}

// Passes the bytes on until `silent` is set; from then on the controller hears and says nothing.
class SilenceableLine final : public Transport {
public:
    SilenceableLine(std::unique_ptr<Transport> inner, const std::atomic<bool>& silent)
        : inner_(std::move(inner)), silent_(silent) {}
    bool open(std::int32_t rate) override { return inner_->open(rate); }
    void close() override { inner_->close(); }
    bool setRate(std::int32_t rate) override { return inner_->setRate(rate); }
    bool isOpen() const override { return inner_->isOpen(); }
    bool setQueueSizes(int in, int out) override { return inner_->setQueueSizes(in, out); }
    bool writeByte(std::uint8_t byte) override { return silent_ || inner_->writeByte(byte); }
    std::optional<std::uint8_t> readByte(int timeoutMs) override {
        if (!silent_) return inner_->readByte(timeoutMs);
        RealClock::instance().sleepMs(timeoutMs);
        return std::nullopt;
    }
    bool drain() override { return inner_->drain(); }
    void discardInput() override { inner_->discardInput(); }
    void setDtr(bool on) override { inner_->setDtr(on); }
    QString errorText() const override { return inner_->errorText(); }

private:
    std::unique_ptr<Transport> inner_;
    const std::atomic<bool>& silent_;
};

struct RealTimeRig {
    explicit RealTimeRig(const sim::ControllerOptions& o) : controller(o) {
        state.PortName = QStringLiteral("sim");
        state.BaudRate = o.lineRate;
        state.PanelAddress = std::uint32_t(o.address);
    }
    std::unique_ptr<Transport> line() {
        return std::make_unique<SilenceableLine>(
            std::make_unique<PipeTransport>(controller, RealClock::instance()), silent);
    }

    ConnectionState state;
    TransferBuffers buffers;
    QtUserInterface ui;
    sim::SimulatedController controller;
    std::atomic<bool> silent{false};
    Session session{state, buffers, RealClock::instance(), ui,
                    [this](const QString&) { return line(); }};
};

} // namespace vtl::test
