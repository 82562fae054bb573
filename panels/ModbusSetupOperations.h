#pragma once

#include "panels/ModbusSettings.h"

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
    // Writes until the write succeeds or the user gives up; false when given up.
    bool ok(const ModbusView& view);

    Session& session() const { return s_; }

private:
    Session& s_;
};

} // namespace vtl
