// Plays an arbitrary byte stream as the controller's side of one exchange, in both framings, on
// the in-memory line and the virtual clock: the preamble search, the reply header, the length, the
// data with its block sums and acknowledgements, and the closing sum. Whatever comes, the exchange
// must end within its own time budgets, say why it failed, never report more data than a reply
// may carry, and put the arrow cursor back.
#include "link/FrameExchange.h"
#include "link/PipeTransport.h"

#include <algorithm>
#include <cstdlib>
#include <span>

namespace {

using namespace vtl;

void check(bool condition) {
    if (!condition) std::abort();
}

constexpr std::int32_t LineRate = 38400;
constexpr std::int64_t ByteUs = 10'000'000 / LineRate;
// Far beyond any exchange's own budget of time-outs.
constexpr std::int64_t MaxExchangeUs = 120'000'000;
constexpr std::uint32_t MaxReplyLength = 4096;

// Sends the stream at the line rate from the moment it starts talking (when the line opens, if it
// polls first, or else when it hears the request), and holds back while the PC talks, as a
// controller on a half-duplex line answers only once the PC has finished.
class StreamPeer final : public LinePeer {
public:
    StreamPeer(std::span<const std::uint8_t> bytes, bool talksFirst)
        : bytes_(bytes), talksFirst_(talksFirst) {}

    void lineOpened(std::int32_t) override {
        if (talksFirst_ && lastUs_ < 0) lastUs_ = nowUs_;
    }
    void receive(std::uint8_t, std::int64_t nowUs) override { lastUs_ = std::max(lastUs_, nowUs); }
    void advance(std::int64_t nowUs) override { nowUs_ = nowUs; }
    std::optional<std::uint8_t> transmit() override {
        if (lastUs_ < 0 || at_ >= bytes_.size() || dueUs() > nowUs_) return std::nullopt;
        lastUs_ = dueUs();
        return bytes_[at_++];
    }
    std::int64_t nextEventUs() const override {
        return lastUs_ < 0 || at_ >= bytes_.size() ? Idle : dueUs();
    }

private:
    std::int64_t dueUs() const { return lastUs_ + ByteUs; }

    std::span<const std::uint8_t> bytes_;
    bool talksFirst_;
    std::size_t at_ = 0;
    std::int64_t lastUs_ = -1; // the last byte on the line, either way
    std::int64_t nowUs_ = 0;
};

class CursorWatch final : public UserInterface {
public:
    MessageAnswer message(const QString&, const QString&, MessageButtons buttons, MessageIcon,
                          const QString&) override {
        return safeAnswer(buttons);
    }
    void setTitle(const QString&) override {}
    void setWaitCursor(bool on) override { waiting = on; }
    void setStatus(const QString&) override {}
    bool waiting = false;
};

// Flags byte: bit 0 a write (else a read), bit 1 a panel address with bit 7 (the LAN extra byte),
// bit 2 a LAN controller, bit 3 Sub LAN: wait for the poll first.
void exchangeOnce(bool subLan, std::uint8_t flags, std::uint8_t writeLength,
                  std::span<const std::uint8_t> stream) {
    const bool waitForPoll = subLan && (flags & 8);
    StreamPeer peer(stream, waitForPoll);
    VirtualClock clock;
    CursorWatch ui;
    ConnectionState state;
    static TransferBuffers buffers;
    state.PortName = QStringLiteral("fuzz");
    state.BaudRate = LineRate;
    state.LinkMode = subLan ? LinkModeSubLan : LinkModeLan;
    state.PanelAddress = 5;
    state.IsLanController = (flags & 4) != 0;
    state.PollPending = waitForPoll;
    state.AddDelay = false;
    SerialLink link(state, clock, ui,
                    [&](const QString&) { return std::make_unique<PipeTransport>(peer, clock); });
    FrameExchange exchange(link, buffers);

    const std::uint8_t panel = (flags & 2) ? 0x85 : 5;
    const commands::RecordAddress record{16, 2, 0};
    bool ok;
    if (flags & 1) {
        std::array<std::uint8_t, 256 * 8> data{};
        ok = exchange.write(panel, record, std::span(data).first(std::size_t(writeLength) * 8));
    } else {
        ok = exchange.read(panel, record);
        if (ok) check(buffers.TransferLength <= MaxReplyLength);
    }
    check(ok != exchange.lastFailure().failed());
    check(clock.nowUs() < MaxExchangeUs);
    check(!ui.waiting);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) return 0;
    const std::span<const std::uint8_t> stream(bytes + 2, size - 2);
    for (const bool subLan : {false, true})
        exchangeOnce(subLan, bytes[0], bytes[1], stream);
    return 0;
}
