#include "link/FrameExchange.h"
#include "link/CommandSet.h"
#include "link/PipeTransport.h"
#include "link/PreambleSearch.h"
#include "tests/link/ScriptedLinePeer.h"
#include "tests/support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::Bytes;
using test::hex;
using test::toHex;
using test::operator+;
using Ev = test::ScriptedLinePeer::Event;
namespace cmd = commands;

constexpr std::int64_t Ms = 1000;

Bytes littleEndian(std::uint32_t v) {
    return {std::uint8_t(v), std::uint8_t(v >> 8)};
}

Bytes sum16Of(const Bytes& data) {
    std::uint32_t sum = 0;
    for (auto b : data)
        sum += b;
    return littleEndian(sum & 0xFFFF);
}

Bytes pattern(std::size_t n, std::uint8_t seed = 0) {
    Bytes data(n);
    for (std::size_t i = 0; i < n; ++i)
        data[i] = std::uint8_t(seed + i * 7 + (i >> 8));
    return data;
}

// Data with the running 8-bit sum after every 128th byte that is not the last, as a plain
// controller sends it in LAN framing.
Bytes withBlockSums(const Bytes& data, bool finalPartialSum) {
    Bytes out;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        out.push_back(data[i]);
        sum = std::uint8_t(sum + data[i]);
        const bool last = i + 1 == data.size();
        if ((i + 1) % 128 == 0 && (!last || finalPartialSum))
            out.push_back(sum);
        else if (last && finalPartialSum && data.size() % 128)
            out.push_back(sum);
    }
    return out;
}

Bytes subLanRequest(std::uint8_t panel, std::uint8_t command, std::uint8_t point = 0,
                    std::uint8_t table = 0) {
    return hex("45 45 45 0E 0F") +
           Bytes{panel, 0, command, point, table, std::uint8_t(panel + command + point + table)};
}

Bytes subLanReply(std::uint8_t command, std::uint8_t b3, std::uint8_t b4, const Bytes& data,
                  std::uint8_t to = 0, std::uint8_t from = 5) {
    Bytes out = hex("45 45 45 0E 0F") +
                Bytes{to, from, command, b3, b4, std::uint8_t(from + command + b3 + b4)} +
                littleEndian(std::uint32_t(data.size())) + data;
    return data.empty() ? out : out + sum16Of(data);
}

Bytes lanReply(std::uint8_t command, const Bytes& data, bool blockSums = true, Bytes extra = {}) {
    Bytes out = hex("'AAAAA12345'") + Bytes{0, 127, command, 0, 0} + extra +
                littleEndian(std::uint32_t(data.size())) +
                (blockSums ? withBlockSums(data, false) : data);
    return data.empty() ? out : out + sum16Of(data);
}

const Bytes ReleaseFrame = hex("45 45 45 0E 0F FE 00 27 00 00 25");

Bytes pollFrame(std::uint8_t preambleEs = 3, std::uint8_t command = 31, std::uint8_t check = 0) {
    Bytes frame = Bytes(preambleEs, 0x45) + hex("0E 0F") + Bytes{0, 9, command, 0, 0};
    frame.push_back(check ? check : std::uint8_t(9 + command));
    return frame;
}

struct FrameExchangeTest : ::testing::Test {
    ConnectionState state;
    TransferBuffers buffers;
    VirtualClock clock;
    test::ScriptedUserInterface ui;
    test::ScriptedLinePeer peer;
    bool failOpen = false;
    SerialLink link{state, clock, ui, [this](const QString&) {
                        auto t = std::make_unique<PipeTransport>(peer, clock);
                        t->failOpen = failOpen;
                        return t;
                    }};
    FrameExchange ex{link, buffers};

    void SetUp() override {
        state.PortName = QStringLiteral("line");
        state.BaudRate = 38400;
        state.LinkMode = LinkModeSubLan;
    }
    void lan(bool lanController = false) {
        state.LinkMode = LinkModeLan;
        state.IsLanController = lanController;
    }
    bool run(std::uint8_t panel, std::uint8_t command, std::uint8_t point = 0,
             std::uint8_t table = 0) {
        if (!cmd::isWrite(command)) buffers.TransferLength = 0; // as every caller does
        const bool ok = ex.PanelTransaction(panel, 0, command, point, table);
        EXPECT_FALSE(ui.waitCursor) << "wait cursor left on";
        return ok;
    }
    bool run(cmd::RecordAddress r, std::uint8_t panel) {
        return run(panel, r.command, r.point, r.table);
    }
    void send(const Bytes& data) {
        std::copy(data.begin(), data.end(), buffers.TransferBuffer.begin());
        buffers.TransferLength = std::uint32_t(data.size());
    }
    Bytes reply() const {
        return Bytes(buffers.ReplyBuffer.begin(),
                     buffers.ReplyBuffer.begin() + buffers.TransferLength);
    }
    bool released() const { return peer.wire().contains(toHex(ReleaseFrame)); }
};

