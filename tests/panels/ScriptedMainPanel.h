#pragma once

#include "link/Clock.h"
#include "link/TransferBuffers.h"
#include "panels/PanelExchange.h"

#include <QByteArray>

#include <cstdint>
#include <set>
#include <vector>

namespace vtl::test {

// A main panel behind the exchange seam: answers the settings and modem string reads from its
// records, keeps what is written, and fails the exchanges it is told to.
class ScriptedMainPanel {
public:
    struct Call {
        std::uint8_t panel, network, command, point, table;
        std::uint32_t transferLength;
        QByteArray sent; // the TransferLength bytes of TransferBuffer
        std::int64_t atUs;
    };

    ScriptedMainPanel(TransferBuffers& buffers, Clock& clock) : buffers_(buffers), clock_(clock) {}

    PanelExchange exchange();

    QByteArray settings = QByteArray::fromHex("0302060c180c0105000348656c6c6f210000");
    QByteArray modemString = QByteArray(32, 'M');
    std::set<std::uint8_t> failingCommands; // with failingPoints empty: every point
    std::set<std::uint8_t> failingPoints;
    std::vector<Call> calls;

    bool fails(std::uint8_t command, std::uint8_t point) const;
    QByteArray written(std::uint8_t point) const; // data of the last write to point

private:
    bool answer(std::uint8_t panel, std::uint8_t network, std::uint8_t command, std::uint8_t point,
                std::uint8_t table);

    TransferBuffers& buffers_;
    Clock& clock_;
};

} // namespace vtl::test
