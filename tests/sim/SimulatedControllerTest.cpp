#include "tests/sim/SimLine.h"

#include <gtest/gtest.h>

namespace vtl::sim::test {
namespace {

ControllerOptions modelAt(Model model, int rate = 19200) {
    ControllerOptions options;
    options.model = model;
    options.lineRate = rate;
    return options;
}

QByteArray withCheck(QByteArray data) {
    std::uint8_t running = 0;
    for (char c : data)
        running = std::uint8_t(running + std::uint8_t(c));
    return data + bytesOf({running});
}

struct TypeCodeRow {
    Model model;
    const char* reply;
};

TEST(SimulatedController, TypeCodeReadAnswersWithTheModelsCode) {
    const TypeCodeRow rows[] = {
        {Model::Main, "41 41 41 41 41 31 32 33 34 35 00 01 8e 12 02 02 00 40 01 41 00"},
        {Model::Lan490, "41 41 41 41 41 31 32 33 34 35 00 01 8e 12 02 02 00 ea 01 eb 00"},
        {Model::Lan602, "41 41 41 41 41 31 32 33 34 35 00 01 8e 12 02 02 00 5a 02 5c 00"},
    };
    for (const TypeCodeRow& row : rows) {
        SimLine line(modelAt(row.model));
        line.send(lanRequest(127, 42, 18, 2));
        EXPECT_EQ(hex(line.read()), QByteArray(row.reply)) << qPrintable(modelName(row.model));
        EXPECT_TRUE(line.sim.violations().isEmpty());
    }
    ControllerOptions overridden = modelAt(Model::Lan600);
    overridden.typeCode = 699;
    EXPECT_TRUE(SimulatedController(overridden).plainDataFraming());
    EXPECT_FALSE(SimulatedController(modelAt(Model::Main)).plainDataFraming());
}

TEST(SimulatedController, MainPanelReplySendsCheckBytesAndWaitsFor06) {
    SimLine line(modelAt(Model::Main));
    const QByteArray block = SimMemory::patternBlock({1, 2, 0}, 256);
    line.sim.poke({1, 2, 0}, block);
    line.send(lanRequest(127, 1, 2, 0));
    const QByteArray head = QByteArray("AAAAA12345") + bytesOf({0, 1, 101, 2, 0}) + le16(256);
    EXPECT_EQ(hex(line.read()), hex(head + withCheck(block.left(128))));
    line.send(bytesOf({0x06}));
    // No check byte after the last block, then the 16-bit sum.
    EXPECT_EQ(hex(line.read()), hex(block.mid(128) + le16(sum16(block))));
    EXPECT_TRUE(line.sim.violations().isEmpty());

    line.send(lanRequest(127, 1, 2, 0));
    line.read();
    line.clock.sleepMs(2000);
    line.sim.advance(line.clock.nowUs());
    ASSERT_EQ(line.sim.violations().size(), 1);
    EXPECT_TRUE(line.sim.violations()[0].contains("no 0x06 after a 128-byte reply block"));
}

TEST(SimulatedController, EmptyLanReplyExpects06) {
    SimLine line(modelAt(Model::Lan490));
    line.sim.poke({3, 0, 0}, {});
    line.send(lanRequest(127, 3, 0, 0));
    EXPECT_EQ(hex(line.read()), hex(QByteArray("AAAAA12345") + bytesOf({0, 1, 103, 0, 0, 0, 0})));
    line.send(bytesOf({0x06}));
    line.clock.sleepMs(2000);
    line.sim.advance(line.clock.nowUs());
    EXPECT_TRUE(line.sim.violations().isEmpty());
}

struct BadFrameRow {
    const char* name;
    Model model;
    QByteArray bytes;
    const char* violation;
};

// The controller's good answers are proven by the backups and restores against it, whose framing
// the frame exchange tests check byte for byte; here, what it makes of bad frames.
TEST(SimulatedController, BadFramesAreRecordedAndNotAnswered) {
    const QByteArray four = bytesOf({1, 2, 3, 4});
    const BadFrameRow rows[] = {
        {"final check", Model::Main, le16(4) + four + bytesOf({11}),
         "final check 0x0b, expected 0x0a"},
        {"block check", Model::Main, le16(200) + QByteArray(128, 1) + bytesOf({0x7F}),
         "block check 0x7f after data byte 128, expected 0x80"},
        {"data sum", Model::Lan490, le16(4) + four + le16(11), "data sum 11, expected 10"},
    };
    for (const BadFrameRow& row : rows) {
        SimLine line(modelAt(row.model));
        const QByteArray before = line.sim.peek({1, 0, 0});
        line.send(lanRequest(127, 101, 0, 0));
        if (row.model == Model::Main) line.read(1, 300); // its 0x06 before the data
        line.send(row.bytes);
        line.read();
        ASSERT_EQ(line.sim.violations().size(), 1) << row.name;
        EXPECT_TRUE(line.sim.violations()[0].contains(row.violation))
            << qPrintable(line.sim.violations()[0]);
        EXPECT_TRUE(line.sim.framesNoted("write ack").isEmpty()) << row.name;
        EXPECT_EQ(line.sim.peek({1, 0, 0}), before) << row.name;
    }
    SimLine line(modelAt(Model::Main));
    line.send(QByteArray("AAAA12345") + bytesOf({0x7F}));
    EXPECT_TRUE(line.read().isEmpty());
    EXPECT_TRUE(line.sim.violations().value(0).contains("broken preamble: 0x31 at position 4"));
}

// A PC that gave up waiting for the 0x06 after a write's header asks again from the start: the
// controller must not take that request for the write's data, or say why when it could not know.
TEST(SimulatedController, AWriteGivenUpBeforeOurLateAckIsNotTakenForItsData) {
    const QByteArray write = lanRequest(127, 101, 0, 0);
    const QByteArray rest = le16(4) + withCheck(bytesOf({1, 2, 3, 4}));
    {
        SimLine line(modelAt(Model::Main));
        line.send(write); // our 0x06 has not gone out when the PC asks again
        line.send(write);
        EXPECT_EQ(hex(line.read(1, 300)), "06");
        line.send(rest);
        EXPECT_EQ(hex(line.read()), "01");
        EXPECT_EQ(line.sim.peek({1, 0, 0}).left(4), bytesOf({1, 2, 3, 4}));
        ASSERT_EQ(line.sim.violations().size(), 1);
        EXPECT_TRUE(line.sim.violations()[0].contains("0x41 before our 0x06 had gone out"));
    }
    SimLine line(modelAt(Model::Main));
    line.send(write);
    // This process did not run for 250 ms: our 0x06 goes out after the PC stopped waiting for it.
    line.clock.sleepMs(250);
    line.sim.overlook(250'000);
    EXPECT_EQ(hex(line.read(1, 300)), "06");
    line.send(write);
    line.read();
    EXPECT_TRUE(line.sim.violations().value(0).contains(
        "write of 16705 bytes, more than 4096 after our 0x06 went out late"))
        << qPrintable(line.sim.violations().join('\n'));
}

TEST(SimulatedController, SilentAtAnotherRate) {
    SimLine line(modelAt(Model::Main, 19200), 9600);
    line.send(lanRequest(127, 42, 18, 2));
    EXPECT_TRUE(line.read().isEmpty());
    EXPECT_EQ(line.sim.unheardBytes(), 15);
    EXPECT_TRUE(line.sim.violations().isEmpty());
    line.pipe.open(19200);
    line.send(lanRequest(127, 42, 18, 2));
    EXPECT_EQ(line.read().size(), 21);
}

TEST(SimulatedController, ClearEmptiesMemoryButKeepsSettings) {
    SimLine line(modelAt(Model::Main));
    const QByteArray settings = line.sim.peek({38, 49, 0});
    line.send(lanRequest(127, 128, 0, 0) + le16(0));
    EXPECT_EQ(hex(line.read()), "06 01");
    EXPECT_EQ(line.sim.peek({1, 0, 0}), QByteArray(240, '\0'));
    EXPECT_TRUE(line.sim.peek({16, 5, 0}).isEmpty());
    EXPECT_EQ(line.sim.peek({38, 49, 0}), settings);
    EXPECT_TRUE(line.sim.violations().isEmpty());
}

TEST(SimulatedController, EveryCatalogueBlockIsReadable) {
    for (Model model : {Model::Main, Model::Lan490, Model::Lan600, Model::Lan602}) {
        const SimulatedController sim(modelAt(model));
        EXPECT_EQ(sim.peek({16, 127, 0}).isEmpty(), model != Model::Main && model != Model::Lan490);
        EXPECT_EQ(sim.peek({50, 3, 162}).isEmpty(), model != Model::Lan602);
        EXPECT_EQ(sim.peek({50, 0, 21}).size(), model == Model::Main ? 1276 : 2100);
    }
    EXPECT_GE(SimulatedController(modelAt(Model::Lan490)).peek({50, 0, 22}).size(), 164);

    SimLine line(modelAt(Model::Lan490));
    line.send(lanRequest(127, 1, 4, 0)); // four Outputs blocks: 0 to 3
    EXPECT_EQ(hex(line.read()), hex(QByteArray("AAAAA12345") + bytesOf({0, 1, 101, 4, 0, 0, 0})));
    line.send(bytesOf({0x06}));
    ASSERT_EQ(line.sim.unknownReads().size(), 1);
    EXPECT_TRUE(line.sim.unknownReads()[0] == (RecordKey{1, 4, 0}));
}

TEST(SimulatedController, FaultSwitches) {
    const QByteArray head = QByteArray("AAAAA12345") + bytesOf({0, 1, 142, 18, 2});
    const QByteArray good = head + le16(2) + bytesOf({0x40, 0x01, 0x41, 0x00});
    auto answer = [&](auto setUp) {
        SimLine line(modelAt(Model::Main));
        setUp(line.sim.faults);
        line.send(lanRequest(127, 42, 18, 2));
        const QByteArray first = line.read();
        line.send(lanRequest(127, 42, 18, 2));
        EXPECT_EQ(hex(line.read()), hex(good)); // faults last for one answer
        return first;
    };
    EXPECT_TRUE(answer([](Faults& f) { f.noAnswer = true, f.count = 1; }).isEmpty());
    EXPECT_TRUE(answer([](Faults& f) { f.dropAnswer = true, f.count = 1; }).isEmpty());
    EXPECT_EQ(hex(answer([](Faults& f) { f.corruptSum = true, f.count = 1; })),
              hex(head + le16(2) + bytesOf({0x40, 0x01, 0x42, 0x00})));
    EXPECT_EQ(hex(answer([](Faults& f) { f.corruptDataByte = true, f.count = 1; })),
              hex(head + le16(2) + bytesOf({0x1A, 0x01, 0x41, 0x00})));
    EXPECT_EQ(hex(answer([](Faults& f) { f.garbageBeforePreamble = 3, f.count = 1; })),
              hex(bytesOf({0x11, 0x4C, 0x87}) + good));
    EXPECT_EQ(hex(answer([](Faults& f) { f.length4097 = true, f.count = 1; })),
              hex(head + le16(4097)));

    SimLine line(modelAt(Model::Main));
    line.sim.faults.delayUs = 500'000;
    line.send(lanRequest(127, 42, 18, 2));
    EXPECT_EQ(line.read(100), QByteArray()); // still waiting
    EXPECT_EQ(line.read(1000).size(), 21);
    const FrameRecord request = line.sim.framesNoted("request").value(0);
    const FrameRecord reply = line.sim.framesNoted("reply").value(0);
    EXPECT_EQ(reply.timeUs - request.endUs, 502'000);
    EXPECT_EQ(reply.endUs - reply.timeUs, 20 * 520); // ten bits a byte at 19200
    EXPECT_EQ(reply.bytes, good);
}

} // namespace
} // namespace vtl::sim::test