// ---- Preamble search -------------------------------------------------------------------------

TEST(PreambleSearchTest, VariantsDifferOnlyInHowTheLeadingLetterResynchronises) {
    using V = PreambleSearch::Variant;
    struct Row {
        const char* input;
        bool reply, listening;
    };
    for (const Row& r :
         {Row{"45 45 45 0E 0F", true, true}, Row{"45 0E 0F", true, true},
          Row{"45 45 0E 0F", true, false}, Row{"45 45 45 45 0E 0F", true, false},
          Row{"45 45 45 0E 45 0E 0F", true, false}, Row{"00 45 45 45 0E 0F", true, true},
          Row{"45 45 45 0F 0E", false, false}, Row{"0E 0F", false, false}}) {
        auto finds = [&](V v) {
            PreambleSearch s = PreambleSearch::subLan(v);
            bool complete = false;
            for (auto b : hex(r.input))
                complete = s.feed(b);
            return complete;
        };
        EXPECT_EQ(finds(V::Reply), r.reply) << r.input;
        EXPECT_EQ(finds(V::Listening), r.listening) << r.input;
    }
    for (auto [input, found] : {std::pair{"'AAAAA12345'", true},
                                {"'A12345'", true},
                                {"'AAA123A12345'", true},
                                {"'AAAAA1245'", false}}) {
        PreambleSearch s = PreambleSearch::lan();
        bool complete = false;
        for (auto b : hex(input))
            complete = s.feed(b);
        EXPECT_EQ(complete, found) << input;
    }
}

// ---- Request bytes ---------------------------------------------------------------------------

TEST_F(FrameExchangeTest, SubLanReadSendsHeaderCheckAndFillAroundTheDtrDrop) {
    peer.afterHeard(13, subLanReply(126, 7, 0x04, {}));
    EXPECT_TRUE(run(cmd::SubLanBroadcast, cmd::Identification.command));
    // The transmitter drops only once the request has left the PC ("|": the output drained).
    EXPECT_EQ(peer.wire(0, true), QStringLiteral("^ | 45 45 45 0E 0F FE 00 1A 00 00 18 FF | v FF"));
    EXPECT_EQ(buffers.TransferLength, 0u);
}

TEST_F(FrameExchangeTest, FillBytesDependOnTheLineSpeed) {
    struct Row {
        std::int32_t rate;
        const char* tail;
    };
    for (const Row& r : {Row{1200, "18 v"}, Row{2400, "18 FF FF v FF FF"}, Row{4800, "18 FF v FF"},
                         Row{115200, "18 FF v FF"}}) {
        peer.heard.clear();
        peer.events.clear();
        state.BaudRate = r.rate;
        state.PollPending = 0;
        run(254, 26);
        EXPECT_TRUE(
            peer.wire().startsWith(QStringLiteral("^ 45 45 45 0E 0F FE 00 1A 00 00 ") + r.tail))
            << r.rate << " " << peer.wire().toStdString();
    }
}

TEST_F(FrameExchangeTest, LanReadWaits300MsThenSendsThePlainHeader) {
    lan();
    peer.afterHeard(15, lanReply(142, hex("5A 02")));
    EXPECT_TRUE(run(cmd::TypeCodeRead, cmd::DirectPanel));
    EXPECT_EQ(peer.wire(), QStringLiteral("^ 41 41 41 41 41 31 32 33 34 35 7F 00 2A 12 02"));
    EXPECT_EQ(peer.heardAt(0), 300 * Ms);
    EXPECT_EQ(toHex(reply()), QStringLiteral("5A 02"));
}

TEST_F(FrameExchangeTest, LanExtraByteCarriesPanelAddressAndIsSkippedInTheReply) {
    lan();
    state.PanelAddress = 5;
    peer.afterHeard(16, lanReply(126, hex("11 22"), true, hex("33")));
    EXPECT_TRUE(run(254, 26));
    EXPECT_EQ(toHex(peer.heard), QStringLiteral("41 41 41 41 41 31 32 33 34 35 FE 00 1A 00 00 05"));
    EXPECT_EQ(toHex(reply()), QStringLiteral("11 22"));

    // No extra byte when the address is 0 or no bit 7 is set, nor ever in Sub LAN framing.
    for (auto [mode, address, panel] :
         {std::tuple{LinkModeLan, 0u, 254}, {LinkModeLan, 5u, 127}, {LinkModeSubLan, 5u, 254}}) {
        peer.heard.clear();
        state.LinkMode = mode;
        state.PanelAddress = address;
        run(std::uint8_t(panel), 26);
        // A failed Sub LAN read also releases the bus (11 bytes).
        const std::size_t expected = mode == LinkModeLan ? 15 : 13 + 11;
        state.PollPending = 0;
        EXPECT_EQ(peer.heard.size(), expected) << int(mode) << " " << address << " " << panel;
    }
}

