#pragma once

#include "link/LinePeer.h"

#include <QByteArray>

#include <deque>
#include <set>
#include <utility>
#include <vector>

namespace vtl::test {

// A main panel at the far end of an in-memory line, in LAN framing with its 0x06 and 0x01
// handshakes: answers the settings and modem string reads, takes their writes and the clear, and
// stays silent for the commands it is told to ignore.
class MainPanelLinePeer final : public LinePeer {
public:
    struct Request {
        std::uint8_t panel, network, command, point, table;
        QByteArray data;   // what a write carried
        std::int64_t atUs; // when its last byte arrived
        std::int32_t lineRate;
    };

    QByteArray settings;
    QByteArray modemString;
    std::set<std::pair<std::uint8_t, std::uint8_t>> silentFor; // (command, point) left unanswered
    std::vector<Request> requests;

    void lineOpened(std::int32_t baudRate) override { rate_ = baudRate; }
    void receive(std::uint8_t byte, std::int64_t nowUs) override;
    void advance(std::int64_t) override {}
    std::optional<std::uint8_t> transmit() override;
    std::int64_t nextEventUs() const override { return Idle; }

private:
    enum class Stage { Preamble, Header, Length, Data, Sum, ClearZeros };

    void headerComplete();
    bool silent() const { return silentFor.count({current_.command, current_.point}) != 0; }
    void finish();
    void reply(const QByteArray& data);
    void send(const QByteArray& bytes);

    Stage stage_ = Stage::Preamble;
    QByteArray got_;
    Request current_{};
    std::uint32_t length_ = 0;
    std::uint8_t sum8_ = 0;
    std::int32_t rate_ = 0;
    std::deque<std::uint8_t> out_;
};

} // namespace vtl::test
