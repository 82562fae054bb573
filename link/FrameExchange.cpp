#include "link/FrameExchange.h"

#include "link/CommandSet.h"
#include "link/Log.h"
#include "link/PreambleSearch.h"

#include <algorithm>

namespace vtl {

namespace cmd = commands;

namespace {

// A reply may never fill more than this much of ReplyBuffer.
static_assert(TransferBuffers::MaxReply <= TransferBuffers::Size);

constexpr int LanFramePauseMs = 300;
constexpr int ReleaseSettleMs = 100;
constexpr int SubLanChunk = 32;
constexpr int SubLanChunkPauseMs = 96;
constexpr int LanBlock = 128;
constexpr int ClearAckDelayMs = 2000;
constexpr int WriteAckReads = 150;
constexpr int SubLanReplyBudget = 100;
constexpr int LanReplyBudget = 25;
constexpr int MaxDataTimeouts = 10;
constexpr double PollPatience = 750.0;
// Frames that never poll station 0 give up after this long, as silence does.
constexpr std::int64_t PollLimitUs = 30'000'000;
constexpr std::uint8_t FillByte = 0xFF;

// Holds the wait cursor for one exchange and puts the arrow back on every way out.
class WaitCursor {
public:
    explicit WaitCursor(UserInterface& ui) : ui_(ui) { ui_.setWaitCursor(true); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore() {
        if (on_) ui_.setWaitCursor(false);
        on_ = false;
    }

private:
    UserInterface& ui_;
    bool on_ = true;
};

// Bits 2-4 of an identification reply's table byte.
std::int32_t lineBaudFromCode(std::uint8_t code) {
    switch (code) {
    case 0:
        return 19200;
    case 1:
        return 9600;
    case 2:
        return 4800;
    case 3:
        return 2400;
    case 4:
        return 1200;
    default:
        return 38400;
    }
}

// What a reply header tells about the controller, kept in the connection state.
void applyReplySideEffects(ConnectionState& st, const std::uint8_t header[5]) {
    const std::uint8_t reply = header[2];
    const std::uint8_t b3 = header[3];
    const std::uint8_t b4 = header[4];
    st.Table5Point = 0;
    if (reply == cmd::replyOf(cmd::RoutingTable.command) && (b4 & 0x0F) == 5) st.Table5Point = b3;
    if (reply == cmd::replyOf(cmd::Status.command)) {
        st.StatusFlag7 = (b4 >> 7) & 1;
        st.StatusFlag6 = ((b4 >> 6) & 1) || (b4 & 0x02) ? 1 : 0;
        st.StatusFlag1 = (b4 >> 1) & 1;
        st.StatusIsC1 = b4 == 0xC1;
    }
    if (reply == cmd::replyOf(cmd::Identification.command) ||
        reply == cmd::replyOf(cmd::IdentificationAlternate)) {
        st.PanelAddress = b3;
        st.PanelLineBaud = lineBaudFromCode((b4 >> 2) & 0x07);
        st.IdentFlag0 = b4 & 1;
        st.IdentFlag5 = (b4 >> 5) & 1;
    }
}

void traceEvent(const SerialLink& link, const char* name) {
    if (LineTrace* trace = link.trace()) trace->event(QString::fromLatin1(name));
}

} // namespace

FrameExchange::FrameExchange(SerialLink& link, TransferBuffers& buffers)
    : link_(link), buffers_(buffers), trace_(link) {}

bool FrameExchange::subLan() const {
    return state().LinkMode == LinkModeSubLan;
}

// In LAN framing data blocks carry 8-bit sums and 0x06 handshakes every 128 bytes, except with a
// LAN controller, which takes plain data and a 16-bit sum like a Sub LAN.
bool FrameExchange::blockHandshakes() const {
    return state().LinkMode == LinkModeLan && !state().IsLanController;
}

int FrameExchange::speedPauseMs(PauseFor use) const {
    const std::int32_t rate = state().BaudRate;
    if (rate >= 9600) return 5;
    if (rate >= 4800) return 10;
    if (rate >= 2400) return 20;
    return use == PauseFor::Poll ? 30 : 40;
}

// The controller needs a byte time or two after the request before the transmitter drops.
int FrameExchange::fillByteCount() const {
    const std::int32_t rate = state().BaudRate;
    if (rate >= 4800) return 1;
    return rate == 2400 ? 2 : 0;
}

void FrameExchange::writePreamble() {
    if (subLan())
        for (auto b : SubLanPreamble)
            link_.WriteByte(b);
    else
        for (auto b : LanPreamble)
            link_.WriteByte(b);
}

bool FrameExchange::PanelTransaction(std::uint8_t panel, std::uint8_t network, std::uint8_t command,
                                     std::uint8_t point, std::uint8_t table) {
    const bool ok = transact(panel, network, command, point, table);
    if (ok && !cmd::isWrite(command))
        lastReads_.keep(
            panel, {command, point, table}, replyPoint_, replyTable_,
            std::span(buffers_.ReplyBuffer.data(),
                      std::min<std::size_t>(buffers_.TransferLength, buffers_.ReplyBuffer.size())));
    return ok;
}

bool FrameExchange::transact(std::uint8_t panel, std::uint8_t network, std::uint8_t command,
                             std::uint8_t point, std::uint8_t table) {
    ConnectionState& st = state();
    failure_ = {};
    readsAtStart_ = link_.readCount();
    trace_.begin(subLan(), panel, network, command, point, table, buffers_.TransferLength);
    link_.ui().setFailureReason({});
    WaitCursor cursor(link_.ui());
    const std::uint8_t extra = (st.LinkMode == LinkModeLan && ((panel | network) & 0x80))
                                   ? std::uint8_t(st.PanelAddress)
                                   : 0;
    // A caller asking for more than TransferBuffer holds would send memory that is not ours.
    if (buffers_.TransferLength > TransferBuffers::Size)
        return fail(FailureReason::LengthOverLimit,
                    QStringLiteral("refused to send %1 bytes from a buffer of %2")
                        .arg(buffers_.TransferLength)
                        .arg(TransferBuffers::Size));

    if (!link_.OpenPort()) {
        cursor.restore();
        st.LinkMode = LinkModePortFailed;
        fail(FailureReason::PortNotOpen, link_.lastOpenError());
        link_.ui().message(QStringLiteral("COM Port Error"), QStringLiteral("Message"),
                           MessageButtons::Ok, MessageIcon::None, link_.lastOpenError());
        return false;
    }
    if (st.LinkMode == LinkModePortFailed)
        return fail(FailureReason::PortNotOpen, QStringLiteral("the port failed earlier"));

    if (subLan() && st.PollPending) {
        WaitForPoll();
        if (link_.ReadTimedOut) {
            link_.ReadTimedOut = false;
            return fail(pollCancelled_ ? FailureReason::Cancelled : FailureReason::NoPoll,
                        QStringLiteral("request not sent"));
        }
    }

    link_.SetTransmitLine(true);
    link_.PurgePort();
    if (!subLan()) link_.clock().sleepMs(LanFramePauseMs);

    writePreamble();
    for (std::uint8_t b : {panel, network, command, point, table})
        link_.WriteByte(b);
    if (subLan())
        link_.WriteByte(std::uint8_t(panel + network + command + point + table));
    else if (extra)
        link_.WriteByte(extra);

    if (!sendDataSection(command)) return false;
    if (subLan()) turnAround();
    trace_.requestSent();

    if (cmd::isWrite(command)) return awaitWriteAck(command);
    return receiveReply(command, extra != 0);
}

bool FrameExchange::read(std::uint8_t panel, cmd::RecordAddress record) {
    buffers_.TransferLength = 0;
    return PanelTransaction(panel, cmd::LocalNetwork, record.command, record.point, record.table);
}

bool FrameExchange::write(std::uint8_t panel, cmd::RecordAddress record,
                          std::span<const std::uint8_t> data) {
    if (data.size() > TransferBuffers::Size) {
        failure_ = {};
        readsAtStart_ = link_.readCount();
        trace_.begin(subLan(), panel, cmd::LocalNetwork, record.command, record.point, record.table,
                     std::uint32_t(data.size()));
        return fail(FailureReason::LengthOverLimit,
                    QStringLiteral("refused to send %1 bytes from a buffer of %2")
                        .arg(data.size())
                        .arg(TransferBuffers::Size));
    }
    if (data.data() != buffers_.TransferBuffer.data())
        std::copy(data.begin(), data.end(), buffers_.TransferBuffer.begin());
    buffers_.TransferLength = std::uint32_t(data.size());
    const cmd::RecordAddress sent = cmd::isWrite(record.command) ? record : cmd::writeOf(record);
    return PanelTransaction(panel, cmd::LocalNetwork, sent.command, sent.point, sent.table);
}

int FrameExchange::readsSinceStart() const {
    return int(link_.readCount() - readsAtStart_);
}

bool FrameExchange::fail(FailureReason reason, QString detail) {
    // A silence after the session was dropped is explained by the drop.
    if (const QString lost = link_.lostLineReason();
        !lost.isEmpty() && reason != FailureReason::PortNotOpen) {
        reason = FailureReason::ConnectionLost;
        detail = lost;
    }
    failure_.reason = reason;
    failure_.baudRate = effectiveBaudRate(state());
    failure_.reads = readsSinceStart();
    failure_.detail = std::move(detail);
    qCInfo(lcLink).noquote() << "exchange failed:" << failure_.describe();
    link_.ui().setFailureReason(failure_.describe());
    trace_.failed(failure_);
    return false;
}

// Reads up to two bytes for the controller's 0x06.
bool FrameExchange::awaitDataAck() {
    bool refused = false;
    for (int i = 0; i < 2; ++i) {
        const std::uint8_t b = link_.ReadByte();
        if (b == cmd::DataAcknowledged) {
            trace_.check("dataAcks", true);
            return true;
        }
        refused = refused || (b == cmd::Refused && !link_.ReadTimedOut);
    }
    trace_.check("dataAcks", false);
    return fail(refused ? FailureReason::Refused : FailureReason::NotAcknowledged,
                QStringLiteral("data block not acknowledged with 0x06"));
}

bool FrameExchange::sendDataSection(std::uint8_t command) {
    const std::uint32_t length = buffers_.TransferLength;
    if (length == 0) {
        if (cmd::isWrite(command)) {
            link_.WriteByte(0);
            link_.WriteByte(0);
        }
        return true;
    }
    const bool handshakes = blockHandshakes();
    if (handshakes && !awaitDataAck()) return false;
    link_.WriteByte(std::uint8_t(length));
    link_.WriteByte(std::uint8_t(length >> 8));

    std::uint16_t sum16 = 0;
    std::uint8_t sum8 = 0;
    for (std::uint32_t i = 0; i < length; ++i) {
        const std::uint8_t b = buffers_.TransferBuffer[i];
        link_.WriteByte(b);
        sum16 = std::uint16_t(sum16 + b);
        sum8 = std::uint8_t(sum8 + b);
        const std::uint32_t sent = i + 1;
        if (subLan() && (length - sent) % SubLanChunk == 0)
            link_.clock().sleepMs(SubLanChunkPauseMs);
        if (handshakes && sent % LanBlock == 0) {
            link_.WriteByte(sum8);
            if (!awaitDataAck()) return false;
        }
    }
    if (handshakes) {
        if (length % LanBlock != 0) link_.WriteByte(sum8);
    } else {
        link_.WriteByte(std::uint8_t(sum16));
        link_.WriteByte(std::uint8_t(sum16 >> 8));
    }
    return true;
}

void FrameExchange::turnAround() {
    const int fill = fillByteCount();
    for (int i = 0; i < fill; ++i)
        link_.WriteByte(FillByte);
    // A write returns when the bytes are queued, not sent: the transmitter must stay on until the
    // end of the request has left.
    link_.FlushPort();
    link_.SetTransmitLine(false);
    for (int i = 0; i < fill; ++i)
        link_.WriteByte(FillByte);
}

bool FrameExchange::awaitWriteAck(std::uint8_t command) {
    ConnectionState& st = state();
    if (subLan() && command == cmd::ClearMemory.command) link_.clock().sleepMs(ClearAckDelayMs);
    bool acknowledged = false;
    bool refused = false;
    bool cancelled = false;
    for (int i = 0; i < WriteAckReads; ++i) {
        const std::uint8_t b = link_.ReadByte();
        if (b == cmd::WriteAcknowledged) {
            acknowledged = true;
            break;
        }
        if (cancelledWhileSilent()) {
            cancelled = true;
            break;
        }
        refused = refused || (b == cmd::Refused && !link_.ReadTimedOut);
        // The start of some other frame: no acknowledgement is coming.
        if (b == SubLanPreamble[0] || b == LanPreamble[0]) break;
    }
    if (cancelled)
        return failSubLan(FailureReason::Cancelled,
                          QStringLiteral("while waiting for the acknowledgement"));
    // A Sub LAN controller with status flag 7 clears without a word; a LAN-framed one always
    // answers.
    if (!acknowledged && command == cmd::ClearMemory.command && subLan() && st.StatusFlag7) {
        qCInfo(lcLink) << "memory clear not acknowledged; taken as done (status flag 7)";
        acknowledged = true;
    }
    if (!acknowledged)
        return failSubLan(refused ? FailureReason::Refused : FailureReason::NotAcknowledged,
                          QStringLiteral("write command %1").arg(command));
    trace_.writeAcknowledged();
    if (subLan() && st.ReleasePending) ReleaseBus();
    return true;
}

// Asked after every read that timed out: a wait for the controller ends within one read's time-out
// of Cancel, and fails as a silent controller would.
bool FrameExchange::cancelledWhileSilent() const {
    return link_.ReadTimedOut && link_.ui().cancelRequested();
}

// Every failure that leaves the Sub LAN controller waiting on us hands the bus back.
bool FrameExchange::failSubLan(FailureReason reason, QString detail) {
    fail(reason, std::move(detail));
    if (subLan()) ReleaseBus();
    return false;
}

bool FrameExchange::findReplyHeader(std::uint8_t command, std::uint8_t header[5]) {
    PreambleSearch search =
        subLan() ? PreambleSearch::subLan(PreambleSearch::Variant::Reply) : PreambleSearch::lan();
    int budget = subLan() ? SubLanReplyBudget : LanReplyBudget;
    bool heard = false;
    while (budget > 0) {
        --budget;
        const std::uint8_t b = link_.ReadByte();
        heard = heard || !link_.ReadTimedOut;
        if (cancelledWhileSilent())
            return failSubLan(FailureReason::Cancelled,
                              QStringLiteral("while waiting for the reply"));
        if (!search.feed(b)) continue;
        header[0] = link_.ReadByte();
        header[1] = link_.ReadByte();
        if (header[0] != cmd::OwnStation) {
            qCInfo(lcLink) << "skipping a frame for station" << int(header[0]);
            continue;
        }
        header[2] = link_.ReadByte();
        if (header[2] != cmd::replyOf(command)) {
            qCInfo(lcLink) << "skipping a reply with command" << int(header[2])
                           << "while waiting for" << int(cmd::replyOf(command));
            continue;
        }
        header[3] = link_.ReadByte();
        header[4] = link_.ReadByte();
        trace_.replyHeader(header);
        return true;
    }
    if (heard)
        return failSubLan(
            FailureReason::PreambleNotFound,
            QStringLiteral("no reply to command %1 among the bytes heard").arg(command));
    return failSubLan(FailureReason::NoReply, {});
}

bool FrameExchange::receiveReply(std::uint8_t command, bool extraByte) {
    ConnectionState& st = state();
    std::uint8_t header[5] = {};
    if (!findReplyHeader(command, header)) return false;
    applyReplySideEffects(st, header);
    replyPoint_ = header[3];
    replyTable_ = header[4];
    if (extraByte) link_.ReadByte();
    if (subLan()) {
        const std::uint8_t check = link_.ReadByte();
        const auto expected = std::uint8_t(header[1] + header[2] + header[3] + header[4]);
        trace_.check("headerCheck", check == expected);
        if (check != expected)
            return failSubLan(FailureReason::HeaderCheck,
                              QStringLiteral("check byte 0x%1, expected 0x%2")
                                  .arg(check, 2, 16, QLatin1Char('0'))
                                  .arg(expected, 2, 16, QLatin1Char('0')));
    }

    const std::uint8_t low = link_.ReadByte();
    std::uint8_t high = link_.ReadByte();
    std::uint32_t length = low | (std::uint32_t(high) << 8);
    if (link_.ReadTimedOut) {
        link_.ReadTimedOut = false;
        length = 0;
    }
    buffers_.TransferLength = length;
    trace_.replyLength(length);

    if (subLan() && header[2] == cmd::NoDataReply && length == 0) {
        std::copy(cmd::NoDataReplyBytes.begin(), cmd::NoDataReplyBytes.end(),
                  buffers_.ReplyBuffer.begin());
        buffers_.TransferLength = cmd::NoDataReplyBytes.size();
        trace_.replyReceived();
        ReleaseBus();
        return true;
    }
    if (length > TransferBuffers::MaxReply)
        return failSubLan(
            FailureReason::LengthOverLimit,
            QStringLiteral("reply length %1 over %2").arg(length).arg(TransferBuffers::MaxReply));
    if (!receiveData(length)) return false;
    trace_.replyReceived();
    if (subLan() && st.ReleasePending) ReleaseBus();
    return true;
}

bool FrameExchange::receiveData(std::uint32_t length) {
    if (length == 0) {
        if (!subLan()) link_.WriteByte(cmd::DataAcknowledged);
        return true;
    }
    const bool handshakes = blockHandshakes();
    std::uint16_t sum16 = 0;
    std::uint8_t sum8 = 0;
    int timeouts = 0;
    for (std::uint32_t i = 0; i < length; ++i) {
        const std::uint8_t b = link_.ReadByte();
        if (cancelledWhileSilent())
            return failSubLan(
                FailureReason::Cancelled,
                QStringLiteral("data stopped after %1 of %2 bytes").arg(i).arg(length));
        if (link_.ReadTimedOut && ++timeouts > MaxDataTimeouts)
            return fail(FailureReason::DataTimeout,
                        QStringLiteral("data stopped after %1 of %2 bytes").arg(i).arg(length));
        buffers_.ReplyBuffer[i] = b; // i < MaxReply <= Size
        sum16 = std::uint16_t(sum16 + b);
        sum8 = std::uint8_t(sum8 + b);
        const std::uint32_t received = i + 1;
        if (handshakes && received % LanBlock == 0 && received != length) {
            const std::uint8_t check = link_.ReadByte();
            trace_.check("blockSums", check == sum8);
            if (check != sum8)
                return fail(FailureReason::BlockCheck,
                            QStringLiteral("check byte wrong after %1 bytes").arg(received));
            link_.WriteByte(cmd::DataAcknowledged);
        }
    }
    const std::uint8_t low = link_.ReadByte();
    const std::uint8_t high = link_.ReadByte();
    const auto sum = std::uint16_t(low | (high << 8));
    trace_.check("sum", sum == sum16);
    if (sum != sum16)
        return failSubLan(FailureReason::DataSum, QStringLiteral("sum 0x%1, expected 0x%2")
                                                      .arg(sum, 4, 16, QLatin1Char('0'))
                                                      .arg(sum16, 4, 16, QLatin1Char('0')));
    return true;
}

void FrameExchange::WaitForPoll() {
    ConnectionState& st = state();
    link_.PurgePort();
    pollCancelled_ = false;
    double patience = 0.0;
    const std::int64_t deadline = link_.clock().nowUs() + PollLimitUs;
    PreambleSearch search = PreambleSearch::subLan(PreambleSearch::Variant::Listening);
    for (;;) {
        if (link_.clock().nowUs() >= deadline) {
            link_.ReadTimedOut = true;
            traceEvent(link_, "no poll");
            qCInfo(lcLink) << "no poll to station 0 among the frames of" << PollLimitUs / 1000
                           << "ms";
            return;
        }
        const std::uint8_t b = link_.ReadByte();
        // Nothing has been sent yet: a busy bus is as good a place to stop as a silent one.
        if (link_.ui().cancelRequested()) {
            link_.ReadTimedOut = true;
            pollCancelled_ = true;
            return;
        }
        const auto step = search.step(b);
        if (step == PreambleSearch::Step::Mismatch) {
            if (patience > PollPatience) {
                link_.ReadTimedOut = true;
                traceEvent(link_, "no poll");
                qCInfo(lcLink) << "gave up waiting for the bus poll";
                return;
            }
            // Silence wears patience out faster than a busy line.
            if (link_.ReadTimedOut) {
                link_.ReadTimedOut = false;
                patience *= 1.1;
            }
            patience += 1.0;
            continue;
        }
        if (step != PreambleSearch::Step::Complete) continue;
        std::uint8_t h[5];
        for (auto& x : h)
            x = link_.ReadByte();
        const std::uint8_t check = link_.ReadByte();
        const bool poll = h[0] == cmd::OwnStation &&
                          (h[2] == cmd::PollCommand || h[2] == cmd::PollCommandAlternate) &&
                          h[3] == 0 && check == std::uint8_t(h[1] + h[2] + h[4]);
        if (poll) break;
    }
    link_.ReadTimedOut = false;
    link_.clock().sleepMs(speedPauseMs(PauseFor::Poll));
    link_.SetTransmitLine(true);
    link_.FlushPort();
    link_.WriteByte(cmd::PollAnswer);
    link_.WriteByte(cmd::PollAnswer);
    link_.FlushPort();
    traceEvent(link_, "poll answer");
    st.PollPending = 0;
}

void FrameExchange::ReleaseBus() {
    ConnectionState& st = state();
    const int pause = speedPauseMs(PauseFor::Release);
    link_.clock().sleepMs(pause);
    link_.SetTransmitLine(true);
    link_.clock().sleepMs(ReleaseSettleMs);
    if (subLan()) writePreamble();
    const std::uint8_t frame[5] = {cmd::SubLanBroadcast, cmd::LocalNetwork, cmd::ReleaseCommand, 0,
                                   0};
    for (auto b : frame)
        link_.WriteByte(b);
    if (subLan()) link_.WriteByte(std::uint8_t(cmd::SubLanBroadcast + cmd::ReleaseCommand));
    link_.FlushPort();
    link_.clock().sleepMs(pause);
    link_.SetTransmitLine(false);
    st.ReleasePending = 0;
    st.PollPending = 1;
    traceEvent(link_, "release");
    qCDebug(lcLink) << "bus released";
}

} // namespace vtl