TEST_F(FrameExchangeTest, WriteWithoutDataSendsALengthOfZeroAndNoSum) {
    peer.afterHeard(15, hex("01"));
    EXPECT_TRUE(run(5, 138));
    EXPECT_EQ(peer.wire(), QStringLiteral("^ 45 45 45 0E 0F 05 00 8A 00 00 8F 00 00 FF v FF"));
    lan();
    peer.afterHeard(15 + 17, hex("01"));
    const auto mark = peer.mark();
    EXPECT_TRUE(run(5, 138));
    EXPECT_EQ(peer.wire(mark),
              QStringLiteral("^ 41 41 41 41 41 31 32 33 34 35 05 00 8A 00 00 00 00"));
}

// ---- Data blocks -----------------------------------------------------------------------------

TEST_F(FrameExchangeTest, LanWriteOf300BytesHandshakesEvery128Bytes) {
    lan();
    const Bytes data = pattern(300);
    send(data);
    peer.afterHeard(15, hex("06"));           // header
    peer.afterHeard(15 + 2 + 129, hex("06")); // block 1 and its sum
    peer.afterHeard(15 + 2 + 258, hex("06")); // block 2 and its sum
    peer.afterHeard(15 + 2 + 258 + 45, hex("01"));
    EXPECT_TRUE(run(5, 150, 0, 21));
    const Bytes expected = hex("'AAAAA12345' 05 00 96 00 15 2C 01") + withBlockSums(data, true);
    EXPECT_EQ(toHex(peer.heard), toHex(expected));
}

TEST_F(FrameExchangeTest, LanWriteFailsWhenABlockIsNotAcknowledged) {
    lan();
    send(pattern(300));
    peer.afterHeard(15, hex("06"));
    peer.afterHeard(15 + 2 + 129, hex("15 15 06")); // the 0x06 comes too late
    EXPECT_FALSE(run(5, 150, 0, 21));
    EXPECT_EQ(peer.heard.size(), 15u + 2 + 129);
    EXPECT_FALSE(released());
}

TEST_F(FrameExchangeTest, LanControllerWriteIsPlainDataAndA16BitSum) {
    lan(true);
    const Bytes data = pattern(300);
    send(data);
    peer.afterHeard(15 + 2 + 300 + 2, hex("01"));
    EXPECT_TRUE(run(5, 150, 0, 22));
    EXPECT_EQ(toHex(peer.heard),
              toHex(hex("'AAAAA12345' 05 00 96 00 16 2C 01") + data + sum16Of(data)));
}

TEST_F(FrameExchangeTest, SubLanWritePauses96MsAfterEach32BytesCountedFromTheEnd) {
    state.BaudRate = 9600;
    const Bytes data = pattern(70);
    send(data);
    peer.afterHeard(11 + 2 + 70 + 2 + 2, hex("01"));
    EXPECT_TRUE(run(5, 124, 249, 120));
    EXPECT_EQ(toHex(peer.heard), toHex(subLanRequest(5, 124, 249, 120) + hex("46 00") + data +
                                       sum16Of(data) + hex("FF FF")));
    std::vector<std::size_t> pausedAfter;
    for (std::size_t i = 13; i < 13 + 70; ++i)
        if (peer.heardAt(i + 1) - peer.heardAt(i) == 96 * Ms) pausedAfter.push_back(i - 12);
    EXPECT_EQ(pausedAfter, (std::vector<std::size_t>{6, 38, 70}));
}

TEST_F(FrameExchangeTest, LanRead256BytesHasOneIntermediateCheckByte) {
    lan();
    const Bytes data = pattern(256, 3);
    const Bytes frame = lanReply(124, data);
    ASSERT_EQ(frame.size(), 10u + 5 + 2 + 257 + 2);
    peer.afterHeard(15, frame);
    EXPECT_TRUE(run(5, 24, 82, 121));
    EXPECT_EQ(reply(), data);
    EXPECT_EQ(toHex(Bytes(peer.heard.begin() + 15, peer.heard.end())), QStringLiteral("06"));
}

TEST_F(FrameExchangeTest, LanReadChecksTheBlockSumAndAcknowledgesAnEmptyReply) {
    lan();
    Bytes frame = lanReply(124, pattern(200));
    frame[17 + 128] ^= 0xFF;
    peer.afterHeard(15, frame);
    EXPECT_FALSE(run(5, 24, 82, 121));
    EXPECT_EQ(peer.heard.size(), 15u); // no 0x06 for a bad block

    peer.afterHeard(30, lanReply(150, {}));
    EXPECT_TRUE(run(5, 50, 0, 104));
    EXPECT_EQ(buffers.TransferLength, 0u);
    EXPECT_EQ(toHex(Bytes(peer.heard.begin() + 30, peer.heard.end())), QStringLiteral("06"));
}

