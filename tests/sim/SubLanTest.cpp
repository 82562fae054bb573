#include "tests/sim/SimLine.h"

#include <gtest/gtest.h>

namespace vtl::sim::test {
namespace {

struct BusFrame {
    std::uint8_t h[5];
};

// Splits bus traffic into frames, checking each frame's check byte.
QList<BusFrame> busFrames(const QByteArray& bytes) {
    QList<BusFrame> frames;
    for (int at = bytes.indexOf(QByteArray("EEE\x0E\x0F", 5)); at >= 0 && at + 11 <= bytes.size();
         at = bytes.indexOf(QByteArray("EEE\x0E\x0F", 5), at + 11)) {
        BusFrame f{};
        int sum = 0;
        for (int i = 0; i < 5; ++i)
            sum += f.h[i] = std::uint8_t(bytes[at + 5 + i]);
        EXPECT_EQ(std::uint8_t(bytes[at + 10]), std::uint8_t(sum));
        frames << f;
    }
    return frames;
}

ControllerOptions sub(Model model = Model::Sub4000) {
    ControllerOptions options;
    options.model = model;
    options.address = 5;
    options.lineRate = 19200;
    return options;
}

// Listens for the controller's poll of station 0 and answers it.
bool takeBus(SimLine& line, char address = 5) {
    const QByteArray poll = QByteArray("EEE\x0E\x0F\x00", 6) + address;
    QByteArray heard;
    for (int i = 0; i < 2000; ++i) {
        const auto b = line.pipe.readByte(110);
        if (!b) continue;
        heard += char(*b);
        const QByteArray tail = heard.right(11);
        if (tail.size() == 11 && tail.startsWith(poll) && (tail[7] == 31 || tail[7] == 32) &&
            tail[8] == 0 && tail[9] == 0) {
            line.clock.sleepMs(5);
            line.send(bytesOf({1, 1}));
            return true;
        }
    }
    return false;
}

QByteArray readFor(SimLine& line, int ms) {
    QByteArray heard;
    const std::int64_t end = line.clock.nowUs() + ms * 1000;
    while (line.clock.nowUs() < end)
        if (auto b = line.pipe.readByte(10)) heard += char(*b);
    return heard;
}

TEST(SubLan, ControllerTalksSteadilyAndPollsStationZero) {
    SimLine line(sub());
    const QList<BusFrame> frames = busFrames(readFor(line, 1000));
    EXPECT_GE(frames.size(), 20);
    int polls = 0;
    for (const BusFrame& f : frames) {
        EXPECT_EQ(f.h[1], 5);
        if (f.h[0] == 0) {
            ++polls;
            EXPECT_TRUE(f.h[2] == 31 || f.h[2] == 32);
            EXPECT_EQ(f.h[3], 0);
        }
    }
    EXPECT_GE(polls, 6);
    EXPECT_TRUE(line.sim.violations().isEmpty());
}

TEST(SubLan, PollServeReleaseCycle) {
    SimLine line(sub());
    ASSERT_TRUE(takeBus(line));
    line.send(subRequest(254, 26, 0, 0) + bytesOf({0xFF}));
    EXPECT_EQ(hex(line.read()), "45 45 45 0e 0f 00 05 7e 05 00 88 00 00");
    // The bus stays with the PC while it sends without a release.
    line.send(subRequest(5, 38, 0, 0) + bytesOf({0xFF}));
    EXPECT_EQ(hex(line.read()), "45 45 45 0e 0f 00 05 8a 00 40 cf 01 00 00 00 00");
    line.send(subRequest(5, 16, 1, 0) + bytesOf({0xFF}));
    EXPECT_EQ(hex(line.read()), "45 45 45 0e 0f 00 05 74 01 00 7a 00 00"); // empty program code
    EXPECT_TRUE(line.sim.busHeldByPc());
    line.send(QByteArray("EEE\x0E\x0F", 5) + bytesOf({254, 0, 39, 0, 0, 37}));
    EXPECT_FALSE(line.sim.busHeldByPc());
    EXPECT_FALSE(busFrames(readFor(line, 200)).isEmpty());
    EXPECT_TRUE(line.sim.violations().isEmpty()) << qPrintable(line.sim.violations().join('\n'));
}

// A poll this process could not put on the line in time still gives the PC its whole window.
TEST(SubLan, APollThatGoesOutLateIsStillAnswerable) {
    SimLine line(sub());
    const QByteArray pollStart = QByteArray("EEE\x0E\x0F\x00\x05", 7);
    QByteArray heard;
    while (!heard.endsWith(pollStart) && heard.size() < 4000)
        if (auto b = line.pipe.readByte(110)) heard += char(*b);
    ASSERT_TRUE(heard.endsWith(pollStart));
    line.clock.sleepMs(400); // nothing taken from the controller meanwhile
    EXPECT_EQ(line.read(4, 110).size(), 4);
    line.send(bytesOf({1, 1}));
    line.send(subRequest(254, 26, 0, 0) + bytesOf({0xFF}));
    EXPECT_EQ(hex(line.read(13, 300)), "45 45 45 0e 0f 00 05 7e 05 00 88 00 00");
    EXPECT_TRUE(line.sim.violations().isEmpty()) << qPrintable(line.sim.violations().join('\n'));
}

TEST(SubLan, BreachesOfTheBusAreRecorded) {
    SimLine line(sub());
    line.send(subRequest(5, 38, 0, 0)); // not polled
    line.send(QByteArray("EEE\x0E\x0F", 5) + bytesOf({254, 0, 39, 0, 0, 37}));
    line.send(bytesOf({0x55}));
    ASSERT_TRUE(takeBus(line));
    line.send(subRequest(5, 38, 0, 0).chopped(1) + bytesOf({0}));
    readFor(line, 200);
    const QStringList v = line.sim.violations();
    ASSERT_EQ(v.size(), 4) << qPrintable(v.join('\n'));
    EXPECT_TRUE(v[0].contains("request (command 38) without being polled"));
    EXPECT_TRUE(v[1].contains("release frame while the PC did not hold the bus"));
    EXPECT_TRUE(v[2].contains("stray byte 0x55"));
    EXPECT_TRUE(v[3].contains("header check 0x00, expected 0x2b"));
    EXPECT_TRUE(line.sim.framesNoted("reply").isEmpty());
}

TEST(SubLan, SilentPcLosesTheBus) {
    SimLine line(sub());
    ASSERT_TRUE(takeBus(line));
    EXPECT_TRUE(busFrames(readFor(line, 29'000)).isEmpty());
    EXPECT_FALSE(busFrames(readFor(line, 2'000)).isEmpty());
    EXPECT_FALSE(line.sim.busHeldByPc());
    EXPECT_TRUE(line.sim.violations().isEmpty());
}

TEST(SubLan, SecondStationAndMarkerAreHeard) {
    ControllerOptions options = sub();
    options.secondStation = 7;
    options.markerValue = 80;
    SimLine line(options);
    bool second = false, marker = false;
    for (const BusFrame& f : busFrames(readFor(line, 1000))) {
        second |= f.h[1] == 7;
        marker |= f.h[1] == 0 && f.h[4] == 205 && f.h[3] == 80;
    }
    EXPECT_TRUE(second);
    EXPECT_TRUE(marker);
}

TEST(SubLan, AddressAndRateWriteTakesEffectWhenTheBusIsReleased) {
    SimLine line(sub());
    ASSERT_TRUE(takeBus(line));
    line.send(subRequest(254, 126, 9, (1 << 2) | 0x20) + le16(0) + bytesOf({0xFF}));
    EXPECT_EQ(hex(line.read()), "01");
    EXPECT_EQ(line.sim.address(), 5);
    EXPECT_EQ(line.sim.lineRate(), 19200);
    line.send(QByteArray("EEE\x0E\x0F", 5) + bytesOf({254, 0, 39, 0, 0, 37}));
    EXPECT_EQ(line.sim.address(), 9);
    line.pipe.open(9600);
    ASSERT_TRUE(takeBus(line, 9));
    line.send(subRequest(254, 26, 0, 0));
    EXPECT_EQ(hex(line.read()), "45 45 45 0e 0f 00 09 7e 09 24 b4 00 00");
    EXPECT_TRUE(line.sim.violations().isEmpty()) << qPrintable(line.sim.violations().join('\n'));
}

TEST(SubLan, RecordWritesAndClear) {
    SimLine line(sub());
    ASSERT_TRUE(takeBus(line));
    const QByteArray tail = SimMemory::patternBlock({24, 60, 125}, 692);
    line.send(subRequest(5, 124, 60, 125) + le16(692) + tail + le16(sum16(tail)));
    EXPECT_EQ(hex(line.read()), "01");
    EXPECT_EQ(line.sim.peek({24, 82, 121}).mid(1000), tail);
    line.send(subRequest(5, 150, 200, 5) + le16(0));
    EXPECT_EQ(hex(line.read()), "01");
    line.send(subRequest(5, 50, 0, 5));
    EXPECT_EQ(hex(line.read()), "45 45 45 0e 0f 00 05 96 c8 05 68 00 00"); // the type in byte 3
    line.send(subRequest(254, 128, 0, 0) + le16(0));
    EXPECT_EQ(hex(line.read()), "01");
    EXPECT_TRUE(line.sim.peek({16, 0, 0}).isEmpty());
    EXPECT_EQ(line.sim.peek({3, 0, 0}), QByteArray(100, '\0'));
    EXPECT_TRUE(line.sim.violations().isEmpty());
}

} // namespace
} // namespace vtl::sim::test
