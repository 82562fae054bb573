#pragma once

#include "link/LinePeer.h"
#include "sim/SimMemory.h"
#include "sim/SimModel.h"
#include "sim/WriteDrop.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <optional>

namespace vtl::sim {

struct ControllerOptions {
    Model model = Model::Main;
    int address = 1;
    int lineRate = 19200;
    int typeCode = -1;     // -1: the model's own code (320, 490, 600, 602)
    int statusByte = -1;   // sub panels, -1: the model's own family flags
    int subPanelType = -1; // sub panels, reported by the read of command 50, table 5; -1: model's
    // Sub LAN: a second station heard on the bus (0: none), and a marker frame from station 0.
    int secondStation = 0;
    int secondStationAfter = 0; // requests served before the second station is first heard
    std::optional<std::uint8_t> markerValue;
    std::int64_t responseDelayUs = 2'000;
    std::int64_t talkIntervalUs = 25'000; // Sub LAN: one frame on the bus per interval
    int pollEvery = 3;                    // Sub LAN: every n-th own frame polls station 0
    std::int64_t pollWindowUs = 80'000;   // how long a poll waits for 0x01 0x01
    // A silence this long inside a frame cuts it short: the PC pauses 300 ms before every LAN
    // frame, so after a request it gave up on, its next one starts afresh.
    std::int64_t frameGapUs = 250'000;
    std::int64_t busHoldTimeoutUs = 30'000'000; // Sub LAN: a silent PC loses the bus (0: never)
    bool paceBytes = true;                      // each byte takes ten bit times at the line rate
    // LAN controllers: the settings reply carries this result value after the block (100 bytes).
    std::optional<std::uint32_t> settingsResult;
    // Reads of these records go unanswered, as from a controller that does not know them.
    QList<RecordKey> silentReads;
};

// Misbehaviour on request. Applies to the next `count` answers (-1: to every answer).
struct Faults {
    bool noAnswer = false;           // the request is ignored altogether
    bool dropAnswer = false;         // the request is carried out but its answer is lost
    bool corruptDataByte = false;    // the first data byte of a reply is flipped after summing
    bool corruptSum = false;         // the reply's 16-bit sum is off by one
    bool corruptHeaderCheck = false; // Sub LAN reply header check off by one
    int garbageBeforePreamble = 0;   // bytes of noise before the reply's preamble
    std::int64_t delayUs = 0;        // extra delay before the answer
    bool length4097 = false;         // the reply announces 4097 bytes and sends nothing more
    int count = -1;

    bool any() const {
        return noAnswer || dropAnswer || corruptDataByte || corruptSum || corruptHeaderCheck ||
               garbageBeforePreamble > 0 || delayUs > 0 || length4097;
    }
};

struct FrameRecord {
    enum class Direction { Heard, Sent };
    std::int64_t timeUs = 0; // first byte
    std::int64_t endUs = 0;  // last byte
    Direction direction = Direction::Heard;
    QByteArray bytes;
    // Heard: "request", "release", "rejected", "poll answer", "data ack".
    // Sent: "reply", "reply part", "header ack", "block ack", "write ack", "steady", "poll",
    // "marker", "second station".
    QString note;
};

// A controller on the far end of the line, driven only by the bytes it hears and the time it is
// given. It answers the frames the PC sends in LAN framing (main panels, LAN controllers) or on a
// Sub LAN (sub panels), and writes down every breach of the protocol it hears.
class SimulatedController final : public vtl::LinePeer {
public:
    explicit SimulatedController(const ControllerOptions& options = {});

    void lineOpened(std::int32_t baudRate) override;
    void lineClosed() override;
    void dtrChanged(bool on) override { dtr_ = on; }
    void receive(std::uint8_t byte, std::int64_t nowUs) override;
    void advance(std::int64_t nowUs) override;
    std::optional<std::uint8_t> transmit() override { return transmitAhead(0); }
    // As transmit(), also a byte due up to `aheadUs` from now.
    std::optional<std::uint8_t> transmitAhead(std::int64_t aheadUs);
    std::int64_t nextEventUs() const override;

    const ControllerOptions& options() const { return options_; }
    Model model() const { return options_.model; }
    int address() const { return address_; }
    int lineRate() const { return lineRate_; }
    int typeCode() const { return typeCode_; }
    bool subLan() const { return isSubPanel(options_.model); }
    bool plainDataFraming() const; // LAN controllers: no 128-byte check sums or 0x06
    bool busHeldByPc() const { return bus_ == Bus::HeldByPc; }
    // Part of a frame heard, the rest still due.
    bool hearingFrame() const;
    // The host could not look at the line for `gapUs` (its process was not scheduled). That time
    // is no silence of the PC's, which on the same busy machine most likely did not run either.
    void overlook(std::int64_t gapUs);
    std::uint8_t settingsByte() const { return settingsByte_; }

    QStringList violations() const { return violations_; }
    void clearViolations() { violations_.clear(); }
    const QList<FrameRecord>& frames() const { return frames_; }
    QList<FrameRecord> framesNoted(const QString& note) const;
    void clearFrames() { frames_.clear(); }
    int unheardBytes() const { return unheardBytes_; }
    int requestsServed() const { return requestsServed_; }
    // Reads of records this controller does not have; each was answered with no data.
    QList<RecordKey> unknownReads() const { return unknownReads_; }