// ---- Reply search ----------------------------------------------------------------------------

TEST_F(FrameExchangeTest, RepliesForOthersOrToOtherCommandsAreSkipped) {
    // ... and the reply search takes "EE" 0E 0F as a preamble.
    peer.afterHeard(13, subLanReply(150, 0, 0, hex("01"), /*to*/ 3) +
                            subLanReply(138, 0, 0, hex("02")) + hex("45 45 0E 0F") +
                            Bytes{0, 5, 150, 0, 104, std::uint8_t(5 + 150 + 104)} +
                            hex("01 00 09 09 00"));
    EXPECT_TRUE(run(5, 50, 0, 104));
    EXPECT_EQ(toHex(reply()), QStringLiteral("09"));
}

TEST_F(FrameExchangeTest, SearchBudgetCountsOnlyBytesBeforeEachPreamble) {
    struct Row {
        std::uint8_t mode;
        std::size_t junk;
        bool ok;
    };
    for (const Row& r : {Row{LinkModeLan, 15, true}, Row{LinkModeLan, 16, false},
                         Row{LinkModeSubLan, 95, true}, Row{LinkModeSubLan, 96, false}}) {
        state.LinkMode = r.mode;
        const std::size_t start = peer.heard.size();
        const auto mark = peer.mark();
        const Bytes frame =
            r.mode == LinkModeLan ? lanReply(150, hex("07")) : subLanReply(150, 0, 0, hex("07"));
        peer.afterHeard(start + (r.mode == LinkModeLan ? 15 : 13), Bytes(r.junk, 0x20) + frame);
        EXPECT_EQ(run(5, 50, 0, 104), r.ok) << int(r.mode) << " " << r.junk;
        // A Sub LAN search that runs out hands the bus back.
        EXPECT_EQ(peer.wire(mark).contains(toHex(ReleaseFrame)), !r.ok && r.mode == LinkModeSubLan);
        link.PurgePort();
    }
}

TEST_F(FrameExchangeTest, SilentLineExhaustsTheSubLanBudgetIn100Reads) {
    const auto start = clock.nowUs();
    EXPECT_FALSE(run(5, 50, 0, 104));
    EXPECT_TRUE(released());
    // 100 reads, then the release: pause, 100 ms, pause.
    EXPECT_EQ(clock.nowUs() - start, 100 * 110 * Ms + 5 * Ms + 100 * Ms + 5 * Ms);
}

// ---- Reply handling --------------------------------------------------------------------------

TEST_F(FrameExchangeTest, NoDataReplyStandsForSevenBytesAndReleasesAndCloses) {
    peer.afterHeard(13, subLanReply(116, 0, 0, {}));
    EXPECT_TRUE(run(5, 16));
    EXPECT_EQ(toHex(reply()), QStringLiteral("00 00 00 00 03 00 FF"));
    EXPECT_EQ(buffers.TransferLength, 7u);
    EXPECT_EQ(peer.wire(),
              "^ " + toHex(subLanRequest(5, 16)) + " FF v FF ^ " + toHex(ReleaseFrame) + " v");
    // The port stays open: opening it again would pulse DTR.
    EXPECT_EQ(peer.count(Ev::Closed), 0);
    EXPECT_EQ(state.PollPending, 1);
}

TEST_F(FrameExchangeTest, ReplyLongerThan4096FailsAndKeepsItsLength) {
    buffers.ReplyBuffer.fill(0xAA);
    Bytes frame = subLanReply(124, 0, 0, {});
    frame[11] = 0x01; // length 4097
    frame[12] = 0x10;
    peer.afterHeard(13, frame + pattern(20));
    EXPECT_FALSE(run(5, 24));
    EXPECT_EQ(buffers.TransferLength, 4097u);
    EXPECT_EQ(buffers.ReplyBuffer[0], 0xAA);
    EXPECT_TRUE(released());

    buffers.TransferLength = 0;
    state.PollPending = 0;
    peer.afterHeard(peer.heard.size() + 13, subLanReply(124, 0, 0, pattern(4096)));
    EXPECT_TRUE(run(5, 24));
    EXPECT_EQ(reply(), pattern(4096));
}

