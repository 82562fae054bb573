#pragma once

#include "lan/LanControllerSettings.h"
#include "tests/support/SimSession.h"

#include <algorithm>

#include <QByteArray>

namespace vtl::test {

// A session connected to a simulated LAN controller at address 12 and 19200 baud, as the connect
// procedure leaves it; its settings block and BACnet block can be replaced before a read.
struct LanRig {
    explicit LanRig(sim::Model model = sim::Model::Lan490, int typeCode = -1,
                    std::optional<std::uint32_t> result = {})
        : sim(withResult(simOptions(model, 12, 19200, typeCode), result)) {
        sim.state.BaudRate = 19200;
        sim.state.PanelAddress = 127;
        sim.connectLan();
    }

    static constexpr sim::RecordKey SettingsKey{38, 0, 0};
    static constexpr sim::RecordKey BacnetKey{50, 0, 22};

    QByteArray settings() const { return sim.controller.peek(SettingsKey); }
    void setSettings(const QByteArray& block) { sim.controller.poke(SettingsKey, block); }
    // Frames the controller heard with this command byte.
    int requestsWithCommand(std::uint8_t command) const {
        int n = 0;
        for (const auto& f : sim.controller.framesNoted(QStringLiteral("request")))
            if (f.bytes.size() > 12 && std::uint8_t(f.bytes[12]) == command) ++n;
        return n;
    }

    static sim::ControllerOptions withResult(sim::ControllerOptions options,
                                             std::optional<std::uint32_t> result) {
        options.settingsResult = result;
        return options;
    }

    SimSession sim;
};

// A settings block whose every byte is set, so that nothing sent back goes unnoticed: cards 1, 2
// and 8 in use (1 inputs), the kind bits of every other card set, rates 9600 / 38400 / 115200 /
// 4800 / 19200 / 2400, modem on, address 12, Last Panel, "ATDT", SMTP 10.1.2.3, BACnet 76800, and
// 0xA0 + offset in every byte the window does not edit.
inline QByteArray richLanBlock() {
    QByteArray b(96, '\0');
    for (int i = 48; i < 96; ++i)
        b[i] = char(0xA0 + i);
    const char head[] = {char(0x83), char(0x7D), 12, 3, 1, 24, 6, 48, 1, 12, 1};
    b.replace(0, 11, QByteArray(head, 11));
    b.replace(11, 4, "ATDT");
    b.replace(43, 5, QByteArray::fromHex("0a010203b6"));
    return b;
}

inline LanSettingsBlock asBlock(const QByteArray& bytes) {
    LanSettingsBlock block{};
    std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), qsizetype(block.size())),
                block.begin());
    return block;
}

inline QByteArray bytesOf(const LanSettingsBlock& block) {
    return QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
}

} // namespace vtl::test
