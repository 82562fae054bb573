#include "tests/panelfile/PanelRig.h"

namespace vtl::test {
namespace {

using sim::bytesOf;
using sim::Model;

QByteArray zeros(int n) {
    return QByteArray(n, '\0');
}

// The first `kept` bytes of each `stride`-byte entry.
QByteArray keep(const QByteArray& d, int entries, int stride, int kept) {
    QByteArray out;
    for (int e = 0; e < entries; ++e)
        out += d.mid(e * stride, kept);
    return out;
}

QByteArray groupHeads(const QByteArray& d) {
    return keep(d, int(d.size() / 8), 8, 2);
}

struct SubPanelBackup : ::testing::Test {
    std::unique_ptr<BackupRig> rig;

    void start(Model model, int subPanelType = -1) {
        sim::ControllerOptions options = simOptions(model, 5, 19200);
        options.subPanelType = subPanelType;
        rig = std::make_unique<BackupRig>(options);
        ASSERT_TRUE(rig->connectSub());
    }
    BackupOutcome backup(MessageAnswer addressSpecific = MessageAnswer::Yes) {
        rig->ui.answer(addressSpecific);
        return rig->backup(PanelFamily::Sub, rig->path());
    }
    QByteArray peek(int command, int point, int table = 0) {
        return rig->controller.peek(
            {std::uint8_t(command), std::uint8_t(point), std::uint8_t(table)});
    }
    QByteArray file() { return readAll(rig->path()); }
    QList<FileRecord> records() {
        const ParsedPanelFile parsed = parsePanelFile(rig->path(), PanelFamily::Sub);
        EXPECT_TRUE(parsed.wellFormed);
        return parsed.records;
    }
    QByteArray recordData(int command, int point) {
        for (const FileRecord& r : records())
            if (r.header.command == command && r.header.point == point) return r.data;
        ADD_FAILURE() << "no record " << command << "/" << point;
        return {};
    }
    void expectBusHandedBack() {
        EXPECT_FALSE(rig->controller.busHeldByPc());
        const QList<sim::FrameRecord> heard = rig->controller.frames();
        const auto last = std::find_if(heard.rbegin(), heard.rend(), [](const auto& f) {
            return f.direction == sim::FrameRecord::Direction::Heard;
        });
        ASSERT_NE(last, heard.rend());
        EXPECT_EQ(last->note, QStringLiteral("release"));
        EXPECT_TRUE(rig->controller.violations().isEmpty())
            << rig->controller.violations().join('\n').toStdString();
    }
};

TEST_F(SubPanelBackup, EveryRecordOfA4000FamilyPanel) {
    start(Model::Sub4000);
    ASSERT_EQ(backup(), BackupOutcome::Finished);

    QByteArray expected = expectedHeader(4005, 0);
    expected += record(154, 0, 0, peek(50, 0, 104));
    expected += record(1, 0, 0, peek(1, 0)) + record(2, 0, 0, peek(2, 0));
    for (int b = 0; b < 8; ++b)
        expected += record(3, b, 0, peek(3, b));
    for (int b = 0; b < 4; ++b)
        expected += record(4, b, 0, keep(peek(4, b), 2, 22, 18));
    expected += record(5, 0, 0, peek(5, 0)) + record(6, 0, 0, peek(6, 0));
    expected += record(7, 0, 0, peek(7, 0).left(2));
    expected += record(8, 0, 0, peek(8, 0));
    for (int b = 0; b < 2; ++b)
        expected += record(9, b, 0, keep(peek(9, b), 4, 15, 10));
    for (int p = 0; p < 2; ++p)
        expected += record(10, p, 0,
                           keep(peek(10, 2 * p), 2, 23, 11) + keep(peek(10, 2 * p + 1), 2, 23, 11));
    for (int b = 0; b < 2; ++b)
        expected += record(14, b, 0, peek(14, b));
    expected += record(57, 0, 0, peek(50, 0, 7));
    expected += bytesOf({55, 140, 0, 0, 0});
    const QByteArray descriptors = peek(24, 82, 121);
    ASSERT_EQ(descriptors.size(), 1692);
    expected += record(24, 82, 121, bytesOf({156, 6}) + descriptors.left(1000));
    expected += record(24, 60, 125, descriptors.mid(1000));
    expected += record(177, 0, 0, peek(50, 0, 127));
    expected += record(16, 0, 0, peek(16, 0));
    for (int b = 1; b < 5; ++b) // empty program code blocks
        expected += record(16, b, 0, bytesOf({0, 0, 0, 0, 3, 0, 255}));
    for (int b = 0; b < 4; ++b)
        expected += record(17, b, 0, peek(17, b));
    for (int b = 0; b < 2; ++b)
        expected += record(18, b, 0, peek(18, b));
    for (int b = 0; b < 4; ++b)
        expected += record(19, b, 0, groupHeads(peek(19, b)));
    expected += record(24, 249, 120, bytesOf({87, 0}) + peek(24, 249, 120));
    expected += record(73, 0, 0, peek(50, 0, 23));
    EXPECT_EQ(file().toHex(), expected.toHex());

    ASSERT_EQ(rig->ui.messages.size(), 1);
    const auto& asked = rig->ui.messages[0];
    EXPECT_EQ(asked.brief(), QStringLiteral("[VTL] Make Panel File Address Specific?"));
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    EXPECT_EQ(asked.icon, MessageIcon::Question);
    const QStringList& statuses = rig->ui.statuses;
    EXPECT_EQ(statuses.first(), QStringLiteral("Reading Kestrom Configuration 1 of 1"));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Reading PID Controllers 4 of 4")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Reading Sub Panel Descriptors 1 of 1")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Reading Sub Panel Extended Descriptors 1 of 1")));
    EXPECT_EQ(statuses.last(), QStringLiteral("Finished Creating Panel File"));
    expectBusHandedBack();
}

TEST_F(SubPanelBackup, ReadsOfTheTableRecordsAndMarkers) {
    start(Model::Sub7000);
    ASSERT_EQ(backup(), BackupOutcome::Finished);
    QList<QByteArray> requests;
    for (const sim::FrameRecord& f : rig->controller.framesNoted(QStringLiteral("request")))
        requests << f.bytes.mid(5, 5).toHex(' ');
    // Kestrom Configuration, Sub Panel Name, Type, the descriptors, the extended descriptors of
    // the 7000 family, custom units and net sensor.
    for (const char* r : {"05 00 32 00 68", "05 00 32 00 07", "05 00 32 00 05", "05 00 18 52 79",
                          "05 00 32 00 78", "05 00 18 f9 78", "05 00 32 00 17"})
        EXPECT_EQ(requests.count(QByteArray(r)), 1) << r;
    EXPECT_EQ(recordData(170, 0), peek(50, 0, 120));
    EXPECT_EQ(parsePanelFile(rig->path(), PanelFamily::Sub).header.header.familyCode, 7005);
    expectBusHandedBack();
}

TEST_F(SubPanelBackup, NoMakesTheFileFitAnyAddress) {
    start(Model::Sub3000);
    ASSERT_EQ(backup(MessageAnswer::No), BackupOutcome::Finished);
    EXPECT_EQ(file().mid(47, 5), bytesOf({0xBD, 0x0B, 0, 0, 1})); // 3005, any address
    expectBusHandedBack();
}

TEST_F(SubPanelBackup, AddressZeroIsRefusedBeforeAnyRead) {
    start(Model::Sub3000);
    rig->state.PanelAddress = 0;
    {
        QFile old(rig->path());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    EXPECT_EQ(rig->backup(PanelFamily::Sub, rig->path()), BackupOutcome::InvalidAddress);
    EXPECT_EQ(rig->ui.briefs(),
              QStringList{QStringLiteral("[Error] Invalid Address Or Panel Not Supported.")});
    EXPECT_EQ(file(), QByteArray("old"));
    EXPECT_EQ(rig->dirEntries(), QStringList{QStringLiteral("PANEL.PNL")});
    EXPECT_TRUE(rig->controller.framesNoted(QStringLiteral("request")).isEmpty());
}

// Replies shorter than the record they feed: the missing bytes are stored as zeros, never as
// what an earlier reply left in the buffer.
TEST_F(SubPanelBackup, ShortAndOddReplies) {
    start(Model::Sub4000);
    const QByteArray pattern = sim::SimMemory::patternBlock({99, 1, 2}, 2000);
    auto poke = [&](int command, int point, int table, int size) {
        const QByteArray d = pattern.mid(command, size);
        rig->controller.poke({std::uint8_t(command), std::uint8_t(point), std::uint8_t(table)}, d);
        return d;
    };
    const QByteArray pid = poke(4, 0, 0, 30);
    poke(4, 1, 0, 0);
    const QByteArray programs = poke(7, 0, 0, 1);
    const QByteArray tables = poke(8, 0, 0, 100);
    const QByteArray runtime = poke(9, 0, 0, 50);
    const QByteArray trend = poke(10, 0, 0, 30);
    const QByteArray code = poke(16, 0, 0, 3);
    const QByteArray groups = poke(19, 0, 0, 61);
    poke(19, 1, 0, 7);
    const QByteArray descriptors = poke(24, 82, 121, 1500);
    const QByteArray units = poke(24, 249, 120, 40);
    ASSERT_EQ(backup(), BackupOutcome::Finished);

    EXPECT_EQ(recordData(4, 0), pid.left(18) + pid.mid(22, 8) + zeros(10));
    EXPECT_EQ(recordData(4, 1), zeros(36));
    EXPECT_EQ(recordData(7, 0), programs + zeros(1));
    EXPECT_EQ(recordData(8, 0), tables + zeros(260));
    EXPECT_EQ(recordData(9, 0), runtime.left(10) + runtime.mid(15, 10) + runtime.mid(30, 10) +
                                    runtime.mid(45, 5) + zeros(5));
    EXPECT_EQ(recordData(10, 0),
              trend.left(11) + trend.mid(23, 7) + zeros(4) + keep(peek(10, 1), 2, 23, 11));
    EXPECT_EQ(recordData(16, 0), code);
    EXPECT_EQ(recordData(19, 0), groupHeads(groups.left(56)));
    EXPECT_EQ(recordData(19, 0).size(), 14);
    EXPECT_EQ(recordData(19, 1), QByteArray());
    EXPECT_EQ(recordData(24, 82), bytesOf({156, 6}) + descriptors.left(1000));
    EXPECT_EQ(recordData(24, 60), descriptors.mid(1000) + zeros(192));
    EXPECT_EQ(recordData(24, 249), bytesOf({87, 0}) + units + zeros(47));
    expectBusHandedBack();
}

TEST_F(SubPanelBackup, KestromPanelsKeepExtendedPidEntries) {
    start(Model::Sub4000);
    rig->controller.poke({50, 0, 104}, bytesOf({1}));
    const QByteArray pid = sim::SimMemory::patternBlock({4, 2, 0}, 68);
    rig->controller.poke({4, 2, 0}, pid);
    const QByteArray tables = sim::SimMemory::patternBlock({8, 0, 0}, 400);
    rig->controller.poke({8, 0, 0}, tables);
    const QByteArray units = sim::SimMemory::patternBlock({24, 249, 120}, 90);
    rig->controller.poke({24, 249, 120}, units);
    ASSERT_EQ(peek(24, 249, 120), units);
    ASSERT_EQ(backup(), BackupOutcome::Finished);

    EXPECT_EQ(recordData(154, 0), bytesOf({1}));
    EXPECT_EQ(recordData(4, 2), pid.left(30) + pid.mid(34, 30));
    // The other blocks are short for extended entries: 44 bytes read, 60 stored.
    EXPECT_EQ(recordData(4, 0), peek(4, 0).left(30) + peek(4, 0).mid(34, 10) + zeros(20));
    // Longer replies are cut to the record.
    EXPECT_EQ(recordData(8, 0), tables.left(360));
    EXPECT_EQ(recordData(24, 249), bytesOf({87, 0}) + units.left(87));
}

TEST_F(SubPanelBackup, TypeOutsideTheRangeIsStoredAs253) {
    for (const int type : {100, 127, 128, 200, 253, 254}) {
        SCOPED_TRACE(type);
        start(Model::Sub3000, type);
        std::uint32_t table5Point = 0;
        rig->whenStatus(QStringLiteral("Reading Sub Panel Descriptors 1 of 1"),
                        [&] { table5Point = rig->state.Table5Point; });
        ASSERT_EQ(backup(), BackupOutcome::Finished);
        const int stored = type >= 128 && type <= 253 ? type : 253;
        const QList<FileRecord> all = records();
        const auto type55 = std::find_if(
            all.begin(), all.end(), [](const FileRecord& r) { return r.header.command == 55; });
        ASSERT_NE(type55, all.end());
        EXPECT_EQ(type55->header, (BlockRecordHeader{55, std::uint8_t(stored), 0, 0}));
        EXPECT_EQ(table5Point, std::uint32_t(stored));
        expectBusHandedBack();
    }
}

TEST_F(SubPanelBackup, ATrendLogPairWithOneHalfIgnoredIsPaddedWithZeros) {
    start(Model::Sub4000);
    for (const char* status :
         {"Reading Trend Logs 2 of 4", "Reading Trend Logs 3 of 4", "Reading Trend Logs 4 of 4"})
        rig->silenceAt(QString::fromLatin1(status));
    rig->ui.answer(MessageAnswer::Yes);
    for (int i = 0; i < 3; ++i)
        rig->ui.answer(MessageAnswer::Ignore);
    ASSERT_EQ(rig->backup(PanelFamily::Sub, rig->path()), BackupOutcome::Finished);

    EXPECT_EQ(rig->ui.briefs().count(QStringLiteral("[VTL] Problem Retrieving Data.")), 3);
    EXPECT_EQ(recordData(10, 0), keep(peek(10, 0), 2, 23, 11) + zeros(22));
    int trendRecords = 0;
    for (const FileRecord& r : records())
        trendRecords += r.header.command == 10;
    EXPECT_EQ(trendRecords, 1); // both halves of the second pair were left out
    // The reads after the gap go on as usual.
    EXPECT_EQ(recordData(14, 0), peek(14, 0));
    expectBusHandedBack();
}

TEST_F(SubPanelBackup, AbortLeavesNoFileAndNoExtraRelease) {
    start(Model::Sub3000);
    rig->silenceAt(QStringLiteral("Reading Variables 2 of 4"));
    rig->ui.answer(MessageAnswer::Yes);
    rig->ui.answer(MessageAnswer::Abort);
    EXPECT_EQ(rig->backup(PanelFamily::Sub, rig->path()), BackupOutcome::Aborted);
    EXPECT_TRUE(rig->dirEntries().isEmpty());
    EXPECT_EQ(rig->ui.briefs().last(), QStringLiteral("[VTL] Panel File Creation Aborted."));
    // The failed exchange handed the bus back; nothing more is sent.
    expectBusHandedBack();
    EXPECT_EQ(rig->controller.framesNoted(QStringLiteral("release")).size(), 1);
}

TEST_F(SubPanelBackup, AFailedWriteHandsTheBusBack) {
    start(Model::Sub3000);
    rig->ui.answer(MessageAnswer::Yes);
    FailingSaveFile target(rig->path(), 52 + 200);
    PanelBackup backup(rig->session, PanelFamily::Sub);
    backup.setTimeSource(backupTime);
    EXPECT_EQ(backup.run(target), BackupOutcome::WriteFailed);
    EXPECT_EQ(rig->ui.briefs().last(), QStringLiteral("[Error] Error In Writing To The File."));
    EXPECT_TRUE(rig->dirEntries().isEmpty());
    expectBusHandedBack();
}

} // namespace
} // namespace vtl::test