TEST_F(FrameExchangeTest, EleventhTimedOutDataReadFailsAtOnceWithoutRelease) {
    Bytes frame = subLanReply(124, 0, 0, pattern(20));
    frame.resize(13 + 5); // five data bytes, then silence
    peer.afterHeard(13, frame);
    const auto start = clock.nowUs();
    EXPECT_FALSE(run(5, 24));
    EXPECT_EQ(clock.nowUs() - start, 11 * 110 * Ms);
    EXPECT_EQ(buffers.TransferLength, 20u);
    EXPECT_FALSE(released());

    // Ten time-outs are tolerated; the zeros they give fail the sum.
    frame = subLanReply(124, 0, 0, pattern(20));
    frame.resize(13 + 10);
    peer.afterHeard(peer.heard.size() + 13, frame);
    EXPECT_FALSE(run(5, 24));
    EXPECT_TRUE(released());
}

TEST_F(FrameExchangeTest, BadHeaderCheckOrDataSumFailsAndReleases) {
    for (std::size_t corrupt : {10u, 13u + 3, 13u + 4}) { // header check, data, sum
        Bytes frame = subLanReply(124, 0, 0, pattern(4));
        frame[corrupt] ^= 0x01;
        const std::size_t start = peer.heard.size();
        const auto mark = peer.mark();
        state.PollPending = 0;
        peer.afterHeard(start + 13, frame);
        EXPECT_FALSE(run(5, 24)) << corrupt;
        EXPECT_EQ(peer.wire(mark),
                  "^ " + toHex(subLanRequest(5, 24)) + " FF v FF ^ " + toHex(ReleaseFrame) + " v");
    }
}

