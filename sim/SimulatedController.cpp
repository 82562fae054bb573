#include "sim/SimulatedController.h"

#include "sim/LanControllerRecords.h"
#include "sim/RoutingTableRecord.h"
#include "sim/SubPanelRecords.h"

#include <algorithm>

namespace vtl::sim {
namespace {

constexpr std::int64_t WithheldReplyWaitUs = 30'000'000;

const QByteArray LanPreamble("AAAAA12345");
const QByteArray SubPreamble("EEE\x0E\x0F", 5);
constexpr std::int64_t AckWaitUs = 1'000'000;
constexpr std::int64_t CatchUpUs = 1'000'000;
constexpr int MaxUntakenBytes = 4096;
// The PC reads for our 0x06 110 ms at a time: a 0x06 later than this may come after it gave up.
constexpr std::int64_t LateAckUs = 100'000;
constexpr int MaxFrames = 20000;

QString hex(std::uint8_t byte) {
    return QStringLiteral("0x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

int subRateOfCode(int code) {
    static constexpr int Rates[] = {19200, 9600, 4800, 2400, 1200, 38400, 38400, 38400};
    return Rates[code & 7];
}

int subCodeOfRate(int rate) {
    switch (rate) {
    case 9600:
        return 1;
    case 4800:
        return 2;
    case 2400:
        return 3;
    case 1200:
        return 4;
    case 38400:
        return 5;
    default:
        return 0;
    }
}

// Noise that holds none of the bytes a reader synchronises or stops on.
QByteArray garbage(int count) {
    QByteArray bytes;
    for (int i = 0; bytes.size() < count; ++i) {
        const auto b = std::uint8_t(0x11 + i * 0x3B);
        if (b != 'A' && b != 'E' && b != 0x01 && b != 0x06) bytes += char(b);
    }
    return bytes;
}

} // namespace

SimulatedController::SimulatedController(const ControllerOptions& options)
    : options_(options), memory_(options.model, options.address, options.lineRate),
      address_(options.address), lineRate_(options.lineRate),
      typeCode_(options.typeCode >= 0 ? options.typeCode : defaultTypeCode(options.model)),
      statusByte_(options.statusByte >= 0 ? std::uint8_t(options.statusByte)
                                          : defaultStatusByte(options.model)) {
    if (subLan()) {
        settingsByte_ = std::uint8_t(subCodeOfRate(lineRate_) << 2);
        if (options.subPanelType >= 0)
            memory_.write(subpanel::SubPanelTypeKey, QByteArray(1, char(options.subPanelType)));
    } else {
        memory_.write({42, 18, 2}, bytesOf({char(typeCode_ & 0xFF), char(typeCode_ >> 8)}));
    }
}

bool SimulatedController::hearingFrame() const {
    return rx_ != Rx::Hunt && rx_ != Rx::BlockAck && rx_ != Rx::EmptyAck;
}

void SimulatedController::overlook(std::int64_t gapUs) {
    if (hearingFrame()) lastRxUs_ += gapUs;
    if (rx_ == Rx::BlockAck || rx_ == Rx::EmptyAck) ackDeadlineUs_ += gapUs;
    if (bus_ == Bus::PollWait) pollDeadlineUs_ += gapUs;
}

bool SimulatedController::plainDataFraming() const {
    return (typeCode_ >= 490 && typeCode_ <= 499) || (typeCode_ >= 600 && typeCode_ <= 699);
}

QList<FrameRecord> SimulatedController::framesNoted(const QString& note) const {
    QList<FrameRecord> found;
    for (const FrameRecord& f : frames_)
        if (f.note == note) found << f;
    return found;
}

// ---- line -------------------------------------------------------------------------------------

void SimulatedController::lineOpened(std::int32_t baudRate) {
    if (rx_ == Rx::BlockAck || rx_ == Rx::EmptyAck)
        endAckWait();
    else if (rx_ != Rx::Hunt)
        abandonFrame(QStringLiteral("frame cut short by a reopened line"));
    pcRate_ = baudRate;
    lineOpen_ = true;
}

void SimulatedController::lineClosed() {
    lineOpen_ = false;
}

void SimulatedController::endAckWait() {
    // A reply spoilt on purpose may well be given up by the PC.
    if (!replyFaulted_)
        violation(rx_ == Rx::BlockAck ? QStringLiteral("no 0x06 after a 128-byte reply block")
                                      : QStringLiteral("no 0x06 after an empty reply"));
    rx_ = Rx::Hunt;
    replyData_.clear();
    replyPos_ = 0;
}

void SimulatedController::advance(std::int64_t nowUs) {
    now_ = std::max(now_, nowUs);
    if (pendingRate_ && pendingRate_->first <= now_) {
        lineRate_ = pendingRate_->second;
        pendingRate_.reset();
    }
    if (hearingFrame() && now_ - lastRxUs_ >= options_.frameGapUs)
        abandonFrame(QStringLiteral("frame cut short: silence after %1 bytes").arg(heard_.size()));
    if ((rx_ == Rx::BlockAck || rx_ == Rx::EmptyAck) && now_ >= ackDeadlineUs_) endAckWait();
    // A PC that went quiet while holding the bus loses it, as on a real sub network.
    if (bus_ == Bus::HeldByPc && options_.busHoldTimeoutUs > 0 &&
        now_ - pcQuietSinceUs() >= options_.busHoldTimeoutUs) {
        bus_ = Bus::Talking;
        nextTalkUs_ = now_;
        applyPendingMove();
    }
    busTick();
    // Bytes nobody reads are lost: a closed line drops them, a full input queue overflows.
    int untaken = 0;
    for (const OutByte& b : out_)
        if (b.dueUs <= now_) ++untaken;
    while (!out_.empty() && out_.front().dueUs <= now_ &&
           (!lineOpen_ || untaken > MaxUntakenBytes)) {
        out_.pop_front();
        --untaken;
    }
}

std::optional<std::uint8_t> SimulatedController::transmitAhead(std::int64_t aheadUs) {
    if (out_.empty() || out_.front().dueUs > now_ + aheadUs || !lineOpen_) return std::nullopt;
    const OutByte b = out_.front();
    out_.pop_front();
    // The PC's time to answer a poll counts from when the poll went out, however late.
    if (bus_ == Bus::PollWait && b.dueUs == pollEndUs_)
        pollDeadlineUs_ = std::max(pollDeadlineUs_, now_ + options_.pollWindowUs);
    if (b.dueUs == midWriteAckDueUs_) {
        midWriteAckLate_ = now_ - b.dueUs > LateAckUs;
        midWriteAckDueUs_ = -1;
    }
    // A receiver set to another rate hears noise, never the bytes.
    if (b.rate != pcRate_) return std::uint8_t(0x00);
    return b.byte;
}

std::int64_t SimulatedController::nextEventUs() const {
    std::int64_t next = Idle;
    if (!out_.empty()) next = std::min(next, out_.front().dueUs);
    if (pendingRate_) next = std::min(next, pendingRate_->first);
    if (rx_ == Rx::BlockAck || rx_ == Rx::EmptyAck)
        next = std::min(next, ackDeadlineUs_);
    else if (rx_ != Rx::Hunt)
        next = std::min(next, lastRxUs_ + options_.frameGapUs);
    if (subLan()) {
        if (bus_ == Bus::Talking) next = std::min(next, nextTalkUs_ < 0 ? now_ : nextTalkUs_);
        if (bus_ == Bus::PollWait) next = std::min(next, pollDeadlineUs_);
        if (bus_ == Bus::HeldByPc && options_.busHoldTimeoutUs > 0)
            next = std::min(next, pcQuietSinceUs() + options_.busHoldTimeoutUs);
    }
    return next;
}

// ---- receiver ---------------------------------------------------------------------------------

void SimulatedController::receive(std::uint8_t byte, std::int64_t nowUs) {
    advance(nowUs);
    if (!lineOpen_ || pcRate_ != lineRate_) {
        ++unheardBytes_;
        return;
    }
    lastRxUs_ = now_;
    // The PC sends the data of a write only once it has our 0x06 (an empty write's length comes
    // straight away). A byte that comes before that 0x06 went out (this process had not run) is the
    // PC asking again after giving up on it.
    if (midWriteAckDueUs_ >= 0 && ((rx_ == Rx::LengthLow && byte != 0) || rx_ == Rx::Data)) {
        abandonFrame(QStringLiteral("%1 before our 0x06 had gone out").arg(hex(byte)));
        out_.clear();
        hunt(byte);
        return;
    }
    const QByteArray& preamble = subLan() ? SubPreamble : LanPreamble;
    switch (rx_) {
    case Rx::Hunt:
        hunt(byte);
        break;
    case Rx::Preamble:
        heard_ += char(byte);
        if (byte != std::uint8_t(preamble[preambleIndex_])) {
            heard_.chop(1);
            abandonFrame(QStringLiteral("broken preamble: %1 at position %2")
                             .arg(hex(byte))
                             .arg(preambleIndex_));
            hunt(byte);
        } else if (++preambleIndex_ == preamble.size()) {
            rx_ = Rx::Header;
            headerCount_ = 0;
        }
        break;
    case Rx::Header:
        heard_ += char(byte);
        header_[headerCount_++] = byte;
        if (headerCount_ < 5) break;
        if (subLan())
            rx_ = Rx::HeaderCheck;
        else if ((header_[0] | header_[1]) & 0x80)
            rx_ = Rx::Extra;
        else
            frameHeaderDone();
        break;
    case Rx::Extra:
        heard_ += char(byte);
        frameHeaderDone();
        break;
    case Rx::HeaderCheck: {
        heard_ += char(byte);
        const auto expected =
            std::uint8_t(header_[0] + header_[1] + header_[2] + header_[3] + header_[4]);
        if (byte != expected)
            abandonFrame(
                QStringLiteral("header check %1, expected %2").arg(hex(byte), hex(expected)));
        else
            frameHeaderDone();
        break;
    }
    case Rx::LengthLow:
        heard_ += char(byte);
        length_ = byte;
        rx_ = Rx::LengthHigh;
        break;
    case Rx::LengthHigh:
        heard_ += char(byte);
        length_ |= byte << 8;
        if (length_ > 4096) {
            const QString why = QStringLiteral("write of %1 bytes, more than 4096").arg(length_);
            // After our late 0x06, most likely the PC's next try: the frame is lost.
            if (midWriteAckLate_) {
                abandonFrame(why);
                break;
            }
            violation(why);
        }
        data_.clear();
        running8_ = 0;
        sum16_ = 0;
        if (length_ == 0)
            completeFrame();
        else
            rx_ = Rx::Data;
        break;
    case Rx::Data:
        heard_ += char(byte);
        dataByte(byte);
        break;
    case Rx::BlockCheck:
        heard_ += char(byte);
        if (byte != running8_) {
            abandonFrame(QStringLiteral("block check %1 after data byte %2, expected %3")
                             .arg(hex(byte))
                             .arg(data_.size())
                             .arg(hex(running8_)));
            break;
        }
        if (forMe_)
            midWriteAckDueUs_ = send(QByteArray(1, 0x06), QStringLiteral("block ack"),
                                     now_ + options_.responseDelayUs);
        if (data_.size() == length_)
            completeFrame();
        else
            rx_ = Rx::Data;
        break;
    case Rx::FinalCheck:
        heard_ += char(byte);
        if (byte != running8_)
            abandonFrame(
                QStringLiteral("final check %1, expected %2").arg(hex(byte), hex(running8_)));
        else
            completeFrame();
        break;
    case Rx::SumLow:
        heard_ += char(byte);
        heardSum_ = byte;
        rx_ = Rx::SumHigh;
        break;
    case Rx::SumHigh:
        heard_ += char(byte);
        heardSum_ |= std::uint16_t(byte << 8);
        if (heardSum_ != sum16_)
            abandonFrame(QStringLiteral("data sum %1, expected %2").arg(heardSum_).arg(sum16_));
        else
            completeFrame();
        break;
    case Rx::BlockAck:
    case Rx::EmptyAck:
        rx_ = Rx::Hunt;
        if (byte == 0x06) {
            record({now_, now_, FrameRecord::Direction::Heard, QByteArray(1, 0x06),
                    QStringLiteral("data ack")});
            if (replyPos_ < replyData_.size()) sendReplyPart();
        } else {
            violation(QStringLiteral("%1 where 0x06 was due").arg(hex(byte)));
            hunt(byte);
        }
        break;
    case Rx::PollAnswer:
        rx_ = Rx::Hunt;
        if (byte == 0x01) {
            bus_ = Bus::HeldByPc;
            pollDeadlineUs_ = Idle;
            record({heardStartUs_, now_, FrameRecord::Direction::Heard, QByteArray("\x01\x01", 2),
                    QStringLiteral("poll answer")});
        } else {
            violation(QStringLiteral("poll answer 0x01 followed by %1").arg(hex(byte)));
            hunt(byte);
        }
        break;
    }
}

void SimulatedController::hunt(std::uint8_t byte) {
    const QByteArray& preamble = subLan() ? SubPreamble : LanPreamble;
    midWriteAckDueUs_ = -1;
    midWriteAckLate_ = false;
    if (byte == std::uint8_t(preamble[0])) {
        rx_ = Rx::Preamble;
        preambleIndex_ = 1;
        heard_ = QByteArray(1, char(byte));
        heardStartUs_ = now_;
        return;
    }
    if (subLan() && byte == 0x01 && bus_ == Bus::PollWait) {
        rx_ = Rx::PollAnswer;
        heardStartUs_ = now_;
        return;
    }
    if (subLan() && byte == 0xFF) return; // fill around the turn-around
    violation(QStringLiteral("stray byte %1 between frames").arg(hex(byte)));
}

void SimulatedController::frameHeaderDone() {
    const std::uint8_t command = header_[2];
    forMe_ = addressedToMe() && !isRelease();
    if (forMe_ && subLan() && bus_ != Bus::HeldByPc) {
        violation(QStringLiteral("request (command %1) without being polled").arg(command));
        forMe_ = false;
    }
    if (isRelease() || command < 100) {
        completeFrame();
        return;
    }
    rx_ = Rx::LengthLow;
    const Faults* f = activeFaults();
    const bool silent = f && (f->noAnswer || f->dropAnswer);
    if (forMe_ && !subLan() && !plainDataFraming() && !silent)
        midWriteAckDueUs_ = send(QByteArray(1, 0x06), QStringLiteral("header ack"), answerTimeUs());
}

void SimulatedController::dataByte(std::uint8_t byte) {
    data_ += char(byte);
    running8_ = std::uint8_t(running8_ + byte);
    sum16_ = std::uint16_t(sum16_ + byte);
    const int n = int(data_.size());
    if (!subLan() && !plainDataFraming()) {
        if (n % 128 == 0)
            rx_ = Rx::BlockCheck;
        else if (n == length_)
            rx_ = Rx::FinalCheck;
    } else if (n == length_) {
        rx_ = Rx::SumLow;
    }
}

bool SimulatedController::isRelease() const {
    return subLan() && header_[0] == 254 && header_[1] == 0 && header_[2] == 39 &&
           header_[3] == 0 && header_[4] == 0;
}

bool SimulatedController::addressedToMe() const {
    const int panel = header_[0];
    if (panel == 254 || panel == address_) return true;
    return !subLan() && panel == 127;
}

void SimulatedController::completeFrame() {
    rx_ = Rx::Hunt;
    const bool release = isRelease();
    record({heardStartUs_, now_, FrameRecord::Direction::Heard, heard_,
            release ? QStringLiteral("release") : QStringLiteral("request")});
    heard_.clear();
    if (release) {
        handleRelease();
        return;
    }
    if (!forMe_) return;
    if (const Faults* f = activeFaults(); f && f->noAnswer) {
        consumeFault();
        withholdReply();
        return;
    }
    if (header_[2] < 100 &&
        options_.silentReads.contains(RecordKey{header_[2], header_[3], header_[4]})) {
        withholdReply();
        return;
    }
    ++requestsServed_;
    if (header_[2] >= 100)
        handleWrite();
    else
        handleRead();
}

// The PC waits for the reply we withhold (through the bus's traffic a Sub LAN reply was seen waited
// for 11 s); that wait is not a silence of its own, and it does not lose the bus for it.
void SimulatedController::withholdReply() {
    pcWaitsUntilUs_ = now_ + WithheldReplyWaitUs;
}

std::int64_t SimulatedController::pcQuietSinceUs() const {
    return std::max({lastRxUs_, lastDueUs_, pcWaitsUntilUs_});
}

void SimulatedController::abandonFrame(const QString& why) {
    // A frame that breaks after our 0x06 went out late is most likely the PC's next try.
    violation(midWriteAckLate_ ? why + QStringLiteral(" after our 0x06 went out late") : why);
    midWriteAckLate_ = false;
    if (!heard_.isEmpty())
        record({heardStartUs_, now_, FrameRecord::Direction::Heard, heard_,
                QStringLiteral("rejected")});
    heard_.clear();
    rx_ = Rx::Hunt;
}

void SimulatedController::record(const FrameRecord& frame) {
    if (frames_.size() >= MaxFrames) frames_.remove(0, MaxFrames / 10);
    frames_.append(frame);
}

void SimulatedController::violation(const QString& what) {
    violations_ << QStringLiteral("%1 us: %2").arg(now_).arg(what);
}

// ---- answers ----------------------------------------------------------------------------------

void SimulatedController::handleRelease() {
    if (bus_ != Bus::HeldByPc) {
        violation(QStringLiteral("release frame while the PC did not hold the bus"));
        return;
    }
    bus_ = Bus::Talking;
    nextTalkUs_ = now_ + options_.talkIntervalUs;
    applyPendingMove();
}

void SimulatedController::applyPendingMove() {
    if (!pendingMove_) return;
    address_ = pendingMove_->first;
    settingsByte_ = pendingMove_->second;
    pendingMove_.reset();
    const int rate = subRateOfCode(settingsByte_ >> 2);
    if (rate != lineRate_) pendingRate_ = std::make_pair(now_, rate);
}

void SimulatedController::handleRead() {
    const RecordKey key{header_[2], header_[3], header_[4]};
    std::uint8_t b3 = key.point;
    std::uint8_t b4 = key.table;
    const QByteArray data = replyData(key, b3, b4);
    const Faults* f = activeFaults();

    QByteArray head;
    if (f && f->garbageBeforePreamble > 0) head += garbage(f->garbageBeforePreamble);
    head += subLan() ? SubPreamble : LanPreamble;
    const auto command = std::uint8_t(key.command + 100);
    head += bytesOf({0, char(address_), char(command), char(b3), char(b4)});
    if (!subLan() && ((header_[0] | header_[1]) & 0x80)) head += char(address_);
    if (subLan()) {
        auto check = std::uint8_t(address_ + command + b3 + b4);
        if (f && f->corruptHeaderCheck) ++check;
        head += char(check);
    }
    const int length = f && f->length4097 ? 4097 : int(data.size());
    head += char(length & 0xFF);
    head += char(length >> 8);

    const bool dropped = f && f->dropAnswer;
    const bool cut = f && f->length4097;
    const std::int64_t at = answerTimeUs();
    replyFaulted_ = f != nullptr;
    replyCorruptSum_ = f && f->corruptSum;
    replyCorruptFirst_ = f && f->corruptDataByte;
    consumeFault();
    if (dropped) return;
    if (cut) {
        send(head, QStringLiteral("reply"), at);
        return;
    }
    replyData_ = data;
    replyPos_ = 0;
    replyRunning_ = 0;
    replySum_ = 0;
    for (char c : data)
        replySum_ = std::uint16_t(replySum_ + std::uint8_t(c));
    replyPrefix_ = head;
    replyStartUs_ = at;
    sendReplyPart();
}

void SimulatedController::sendReplyPart() {
    QByteArray part = replyPrefix_;
    replyPrefix_.clear();
    const bool chunked = !subLan() && !plainDataFraming();
    const int n = int(replyData_.size());
    const int end = chunked ? std::min(n, replyPos_ + 128) : n;
    for (int i = replyPos_; i < end; ++i) {
        const auto b = std::uint8_t(replyData_[i]);
        replyRunning_ = std::uint8_t(replyRunning_ + b);
        part += char(i == 0 && replyCorruptFirst_ ? b ^ 0x5A : b);
    }
    const bool first = replyPos_ == 0;
    replyPos_ = end;
    const std::int64_t at = first ? replyStartUs_ : now_ + options_.responseDelayUs;
    if (end < n) {
        part += char(replyRunning_);
        ackDeadlineUs_ = send(part, QStringLiteral("reply part"), at) + AckWaitUs;
        rx_ = Rx::BlockAck;
        return;
    }
    if (n > 0) {
        const auto sum = std::uint16_t(replySum_ + (replyCorruptSum_ ? 1 : 0));
        part += char(sum & 0xFF);
        part += char(sum >> 8);
    }
    const std::int64_t last =
        send(part, first ? QStringLiteral("reply") : QStringLiteral("reply part"), at);
    if (!subLan() && n == 0) {
        ackDeadlineUs_ = last + AckWaitUs;
        rx_ = Rx::EmptyAck;
    }
    replyData_.clear();
    replyPos_ = 0;
}

void SimulatedController::handleWrite() {
    const std::uint8_t command = header_[2];
    const Faults* f = activeFaults();
    const bool dropped = f && f->dropAnswer;
    const std::int64_t at = answerTimeUs();
    consumeFault();

    int newRate = 0;
    if (command == 128) {
        memory_.clear();
    } else if (command == 126 && subLan()) {
        // The sub panel keeps its address and rate until the PC hands the bus back.
        pendingMove_ = std::make_pair(int(header_[3]), header_[4]);
    } else if (!writeDrop.loses(command, header_[3], header_[4])) {
        newRate = applyWrite({std::uint8_t(command - 100), header_[3], header_[4]}, data_);
    }
    std::int64_t switchAt = at;
    if (!dropped)
        switchAt =
            send(QByteArray(1, 0x01), QStringLiteral("write ack"), at) + byteTimeUs(lineRate_);
    if (newRate > 0 && newRate != lineRate_) pendingRate_ = std::make_pair(switchAt, newRate);
}

int SimulatedController::applyWrite(RecordKey key, const QByteArray& data) {
    if (subLan()) {
        const auto blocks = subpanel::expandWrite(
            key, data, [this](RecordKey at) { return memory_.read(at).value_or(QByteArray()); });
        for (const subpanel::BlockWrite& b : blocks)
            memory_.write(b.key, b.data);
        if (!blocks.isEmpty()) return 0;
    }
    if (key == routingtable::Key) {
        if (const QString why = routingtable::refusal(options_.model, data); !why.isEmpty())
            violation(why);
    }
    if (plainDataFraming())
        if (const QString problem = lanWriteProblem(key, data); !problem.isEmpty())
            violation(problem);
    memory_.write(key, data);
    if (options_.model == Model::Main && key == RecordKey{38, 49, 0} && data.size() >= 8) {
        address_ = std::uint8_t(data[7]);
        return rateOfPortBaudCode(std::uint8_t(data[2]));
    }
    if (!subLan() && options_.model != Model::Main && key == RecordKey{38, 0, 0} &&
        data.size() >= 10) {
        address_ = std::uint8_t(data[9]);
        return rateOfPortBaudCode(std::uint8_t(data[3]));
    }
    return 0;
}

QByteArray SimulatedController::replyData(RecordKey key, std::uint8_t& b3, std::uint8_t& b4) {
    if (key.command == 26) {
        b3 = std::uint8_t(address_);
        b4 = settingsByte_;
        return {};
    }
    if (subLan() && key == RecordKey{38, 0, 0}) b4 = statusByte_;
    if (subLan() && key.command == 50 && key.table == 5) {
        // The type travels in the point byte; the reply carries no data.
        const QByteArray type = memory_.read(subpanel::SubPanelTypeKey).value_or(QByteArray());
        b3 = type.isEmpty() ? defaultSubPanelType(options_.model) : std::uint8_t(type[0]);
        b4 = 5;
        return {};
    }
    if (subLan() && key == RecordKey{24, 60, 125})
        return memory_.read({24, 82, 121}).value_or(QByteArray()).mid(1000, 692);
    if (options_.settingsResult && plainDataFraming() && key == LanSettingsKey)
        return withResultValue(memory_.read(key).value_or(QByteArray()), *options_.settingsResult);
    if (const auto data = memory_.read(key)) return *data;
    unknownReads_ << key;
    return {};
}

// ---- transmitter ------------------------------------------------------------------------------

std::int64_t SimulatedController::byteTimeUs(int rate) const {
    return options_.paceBytes && rate > 0 ? 10'000'000 / rate : 0;
}

std::int64_t SimulatedController::answerTimeUs() const {
    const Faults* f = activeFaults();
    return now_ + options_.responseDelayUs + (f ? f->delayUs : 0);
}

std::int64_t SimulatedController::send(const QByteArray& bytes, const QString& note,
                                       std::int64_t earliestUs) {
    const std::int64_t step = byteTimeUs(lineRate_);
    std::int64_t t = std::max(earliestUs, now_);
    if (!out_.empty()) t = std::max(t, lastDueUs_ + step);
    const std::int64_t first = t;
    std::int64_t last = t;
    for (char c : bytes) {
        out_.push_back({std::uint8_t(c), t, lineRate_});
        last = t;
        t += step;
    }
    lastDueUs_ = last;
    record({first, last, FrameRecord::Direction::Sent, bytes, note});
    return last;
}

const Faults* SimulatedController::activeFaults() const {
    return faults.count != 0 && faults.any() ? &faults : nullptr;
}

void SimulatedController::consumeFault() {
    if (!activeFaults()) return;
    if (faults.count > 0 && --faults.count == 0) faults = Faults{};
}

// ---- Sub LAN bus ------------------------------------------------------------------------------

QByteArray SimulatedController::busFrame(std::uint8_t h0, std::uint8_t h1, std::uint8_t h2,
                                         std::uint8_t h3, std::uint8_t h4) {
    QByteArray frame = SubPreamble;
    frame += bytesOf({char(h0), char(h1), char(h2), char(h3), char(h4)});
    frame += char(std::uint8_t(h0 + h1 + h2 + h3 + h4));
    return frame;
}

void SimulatedController::busTick() {
    if (!subLan()) return;
    if (nextTalkUs_ < 0 || nextTalkUs_ < now_ - CatchUpUs) nextTalkUs_ = now_;
    for (;;) {
        const bool pollQueued = !out_.empty() && out_.front().dueUs <= pollEndUs_;
        if (bus_ == Bus::PollWait && pollDeadlineUs_ <= now_ && !pollQueued) {
            bus_ = Bus::Talking;
            nextTalkUs_ = std::max(nextTalkUs_, pollDeadlineUs_);
            pollDeadlineUs_ = Idle;
        } else if (bus_ == Bus::Talking && nextTalkUs_ <= now_) {
            talkSlot();
        } else {
            return;
        }
    }
}

void SimulatedController::talkSlot() {
    const int k = slot_++;
    const auto own = std::uint8_t(address_);
    const std::int64_t at = nextTalkUs_;
    bool poll = false;
    QByteArray frame;
    QString note;
    if (options_.markerValue && k % 7 == 3) {
        frame = busFrame(0, 0, 0, *options_.markerValue, 205);
        note = QStringLiteral("marker");
    } else if (options_.secondStation > 0 && requestsServed_ >= options_.secondStationAfter &&
               k % 2 == 1) {
        const auto other = std::uint8_t(options_.secondStation);
        frame = busFrame(std::uint8_t(other % 125 + 1), other, 33, 0, 0);
        note = QStringLiteral("second station");
    } else if (ownFrames_++ % std::max(1, options_.pollEvery) == options_.pollEvery - 1) {
        frame = busFrame(0, own, std::uint8_t(31 + (ownFrames_ / options_.pollEvery) % 2), 0, 0);
        note = QStringLiteral("poll");
        poll = true;
    } else {
        frame = busFrame(std::uint8_t(own % 125 + 1), own, 33, 0, 0);
        note = QStringLiteral("steady");
    }
    const std::int64_t end = send(frame, note, at);
    nextTalkUs_ = at + std::max(options_.talkIntervalUs, end - at + 2000);
    if (poll) {
        bus_ = Bus::PollWait;
        pollEndUs_ = end;
        pollDeadlineUs_ = end + options_.pollWindowUs;
    }
}

} // namespace vtl::sim
