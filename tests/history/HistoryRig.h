#pragma once

#include "history/HistoryFolder.h"
#include "link/Connect.h"
#include "link/PipeTransport.h"
#include "link/Session.h"
#include "sim/SimulatedController.h"
#include "tests/support/ScriptedUserInterface.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace vtl::test {

// The far end of the line as the controller hears it, noting when the history folder first held a
// snapshot: at the time of the byte heard right after it was written.
struct WatchedController final : LinePeer {
    WatchedController(sim::SimulatedController& c, QString folder)
        : controller(c), history(std::move(folder)) {}

    void lineOpened(std::int32_t rate) override { controller.lineOpened(rate); }
    void lineClosed() override { controller.lineClosed(); }
    void rateChanged(std::int32_t rate) override { controller.rateChanged(rate); }
    void drained() override { controller.drained(); }
    void dtrChanged(bool on) override { controller.dtrChanged(on); }
    void receive(std::uint8_t byte, std::int64_t nowUs) override {
        if (firstSnapshotUs < 0 && !QDir(history).entryList(QDir::Files).isEmpty())
            firstSnapshotUs = nowUs;
        controller.receive(byte, nowUs);
    }
    void advance(std::int64_t nowUs) override { controller.advance(nowUs); }
    std::optional<std::uint8_t> transmit() override { return controller.transmit(); }
    std::int64_t nextEventUs() const override { return controller.nextEventUs(); }

    sim::SimulatedController& controller;
    QString history;
    std::int64_t firstSnapshotUs = -1;
};

// A session on the virtual clock wired to one simulated controller through the watched line,
// with a history folder of its own (VTL_HISTORY_DIR) for the length of the test.
struct HistoryRig {
    explicit HistoryRig(const sim::ControllerOptions& options)
        : controller(options), watched(controller, historyPath()) {
        state.PortName = QStringLiteral("sim");
        ui.clock = &clock;
        previousFolder = qgetenv("VTL_HISTORY_DIR");
        qputenv("VTL_HISTORY_DIR", historyPath().toLocal8Bit());
    }
    ~HistoryRig() { qputenv("VTL_HISTORY_DIR", previousFolder); }

    QString historyPath() const { return dir.filePath(QStringLiteral("history")); }
    HistoryFolder history() const { return HistoryFolder(historyPath()); }
    std::vector<Snapshot> snapshots() const { return history().list().snapshots; }
    // Makes the history folder impossible to create: a file stands where it would go.
    void blockHistory() {
        const QString blocker = dir.filePath(QStringLiteral("blocker"));
        QFile(blocker).open(QIODevice::WriteOnly);
        qputenv("VTL_HISTORY_DIR", (blocker + QStringLiteral("/history")).toLocal8Bit());
    }

    // As the connection window's OK at the controller's own rate; the window found, or nullopt.
    std::optional<ControllerWindow> connect() {
        const int rates[] = {0, 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200};
        int position = 0;
        for (int i = 1; i < 9; ++i)
            if (rates[i] == controller.lineRate()) position = i;
        std::optional<ControllerWindow> found;
        Connect(session,
                {QStringLiteral("QOV"), QStringLiteral("sim"), position, controller.subLan()},
                [&found](ControllerWindow w) { found = w; });
        return found;
    }

    // The command byte of each request the controller heard, with the time of its first byte.
    std::vector<std::pair<std::uint8_t, std::int64_t>> requests() const {
        std::vector<std::pair<std::uint8_t, std::int64_t>> list;
        const int at = controller.subLan() ? 7 : 12; // after the preamble, panel and network
        for (const auto& f : controller.framesNoted(QStringLiteral("request")))
            if (f.bytes.size() > at) list.emplace_back(std::uint8_t(f.bytes[at]), f.timeUs);
        return list;
    }
    // When the first write request began, or -1 when none was heard.
    std::int64_t firstWriteUs() const {
        for (const auto& [command, timeUs] : requests())
            if (command >= commands::WriteOffset) return timeUs;
        return -1;
    }

    QTemporaryDir dir;
    QByteArray previousFolder;
    VirtualClock clock;
    ConnectionState state;
    TransferBuffers buffers;
    ScriptedUserInterface ui;
    sim::SimulatedController controller;
    WatchedController watched;
    Session session{state, buffers, clock, ui, [this](const QString&) {
                        return std::make_unique<PipeTransport>(watched, clock);
                    }};
};

inline sim::ControllerOptions controllerAt(sim::Model model, int address, int rate = 19200) {
    sim::ControllerOptions options;
    options.model = model;
    options.address = address;
    options.lineRate = rate;
    return options;
}

} // namespace vtl::test