    QByteArray peek(RecordKey key) const { return memory_.read(key).value_or(QByteArray()); }
    void poke(RecordKey key, const QByteArray& data) { memory_.write(key, data); }
    SimMemory& memory() { return memory_; }

    Faults faults;
    WriteDrop writeDrop;

private:
    enum class Rx {
        Hunt,        // between frames
        Preamble,    // inside the preamble
        Header,      // five header bytes
        Extra,       // LAN: the extra address byte
        HeaderCheck, // Sub LAN
        LengthLow,
        LengthHigh,
        Data,
        BlockCheck, // main panel: running sum after 128 bytes
        FinalCheck, // main panel: running sum after a final partial block
        SumLow,
        SumHigh,
        BlockAck,   // waiting for the PC's 0x06 after a 128-byte block of a reply
        EmptyAck,   // waiting for the PC's 0x06 after an empty LAN reply
        PollAnswer, // heard the first 0x01 of a poll answer
    };
    enum class Bus { Talking, PollWait, HeldByPc };

    struct OutByte {
        std::uint8_t byte;
        std::int64_t dueUs;
        int rate;
    };

    void hunt(std::uint8_t byte);
    void startFrame(std::uint8_t byte);
    void frameHeaderDone();
    void dataByte(std::uint8_t byte);
    void completeFrame();
    void abandonFrame(const QString& why);
    void withholdReply();
    std::int64_t pcQuietSinceUs() const;
    void violation(const QString& what);
    void record(const FrameRecord& frame);
    void endAckWait();

    bool addressedToMe() const;
    bool isRelease() const;
    void handleRead();
    void handleWrite();
    void handleRelease();
    void applyPendingMove();
    int applyWrite(RecordKey key, const QByteArray& data); // the new line rate, or 0
    QByteArray replyData(RecordKey key, std::uint8_t& b3, std::uint8_t& b4);
    void sendReplyPart();
    void sendAck(std::uint8_t byte, const QString& note);

    std::int64_t byteTimeUs(int rate) const;
    std::int64_t send(const QByteArray& bytes, const QString& note, std::int64_t earliestUs);
    std::int64_t answerTimeUs() const;
    const Faults* activeFaults() const;
    void consumeFault();

    void busTick();
    void talkSlot();
    static QByteArray busFrame(std::uint8_t h0, std::uint8_t h1, std::uint8_t h2, std::uint8_t h3,
                               std::uint8_t h4);

    ControllerOptions options_;
    SimMemory memory_;
    int address_;
    int lineRate_;
    int typeCode_;
    std::uint8_t statusByte_;
    std::uint8_t settingsByte_ = 0;
    int pcRate_ = 0;
    bool lineOpen_ = false;
    bool dtr_ = false;
    std::int64_t now_ = 0;

    // receiver
    Rx rx_ = Rx::Hunt;
    int preambleIndex_ = 0;
    QByteArray heard_;
    std::int64_t heardStartUs_ = 0;
    std::int64_t lastRxUs_ = 0;
    std::uint8_t header_[5] = {};
    int headerCount_ = 0;
    bool forMe_ = false;
    int length_ = 0;
    QByteArray data_;
    std::uint8_t running8_ = 0;
    std::uint16_t sum16_ = 0;
    std::uint16_t heardSum_ = 0;
    // Our 0x06 in the middle of a write (after its header or a 128-byte block): when it is due
    // while it waits to go out (else -1), and whether it went out too late for a PC still waiting.
    std::int64_t midWriteAckDueUs_ = -1;
    bool midWriteAckLate_ = false;

    // reply in progress (main panels send it in 128-byte parts)
    QByteArray replyData_;
    int replyPos_ = 0;
    std::uint8_t replyRunning_ = 0;
    std::uint16_t replySum_ = 0;
    bool replyFaulted_ = false;
    bool replyCorruptSum_ = false;
    bool replyCorruptFirst_ = false;
    QByteArray replyPrefix_;
    std::int64_t replyStartUs_ = 0;
    std::int64_t ackDeadlineUs_ = LinePeer::Idle;

    // transmitter
    std::deque<OutByte> out_;
    std::int64_t lastDueUs_ = 0;
    std::int64_t pcWaitsUntilUs_ = 0; // the end of the PC's wait for a reply we withheld
    std::optional<std::pair<std::int64_t, int>> pendingRate_; // (when, rate)
    // Sub LAN: a new address and settings byte, taken on when the bus comes back.
    std::optional<std::pair<int, std::uint8_t>> pendingMove_;

    // Sub LAN bus
    Bus bus_ = Bus::Talking;
    std::int64_t nextTalkUs_ = -1;
    std::int64_t pollDeadlineUs_ = LinePeer::Idle;
    std::int64_t pollEndUs_ = -1; // when the last byte of our latest poll is due
    int slot_ = 0;
    int ownFrames_ = 0;

    QStringList violations_;
    QList<FrameRecord> frames_;
    int unheardBytes_ = 0;
    int requestsServed_ = 0;
    QList<RecordKey> unknownReads_;
};

} // namespace vtl::sim
