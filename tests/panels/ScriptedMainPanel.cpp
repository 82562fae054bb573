#include "tests/panels/ScriptedMainPanel.h"

#include <algorithm>

namespace vtl::test {

PanelExchange ScriptedMainPanel::exchange() {
    return
        [this](std::uint8_t panel, std::uint8_t network, std::uint8_t command, std::uint8_t point,
               std::uint8_t table) { return answer(panel, network, command, point, table); };
}

bool ScriptedMainPanel::fails(std::uint8_t command, std::uint8_t point) const {
    return failingCommands.count(command) && (failingPoints.empty() || failingPoints.count(point));
}

QByteArray ScriptedMainPanel::written(std::uint8_t point) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->command >= 100 && it->point == point) return it->sent;
    return {};
}

bool ScriptedMainPanel::answer(std::uint8_t panel, std::uint8_t network, std::uint8_t command,
                               std::uint8_t point, std::uint8_t table) {
    const auto length = buffers_.TransferLength;
    calls.push_back({panel, network, command, point, table, length,
                     QByteArray(reinterpret_cast<const char*>(buffers_.TransferBuffer.data()),
                                qsizetype(length)),
                     clock_.nowUs()});
    if (fails(command, point)) return false;
    if (command == 38) {
        const QByteArray& record = point == 49 ? settings : modemString;
        std::copy(record.begin(), record.end(), buffers_.ReplyBuffer.begin());
        buffers_.TransferLength = std::uint32_t(record.size());
    }
    return true;
}

} // namespace vtl::test
