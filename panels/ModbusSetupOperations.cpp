#include "panels/ModbusSetupOperations.h"

#include "history/KeepSnapshot.h"
#include "link/CommandSet.h"
#include "link/Session.h"
#include "panels/OperationQuestions.h"

#include <algorithm>

namespace vtl {

namespace C = commands;

bool ModbusSetupOperations::open(ModbusView& view) {
    auto& reply = s_.buffers.ReplyBuffer;
    std::fill_n(reply.begin(), C::ModbusSettingsSize, std::uint8_t(0));
    ModbusBytes bytes{};
    for (;;) {
        // The window hands the bus back itself.
        s_.state.ReleasePending = 0;
        if (s_.exchange.read(std::uint8_t(s_.state.PanelAddress), C::ModbusSettings)) {
            s_.exchange.ReleaseBus();
            // Only what this reply brought; a short one leaves the rest zero.
            const auto received = std::min<std::uint32_t>(s_.buffers.TransferLength, bytes.size());
            std::copy_n(reply.begin(), received, bytes.begin());
            read_ = bytes;
            view = modbusViewOf(bytes);
            return true;
        }
        if (!askRetry(s_, QStringLiteral("Problem Retrieving Modbus Configuration."))) {
            view = modbusViewOf(bytes);
            return false;
        }
    }
}

void ModbusSetupOperations::takeBack(const ModbusBytes& bytes, ModbusView& view) {
    read_ = bytes;
    view = modbusViewOf(bytes);
}

bool ModbusSetupOperations::ok(const ModbusView& view) {
    if (!read_) return false;
    const ModbusBytes bytes = modbusBytesOf(view, *read_);
    if (!keepSnapshot(s_, {WriteOperation::Modbus, {C::ModbusSettings}, {}, {}})) return false;
    for (;;) {
        s_.state.ReleasePending = 0;
        if (s_.exchange.write(std::uint8_t(s_.state.PanelAddress), C::ModbusSettings, bytes)) {
            s_.exchange.ReleaseBus();
            written_ = bytes;
            return true;
        }
        if (!askRetry(s_, QStringLiteral("Problem Writing Modbus Configuration."))) return false;
    }
}

} // namespace vtl
