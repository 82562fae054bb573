// The simulated sub panel takes back the shortened records a sub panel restore writes.
#include "sim/SubPanelRecords.h"
#include "sim/SimulatedController.h"

#include <gtest/gtest.h>

#include <QMap>

namespace vtl::sim::test {
namespace {

using subpanel::BlockWrite;
using subpanel::expandWrite;

QByteArray fromHex(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

// Bytes 0x80, 0x81, ... so that every position is told apart.
QByteArray ramp(int size, int from = 0x80) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char(from + i);
    return b;
}

struct FakeMemory {
    QMap<RecordKey, QByteArray> blocks;
    QByteArray operator()(RecordKey key) const { return blocks.value(key); }
};

struct ExpandRow {
    const char* name;
    RecordKey key;
    QByteArray data;
    QByteArray before; // the block the write lands on
    RecordKey writtenKey;
    QByteArray after;
};

ExpandRow row(const char* name, RecordKey key, const QByteArray& data, const QByteArray& before,
              RecordKey writtenKey, const QByteArray& after) {
    return {name, key, data, before, writtenKey, after};
}

void PrintTo(const ExpandRow& row, std::ostream* os) {
    *os << row.name;
}

class ShortenedWrite : public ::testing::TestWithParam<ExpandRow> {};

TEST_P(ShortenedWrite, FillsTheSettingsAndKeepsTheWorkingBytes) {
    const ExpandRow& row = GetParam();
    FakeMemory memory;
    memory.blocks[row.writtenKey] = row.before;
    const QList<BlockWrite> writes = expandWrite(row.key, row.data, memory);
    ASSERT_EQ(writes.size(), 1);
    EXPECT_EQ(writes[0].key, row.writtenKey);
    EXPECT_EQ(writes[0].data.toHex(' ').toStdString(), row.after.toHex(' ').toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    SubPanel, ShortenedWrite,
    ::testing::Values(
        // Two entries of 22 bytes, 18 of each sent.
        row("Pid", {4, 1, 0}, ramp(36), QByteArray(44, '\x11'), {4, 1, 0},
            ramp(18) + fromHex("11111111") + ramp(18, 0x92) + fromHex("11111111")),
        row("PidExtended", {4, 0, 0}, ramp(60), QByteArray(68, '\0'), {4, 0, 0},
            ramp(30) + QByteArray(4, '\0') + ramp(30, 0x9e) + QByteArray(4, '\0')),
        row("PidIntoAMissingBlock", {4, 7, 0}, ramp(36), {}, {4, 7, 0},
            ramp(18) + QByteArray(4, '\0') + ramp(18, 0x92) + QByteArray(4, '\0')),
        row("Programs", {7, 0, 0}, fromHex("0102"), QByteArray(20, '\x33'), {7, 0, 0},
            fromHex("0102") + QByteArray(18, '\x33')),
        row("RuntimeLogs", {9, 1, 0}, ramp(40), QByteArray(60, '\x55'), {9, 1, 0},
            ramp(10) + QByteArray(5, '\x55') + ramp(10, 0x8a) + QByteArray(5, '\x55') +
                ramp(10, 0x94) + QByteArray(5, '\x55') + ramp(10, 0x9e) + QByteArray(5, '\x55')),
        row("SystemGroupHeads", {19, 2, 0}, fromHex("a1a2b1b2"), QByteArray(24, '\x66'), {19, 2, 0},
            fromHex("a1a2666666666666b1b2666666666666") + QByteArray(8, '\x66')),
        row("NoProgramCode", {16, 3, 0}, fromHex("000000000300ff"), ramp(9), {16, 3, 0}, {}),
        row("DescriptorsHead", {24, 82, 121}, fromHex("9c06") + ramp(1000, 1),
            QByteArray(1692, '\x77'), {24, 82, 121}, ramp(1000, 1) + QByteArray(692, '\x77')),
        row("DescriptorsTail", {24, 60, 125}, ramp(692, 2), QByteArray(1692, '\x77'), {24, 82, 121},
            QByteArray(1000, '\x77') + ramp(692, 2)),
        row("CustomUnits", {24, 249, 120}, fromHex("5700") + ramp(87), QByteArray(87, '\0'),
            {24, 249, 120}, ramp(87)),
        row("SubPanelTypeInThePointByte", {50, 170, 5}, {}, {}, {50, 0, 5}, fromHex("aa"))),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ShortenedWrite, TrendLogPairFillsTwoBlocks) {
    FakeMemory memory;
    memory.blocks[{10, 4, 0}] = QByteArray(46, '\x44');
    memory.blocks[{10, 5, 0}] = QByteArray(46, '\x45');
    const QList<BlockWrite> writes = expandWrite({10, 2, 0}, ramp(44), memory);
    ASSERT_EQ(writes.size(), 2);
    EXPECT_EQ(writes[0].key, (RecordKey{10, 4, 0}));
    EXPECT_EQ(writes[0].data,
              ramp(11) + QByteArray(12, '\x44') + ramp(11, 0x8b) + QByteArray(12, '\x44'));
    EXPECT_EQ(writes[1].key, (RecordKey{10, 5, 0}));
    EXPECT_EQ(writes[1].data,
              ramp(11, 0x96) + QByteArray(12, '\x45') + ramp(11, 0xa1) + QByteArray(12, '\x45'));
}

TEST(ShortenedWrite, OtherWritesAreStoredAsSent) {
    const FakeMemory memory;
    const QList<std::pair<RecordKey, QByteArray>> fullSize = {
        {{4, 0, 0}, ramp(44)},  {{7, 0, 0}, ramp(20)},  {{9, 0, 0}, ramp(60)},
        {{10, 0, 0}, ramp(46)}, {{16, 0, 0}, ramp(7)},  {{19, 0, 0}, ramp(3)},
        {{8, 0, 0}, ramp(360)}, {{3, 0, 0}, ramp(100)}, {{50, 0, 7}, ramp(16)}};
    for (const auto& [key, data] : fullSize)
        EXPECT_TRUE(expandWrite(key, data, memory).isEmpty())
            << int(key.command) << "/" << int(key.point) << "/" << int(key.table);
}

TEST(WorkingBytes, AreZeroInTheBlocksASubPanelStartsWith) {
    QByteArray pid(44, '\x01'), programs(20, '\x01'), runtime(60, '\x01'), trend(46, '\x01'),
        groups(16, '\x01'), tables(360, '\x01');
    subpanel::zeroWorkingBytes(4, pid);
    subpanel::zeroWorkingBytes(7, programs);
    subpanel::zeroWorkingBytes(9, runtime);
    subpanel::zeroWorkingBytes(10, trend);
    subpanel::zeroWorkingBytes(19, groups);
    subpanel::zeroWorkingBytes(8, tables);
    const QByteArray one(1, '\x01');
    EXPECT_EQ(pid, one.repeated(18) + QByteArray(4, '\0') + one.repeated(18) + QByteArray(4, '\0'));
    EXPECT_EQ(programs, one.repeated(2) + QByteArray(18, '\0'));
    EXPECT_EQ(runtime, (one.repeated(10) + QByteArray(5, '\0')).repeated(4));
    EXPECT_EQ(trend, (one.repeated(11) + QByteArray(12, '\0')).repeated(2));
    EXPECT_EQ(groups, (one.repeated(2) + QByteArray(6, '\0')).repeated(2));
    EXPECT_EQ(tables, one.repeated(360));
}

// A LAN backup leaves out blocks of all 0xFF, which a clear would turn into zeros.
TEST(SimMemoryContent, NoBlockIsAll0xFF) {
    for (const QString& name : modelNames()) {
        const SimMemory memory(*modelFromName(name), 5, 19200);
        for (const RecordKey& key : memory.keys()) {
            const QByteArray data = *memory.read(key);
            EXPECT_TRUE(data.isEmpty() || data.count('\xff') != data.size())
                << qPrintable(name) << " " << int(key.command) << "/" << int(key.point) << "/"
                << int(key.table);
        }
    }
}

TEST(SimMemoryContent, DumpListsEveryRecordInKeyOrder) {
    SimMemory memory(Model::Sub3000, 5, 19200);
    memory.write({1, 0, 0}, fromHex("0aff"));
    memory.write({16, 1, 0}, {});
    const QList<QByteArray> lines = memory.dump().split('\n');
    EXPECT_EQ(lines.size(), memory.keys().size() + 1);
    EXPECT_EQ(lines.first(), "1 0 0 2 0aff");
    EXPECT_TRUE(lines.contains("16 1 0 0"));
    EXPECT_TRUE(lines.contains("50 0 5 1 82")); // the sub panel type, 130
    EXPECT_EQ(lines.last(), "");
}

} // namespace
} // namespace vtl::sim::test