TEST_F(FrameExchangeTest, ReplySideEffectsApplyBeforeTheHeaderCheck) {
    struct Row {
        std::uint8_t command, b3, b4;
        std::uint32_t table5Point, address;
        std::int32_t lineBaud;
        std::uint8_t f0, f5, s7, s6, s1, c1;
    };
    const Row rows[] = {
        {50, 9, 0x15, 9, 0, 0, 0, 0, 0, 0, 0, 0},
        {50, 9, 0x16, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {38, 9, 0xC1, 0, 0, 0, 0, 0, 1, 1, 0, 1},
        {38, 9, 0x02, 0, 0, 0, 0, 0, 0, 1, 1, 0},
        {26, 12, 0x21, 0, 12, 19200, 1, 1, 0, 0, 0, 0},
        {26, 12, 0x04, 0, 12, 9600, 0, 0, 0, 0, 0, 0},
        {26, 12, 0x10, 0, 12, 1200, 0, 0, 0, 0, 0, 0},
        {76, 13, 0x1C, 0, 13, 38400, 0, 0, 0, 0, 0, 0},
    };
    for (const Row& r : rows) {
        ConnectionState fresh;
        fresh.PortName = state.PortName;
        fresh.BaudRate = state.BaudRate;
        fresh.Table5Point = 77;
        state = fresh;
        Bytes frame = subLanReply(std::uint8_t(r.command + 100), r.b3, r.b4, {});
        frame[10] ^= 0x80; // bad header check: the reply fails, its header has had its effect
        peer.afterHeard(peer.heard.size() + 13, frame);
        EXPECT_FALSE(run(5, r.command));
        EXPECT_EQ(
            (std::array<std::int64_t, 9>{state.Table5Point, state.PanelAddress, state.PanelLineBaud,
                                         state.IdentFlag0, state.IdentFlag5, state.StatusFlag7,
                                         state.StatusFlag6, state.StatusFlag1, state.StatusIsC1}),
            (std::array<std::int64_t, 9>{r.table5Point, r.address, r.lineBaud, r.f0, r.f5, r.s7,
                                         r.s6, r.s1, r.c1}))
            << int(r.command) << " " << int(r.b4);
    }
}

// ---- Writes ----------------------------------------------------------------------------------

TEST_F(FrameExchangeTest, WriteAcknowledgementSearchSkipsNoiseAndStopsAtAFrameStart) {
    // Without pending flags the exchange keeps the bus.
    peer.afterHeard(15, hex("00 07 01"));
    EXPECT_TRUE(run(5, 150, 0, 104));
    EXPECT_FALSE(released());
    EXPECT_EQ(state.PollPending, 0);

    peer.afterHeard(peer.heard.size() + 15, hex("07 45 01"));
    const auto start = clock.nowUs();
    EXPECT_FALSE(run(5, 150, 0, 104));
    EXPECT_LT(clock.nowUs() - start, 150 * Ms); // stopped at the "E"
    EXPECT_TRUE(released());
}

TEST_F(FrameExchangeTest, ClearMemoryOnSubLanWaits2000MsAndMayGoUnacknowledged) {
    struct Row {
        std::uint8_t flag7;
        bool ok;
    };
    for (const Row& r : {Row{1, true}, Row{0, false}}) {
        state.LinkMode = LinkModeSubLan;
        state.StatusFlag7 = r.flag7;
        state.ReleasePending = 1;
        state.PollPending = 0;
        const auto start = clock.nowUs();
        EXPECT_EQ(run(cmd::ClearMemory, 254), r.ok);
        // 2000 ms, 150 silent reads, then the release (5 + 100 + 5 ms).
        EXPECT_EQ(clock.nowUs() - start, 2000 * Ms + 150 * 110 * Ms + 110 * Ms) << int(r.flag7);
        EXPECT_EQ(state.PollPending, 1);
    }
    // Acknowledged after the pause: the wait starts 2000 ms after the request.
    state.StatusFlag7 = 0;
    state.PollPending = 0;
    peer.at(clock.nowUs() + 1500 * Ms, hex("01"));
    const auto start = clock.nowUs();
    EXPECT_TRUE(run(cmd::ClearMemory, 254));
    EXPECT_EQ(clock.nowUs() - start, 2000 * Ms);

    // In LAN framing a controller always answers a clear: flag 7 (left by a modem string read)
    // does not make silence a success.
    lan();
    state.StatusFlag7 = 1;
    EXPECT_FALSE(run(cmd::ClearMemory, 5));
    EXPECT_EQ(ex.lastFailure().reason, FailureReason::NotAcknowledged);
}

TEST_F(FrameExchangeTest, ThePortOpensOncePerConnectionAndDrainsBeforeItCloses) {
    lan();
    for (int i = 0; i < 3; ++i) {
        peer.afterHeard(peer.heard.size() + 15, lanReply(150, {}));
        EXPECT_TRUE(run(5, 50, 0, 104)) << i;
    }
    state.BaudRate = 9600; // a window moved the controller to a new rate
    peer.afterHeard(peer.heard.size() + 15, lanReply(150, {}));
    EXPECT_TRUE(run(5, 50, 0, 104));
    EXPECT_EQ(peer.count(Ev::Opened), 1);
    EXPECT_EQ(peer.count(Ev::RateChanged), 1);
    EXPECT_EQ(peer.rate, 9600);

    // The connection ends: the last 0x06 has left before the line closes.
    link.ClosePort();
    ASSERT_GE(peer.events.size(), 3u);
    const auto n = peer.events.size();
    EXPECT_EQ(peer.events[n - 3].byte, 0x06);
    EXPECT_EQ(peer.events[n - 2].kind, Ev::Drained);
    EXPECT_EQ(peer.events[n - 1].kind, Ev::Closed);
    // Another port, or the next connection, opens it again.
    peer.afterHeard(peer.heard.size() + 15, lanReply(150, {}));
    EXPECT_TRUE(run(5, 50, 0, 104));
    EXPECT_EQ(peer.count(Ev::Opened), 2);
}

TEST_F(FrameExchangeTest, FramesThatNeverPollStationZeroGiveUpAfter30Seconds) {
    // A busy Sub LAN whose master polls every station but ours, with preambles that never wear
    // out the search's patience.
    const Bytes pollOfFour = hex("45 0E 0F 04 09 1F 00 00 28");
    for (std::int64_t t = Ms; t < 40'000 * Ms; t += 20 * Ms)
        peer.at(t, pollOfFour);
    state.PollPending = 1;
    const auto start = clock.nowUs();
    EXPECT_FALSE(run(5, 50, 0, 104));
    EXPECT_EQ(ex.lastFailure().reason, FailureReason::NoPoll);
    EXPECT_GE(clock.nowUs() - start, 30'000 * Ms);
    EXPECT_LT(clock.nowUs() - start, 30'200 * Ms);
    EXPECT_TRUE(peer.heard.empty()); // the request was never sent
}

// ---- Bus cycle -------------------------------------------------------------------------------

TEST_F(FrameExchangeTest, PollPendingWaitsForThePollAndReleasePendingHandsTheBusBack) {
    state.BaudRate = 1200;
    state.PollPending = 1;
    state.ReleasePending = 1;
    // "EE" 0E 0F is not a preamble to a listener, a wrong command and a bad check are no polls.
    peer.at(10 * Ms, pollFrame(2));
    peer.at(20 * Ms, pollFrame(3, 33));
    peer.at(30 * Ms, pollFrame(3, 31, 0x77));
    peer.at(500 * Ms, pollFrame(3, 32));
    peer.afterHeard(2 + 11, subLanReply(150, 0, 0, hex("42")));
    EXPECT_TRUE(run(5, 50, 0, 104));
    EXPECT_EQ(peer.heardAt(0), 500 * Ms + 30 * Ms);
    EXPECT_EQ(peer.wire(), QStringLiteral("^ 01 01 ^ 45 45 45 0E 0F 05 00 32 00 68 9F v ^ ") +
                               toHex(ReleaseFrame) + " v");
    EXPECT_EQ(state.PollPending, 1);
    EXPECT_EQ(state.ReleasePending, 0);
    EXPECT_FALSE(link.ReadTimedOut);
}

TEST_F(FrameExchangeTest, PollThatNeverComesFailsQuietlyWithoutRelease) {
    state.PollPending = 1;
    const auto start = clock.nowUs();
    EXPECT_FALSE(run(5, 50, 0, 104));
    // Silence wears patience out after 47 reads.
    EXPECT_EQ(clock.nowUs() - start, 47 * 110 * Ms);
    EXPECT_TRUE(peer.heard.empty());
    EXPECT_FALSE(link.ReadTimedOut);
    EXPECT_EQ(state.PollPending, 1);
    EXPECT_TRUE(ui.messages.isEmpty());

    // A busy line wears it out after 751 bytes; the middle "E" of "EEE" is one of them.
    peer.at(clock.nowUs() + Ms, Bytes(750, 0x20) + pollFrame());
    ex.WaitForPoll();
    EXPECT_FALSE(link.ReadTimedOut);
    peer.at(clock.nowUs() + Ms, Bytes(751, 0x20) + pollFrame());
    ex.WaitForPoll();
    EXPECT_TRUE(link.ReadTimedOut);
}

TEST_F(FrameExchangeTest, ReleaseBusPausesBySpeed) {
    struct Row {
        std::int32_t rate;
        std::uint8_t mode;
        std::int64_t pause;
    };
    ASSERT_TRUE(link.OpenPort());
    for (const Row& r : {Row{9600, LinkModeSubLan, 5}, Row{4800, LinkModeSubLan, 10},
                         Row{2400, LinkModeSubLan, 20}, Row{1200, LinkModeSubLan, 40},
                         Row{1200, LinkModeLan, 40}}) {
        state.BaudRate = r.rate;
        state.LinkMode = r.mode;
        state.ReleasePending = 1;
        state.PollPending = 0;
        const std::size_t from = peer.heard.size();
        const auto mark = peer.mark();
        const auto start = clock.nowUs();
        ex.ReleaseBus();
        EXPECT_EQ(clock.nowUs() - start, (2 * r.pause + 100) * Ms) << r.rate;
        EXPECT_EQ(peer.heardAt(from) - start, (r.pause + 100) * Ms) << r.rate;
        EXPECT_EQ(peer.wire(mark), r.mode == LinkModeLan ? QStringLiteral("^ FE 00 27 00 00 v")
                                                         : "^ " + toHex(ReleaseFrame) + " v");
        EXPECT_EQ(state.ReleasePending, 0);
        EXPECT_EQ(state.PollPending, 1);
    }
}

// ---- Port failure and the wait cursor ---------------------------------------------------------

TEST_F(FrameExchangeTest, PortErrorIsShownOnceThenEveryExchangeFailsSilently) {
    failOpen = true;
    EXPECT_FALSE(run(5, 50, 0, 104));
    EXPECT_EQ(ui.briefs(), QStringList{QStringLiteral("[Message] COM Port Error")});
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(state.LinkMode, LinkModePortFailed);

    failOpen = false;
    state.PollPending = 1;
    EXPECT_FALSE(run(5, 50, 0, 104));
    EXPECT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(peer.heard.empty());
    EXPECT_EQ(ui.cursorChanges, 4);
}

TEST_F(FrameExchangeTest, OversizedTransferLengthIsRefusedBeforeAnythingIsSent) {
    buffers.TransferLength = TransferBuffers::Size + 1;
    EXPECT_FALSE(run(5, 150, 0, 21));
    EXPECT_TRUE(peer.events.empty());
}

} // namespace
} // namespace vtl

// ---- Why an exchange failed --------------------------------------------------------------------

namespace vtl {
namespace {

TEST_F(FrameExchangeTest, EveryFailedExchangeRecordsWhy) {
    using R = FailureReason;
    struct Row {
        const char* name;
        bool lan;
        std::function<void(FrameExchangeTest&)> script;
        bool write;
        R reason;
        const char* line; // how the reason starts
    };
    const auto corrupt = [](Bytes frame, std::size_t at) {
        frame[at] ^= 0x01;
        return frame;
    };
    const Row rows[] = {
        {"silent sub lan", false, [](auto&) {}, false, R::NoReply,
         "no reply at 38400 baud after 100 reads"},
        {"silent lan", true, [](auto&) {}, false, R::NoReply,
         "no reply at 38400 baud after 25 reads"},
        {"garbage before the lan preamble", true,
         [](auto& t) { t.peer.afterHeard(5, Bytes(30, 0x41) + lanReply(124, pattern(4))); }, false,
         R::PreambleNotFound, "preamble not found at 38400 baud after 25 reads"},
        {"sub lan header check", false,
         [&](auto& t) { t.peer.afterHeard(13, corrupt(subLanReply(124, 0, 0, pattern(4)), 10)); },
         false, R::HeaderCheck, "header check"},
        {"sub lan data sum", false,
         [&](auto& t) {
             t.peer.afterHeard(13, corrupt(subLanReply(124, 0, 0, pattern(4)), 13 + 4));
         },
         false, R::DataSum, "data sum"},
        {"lan block check", true,
         [&](auto& t) { t.peer.afterHeard(5, corrupt(lanReply(124, pattern(200)), 17 + 128)); },
         false, R::BlockCheck, "block check"},
        {"lan data sum", true,
         [&](auto& t) { t.peer.afterHeard(5, corrupt(lanReply(124, pattern(20)), 17 + 20)); },
         false, R::DataSum, "data sum"},
        {"data time-out", false,
         [](auto& t) {
             Bytes frame = subLanReply(124, 0, 0, pattern(20));
             frame.resize(13 + 5);
             t.peer.afterHeard(13, frame);
         },
         false, R::DataTimeout, "data time-out"},
        {"reply over 4096 bytes", true,
         [](auto& t) {
             Bytes frame = lanReply(124, {});
             frame[15] = 0x01;
             frame[16] = 0x10;
             t.peer.afterHeard(5, frame);
         },
         false, R::LengthOverLimit, "length over the limit"},
        {"write never acknowledged", false, [](auto&) {}, true, R::NotAcknowledged,
         "not acknowledged at 38400 baud after 150 reads"},
        {"write refused", false, [](auto& t) { t.peer.afterHeard(15, hex("15")); }, true,
         R::Refused, "refused with 0x15"},
        {"lan data block refused", true, [](auto& t) { t.peer.afterHeard(15, hex("15 15")); }, true,
         R::Refused, "refused with 0x15"},
        {"no poll", false, [](auto& t) { t.state.PollPending = 1; }, false, R::NoPoll, "no poll"},
        {"port not open", false, [](auto& t) { t.failOpen = true; }, false, R::PortNotOpen,
         "port not open"},
    };
    for (const Row& r : rows) {
        state = {};
        SetUp();
        if (r.lan) lan();
        link.ClosePort();
        failOpen = false;
        peer = {};
        r.script(*this);
        if (r.write) send(pattern(4));
        const bool ok = r.write ? ex.write(5, cmd::CompatibilityFlag,
                                           std::span(buffers.TransferBuffer.data(), 4))
                                : ex.read(5, {24, 0, 0});
        EXPECT_FALSE(ok) << r.name;
        EXPECT_EQ(ex.lastFailure().reason, r.reason) << r.name;
        EXPECT_TRUE(ex.lastFailure().describe().startsWith(QLatin1String(r.line)))
            << r.name << ": " << ex.lastFailure().describe().toStdString();
        EXPECT_EQ(ui.failureReason, ex.lastFailure().describe()) << r.name;
    }
    // A good exchange clears the reason.
    state = {};
    SetUp();
    failOpen = false;
    peer = {};
    peer.afterHeard(13, subLanReply(124, 0, 0, pattern(4)));
    EXPECT_TRUE(ex.read(5, {24, 0, 0}));
    EXPECT_FALSE(ex.lastFailure().failed());
    EXPECT_TRUE(ui.failureReason.isEmpty());
}

TEST_F(FrameExchangeTest, TypedReadAndWriteSetTheTransferLengthThemselves) {
    buffers.TransferLength = 999; // left by someone else
    peer.afterHeard(13, subLanReply(124, 0, 0, pattern(4)));
    ASSERT_TRUE(ex.read(5, {24, 0, 0}));
    EXPECT_EQ(reply(), pattern(4));

    const Bytes data = hex("01 02 03");
    const auto from = peer.heard.size();
    peer.afterHeard(from + 11 + 2 + 3 + 2 + 2, hex("01"));
    ASSERT_TRUE(ex.write(5, cmd::ModbusSettings, data));
    EXPECT_EQ(toHex(Bytes(peer.heard.begin() + long(from), peer.heard.end())),
              toHex(subLanRequest(5, 150, 0, 110) + hex("03 00 01 02 03 06 00 FF FF")));
    EXPECT_EQ(buffers.TransferLength, 3u);

    // An address that is already a write goes out as it is; more than the buffer holds is refused.
    peer.afterHeard(peer.heard.size() + 15, hex("01"));
    EXPECT_TRUE(ex.write(5, cmd::ClearMemory));
    const auto heard = peer.heard.size();
    EXPECT_FALSE(ex.write(5, cmd::ModbusSettings, Bytes(TransferBuffers::Size + 1, 0)));
    EXPECT_EQ(ex.lastFailure().reason, FailureReason::LengthOverLimit);
    EXPECT_EQ(peer.heard.size(), heard);
}

} // namespace
} // namespace vtl
