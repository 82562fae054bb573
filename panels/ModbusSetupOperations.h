#pragma once

#include "panels/ModbusSettings.h"

#include <optional>

namespace vtl {

struct Session;

// What the ModBus Setup window does with the sub panel: read the settings when it opens, write
// them on OK. Each successful exchange is followed by the window's own bus release.
class ModbusSetupOperations {
public:
    explicit ModbusSetupOperations(Session& session) : s_(session) {}

    // Reads until the read succeeds or the user gives up; false when given up, and the view then
    // shows the zeroed record (RTU, "???", "N-8-1"), never bytes of the failed exchanges.
    bool open(ModbusView& view);
    // OK is offered only once the settings were read: the zeroed record of a read given up is not
    // the controller's.
    bool canWrite() const { return read_.has_value(); }
    // Writes until the write succeeds or the user gives up; false when given up, and at once,
    // writing nothing, when the settings were never read.
    bool ok(const ModbusView& view);
    // Makes a snapshot's record the one OK writes over and shows it, so that OK writes it back.
    void takeBack(const ModbusBytes& bytes, ModbusView& view);

    // The record read, and the one last written.
    const std::optional<ModbusBytes>& lastRead() const { return read_; }
    const std::optional<ModbusBytes>& lastWritten() const { return written_; }
    Session& session() const { return s_; }

private:
    Session& s_;
    std::optional<ModbusBytes> read_;
    std::optional<ModbusBytes> written_;
};

} // namespace vtl
