#include "panelfile/BlockCatalogue.h"
#include "tests/panelfile/PanelRig.h"
#include "tests/support/SmallDisk.h"

#include <QSaveFile>

namespace vtl::test {
namespace {

using sim::Model;
using sim::RecordKey;

sim::ControllerOptions controller(Model model, int address, int typeCode = -1) {
    return simOptions(model, address, 38400, typeCode);
}

bool blank(const QByteArray& data) {
    return data.count('\0') == data.size() || data.count('\xFF') == data.size();
}

// The file a LAN or main panel backup should write: every block of the column as the controller
// holds it, in catalogue order.
QByteArray expectedFile(sim::SimulatedController& sim, PanelFamily family, CatalogueColumn column,
                        std::uint16_t code) {
    QByteArray file = expectedHeader(code, 0);
    for (const CatalogueEntry& entry : catalogueFor(family).entries()) {
        for (int b = 0; b < entry.count(column); ++b) {
            if (entry.command == 71) {
                file += record(71, b, 0, sim.peek({50, 0, 21}));
            } else if (entry.command == 212) {
                const QByteArray data = sim.peek({50, std::uint8_t(b), 162});
                file += record(50, b, 162, blank(data) ? QByteArray() : data);
            } else {
                QByteArray data = sim.peek({std::uint8_t(entry.command), std::uint8_t(b), 0});
                if (family == PanelFamily::Lan && blank(data)) data.clear();
                file += record(entry.command, b, 0, data);
            }
        }
    }
    return file;
}

struct MainPanelBackup : ::testing::Test {
    BackupRig rig{controller(Model::Main, 12)};
    void SetUp() override {
        rig.state.LinkMode = LinkModeLan;
        rig.state.PanelTypeCode = 320;
    }
    QByteArray expected() {
        return expectedFile(rig.controller, PanelFamily::Main, CatalogueColumn::Main, 1012);
    }
};

// ... replacing a longer file exactly.
TEST_F(MainPanelBackup, EveryBlockInCatalogueOrder) {
    {
        QFile old(rig.path());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(300'000, 'x'));
    }
    ASSERT_EQ(rig.backup(PanelFamily::Main, rig.path()), BackupOutcome::Finished);

    EXPECT_EQ(readAll(rig.path()), expected());
    const ParsedPanelFile parsed = parsePanelFile(rig.path(), PanelFamily::Main);
    EXPECT_TRUE(parsed.wellFormed);
    ASSERT_EQ(parsed.records.size(), 329);
    EXPECT_EQ(parsed.records.last().header, (BlockRecordHeader{71, 0, 0, 1276}));

    const QStringList& statuses = rig.ui.statuses;
    ASSERT_EQ(statuses.size(), 330);
    EXPECT_EQ(statuses.first(), QStringLiteral("Reading Outputs 1 of 4"));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Reading Program Code 128 of 128")));
    EXPECT_EQ(statuses[328], QStringLiteral("Reading Ethernet 1 of 1"));
    EXPECT_EQ(statuses.last(), QStringLiteral("Finished Creating Panel File"));
    EXPECT_TRUE(rig.ui.messages.isEmpty());
    EXPECT_EQ(rig.controller.requestsServed(), 329);
    EXPECT_TRUE(rig.controller.violations().isEmpty())
        << rig.controller.violations().join('\n').toStdString();
    EXPECT_EQ(rig.dirEntries(), QStringList{QStringLiteral("PANEL.PNL")});
}

TEST_F(MainPanelBackup, EveryReadGoesToThePanelAddressWithNothingSent) {
    rig.buffers.TransferLength = 77; // left over from an earlier write
    ASSERT_EQ(rig.backup(PanelFamily::Main, rig.path()), BackupOutcome::Finished);
    const QList<sim::FrameRecord> requests = rig.controller.framesNoted(QStringLiteral("request"));
    ASSERT_EQ(requests.size(), 329);
    // Panel 12, network 0, Outputs block 0, then no data section.
    EXPECT_EQ(requests.first().bytes, QByteArray("AAAAA12345") + sim::bytesOf({12, 0, 1, 0, 0}));
    EXPECT_EQ(requests.last().bytes, QByteArray("AAAAA12345") + sim::bytesOf({12, 0, 50, 0, 21}));
}

TEST_F(MainPanelBackup, RetryReadsTheBlockAgain) {
    rig.silenceAt(QStringLiteral("Reading Inputs 2 of 4"));
    rig.ui.answer(MessageAnswer::Retry);
    ASSERT_EQ(rig.backup(PanelFamily::Main, rig.path()), BackupOutcome::Finished);

    ASSERT_EQ(rig.ui.messages.size(), 1);
    const auto& asked = rig.ui.messages[0];
    EXPECT_EQ(asked.brief(), QStringLiteral("[VTL] Problem Retrieving Data."));
    EXPECT_EQ(asked.buttons, MessageButtons::AbortRetryIgnore);
    EXPECT_EQ(asked.icon, MessageIcon::Exclamation);
    EXPECT_EQ(readAll(rig.path()), expected());
    EXPECT_EQ(rig.ui.statuses.count(QStringLiteral("Reading Inputs 2 of 4")), 1);
}

TEST_F(MainPanelBackup, IgnoreLeavesTheBlockOutOfAValidFile) {
    rig.silenceAt(QStringLiteral("Reading Inputs 2 of 4"));
    rig.ui.answer(MessageAnswer::Ignore);
    ASSERT_EQ(rig.backup(PanelFamily::Main, rig.path()), BackupOutcome::Finished);

    QByteArray without = expected();
    const QByteArray skipped = record(2, 1, 0, rig.controller.peek({2, 1, 0}));
    without.remove(without.indexOf(skipped), skipped.size());
    EXPECT_EQ(readAll(rig.path()), without);
    const ParsedPanelFile parsed = parsePanelFile(rig.path(), PanelFamily::Main);
    EXPECT_TRUE(parsed.wellFormed);
    ASSERT_EQ(parsed.records.size(), 328);
    EXPECT_EQ(parsed.records[4].header, (BlockRecordHeader{2, 0, 0, 240}));
    EXPECT_EQ(parsed.records[5].header, (BlockRecordHeader{2, 2, 0, 240}));
    EXPECT_EQ(rig.ui.statuses.last(), QStringLiteral("Finished Creating Panel File"));
}

TEST_F(MainPanelBackup, AbortLeavesAnExistingFileUntouched) {
    rig.silenceAt(QStringLiteral("Reading Outputs 1 of 4"));
    rig.ui.answer(MessageAnswer::Abort);
    EXPECT_EQ(rig.backup(PanelFamily::Main, rig.path()), BackupOutcome::Aborted);
    EXPECT_TRUE(rig.dirEntries().isEmpty()); // nor leaves one behind

    const QByteArray old("an older panel file");
    {
        QFile f(rig.path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    rig.ui.messages.clear();
    rig.ui.onStatus = nullptr;
    rig.silenceAt(QStringLiteral("Reading Program Code 3 of 128"));
    rig.ui.answer(MessageAnswer::Abort);
    EXPECT_EQ(rig.backup(PanelFamily::Main, rig.path()), BackupOutcome::Aborted);

    EXPECT_EQ(readAll(rig.path()), old);
    EXPECT_EQ(rig.dirEntries(), QStringList{QStringLiteral("PANEL.PNL")});
    EXPECT_EQ(rig.ui.briefs(), (QStringList{QStringLiteral("[VTL] Problem Retrieving Data."),
                                            QStringLiteral("[VTL] Panel File Creation Aborted.")}));
    EXPECT_EQ(rig.ui.messages[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(rig.ui.statuses.last(), QString());
    EXPECT_TRUE(rig.ui.statuses.contains(QStringLiteral("Reading Program Code 3 of 128")));
}

TEST_F(MainPanelBackup, AFailedWriteKeepsTheOldFile) {
    const QByteArray old("an older panel file");
    for (const qint64 budget : {0, 40, 52, 5000}) {
        SCOPED_TRACE(budget);
        {
            QFile f(rig.path());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        rig.ui.messages.clear();
        rig.ui.statuses.clear();
        const int servedBefore = rig.controller.requestsServed();

        FailingSaveFile file(rig.path(), budget);
        PanelBackup backup(rig.session, PanelFamily::Main);
        backup.setTimeSource(backupTime);
        EXPECT_EQ(backup.run(file), BackupOutcome::WriteFailed);

        EXPECT_EQ(readAll(rig.path()), old);
        EXPECT_EQ(rig.dirEntries(), QStringList{QStringLiteral("PANEL.PNL")});
        EXPECT_EQ(rig.ui.briefs(),
                  QStringList{QStringLiteral("[Error] Error In Writing To The File.")});
        const int served = rig.controller.requestsServed() - servedBefore;
        if (budget < 52) {
            // Nothing is read when the header cannot be written.
            EXPECT_EQ(served, 0);
            EXPECT_TRUE(rig.ui.statuses.isEmpty());
        } else {
            // The backup stops at the first record that does not fit.
            EXPECT_GT(served, 0);
            EXPECT_LT(served, 30);
            EXPECT_EQ(rig.ui.statuses.last(), QString());
        }
    }
}

TEST_F(MainPanelBackup, AFolderThatDoesNotExistIsAWriteError) {
    const QString path = rig.dir.filePath(QStringLiteral("missing/PANEL.PNL"));
    EXPECT_EQ(rig.backup(PanelFamily::Main, path), BackupOutcome::WriteFailed);
    EXPECT_EQ(rig.ui.briefs(),
              QStringList{QStringLiteral("[Error] Error In Writing To The File.")});
    EXPECT_EQ(rig.ui.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(rig.controller.requestsServed(), 0);
    EXPECT_TRUE(rig.dirEntries().isEmpty());
    EXPECT_FALSE(runPanelBackup(rig.session, PanelFamily::Main, path));
}

TEST_F(MainPanelBackup, AFileThatCannotBePutInPlaceKeepsTheOldOne) {
    QDir(rig.dir.path()).mkdir(QStringLiteral("a"));
    const QString path = rig.dir.filePath(QStringLiteral("a/PANEL.PNL"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    // The folder moves away while the backup runs: the finished file has nowhere to go.
    rig.whenStatus(QStringLiteral("Reading Ethernet 1 of 1"), [this] {
        QDir(rig.dir.path()).rename(QStringLiteral("a"), QStringLiteral("b"));
    });
    EXPECT_EQ(rig.backup(PanelFamily::Main, path), BackupOutcome::WriteFailed);
    EXPECT_EQ(rig.ui.briefs(),
              QStringList{QStringLiteral("[Error] Error In Writing To The File.")});
    EXPECT_EQ(readAll(rig.dir.filePath(QStringLiteral("b/PANEL.PNL"))), QByteArray("old"));
    EXPECT_EQ(QDir(rig.dir.filePath(QStringLiteral("b"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("PANEL.PNL")});
    EXPECT_NE(rig.ui.statuses.last(), QStringLiteral("Finished Creating Panel File"));
}

TEST(LanBackup, HeaderAndFamilyCodeOfA610AtAddress5) {
    BackupRig rig(controller(Model::Lan602, 5, 610));
    rig.connectLan();
    ASSERT_EQ(rig.backup(PanelFamily::Lan, rig.path()), BackupOutcome::Finished);
    const QByteArray file = readAll(rig.path());
    EXPECT_EQ(file.left(52).toHex(' '),
              QByteArray("51 54 5a 20 50 41 4e 45 4c 20 46 49 4c 45 20 56 45 52 53 49 4f 4e 20 "
                         "30 31 2e 30 30 00 "                // signature
                         "33 3a 30 37 3a 34 35 20 50 4d 00 " // 3:07:45 PM
                         "36 2f 39 2f 30 38 00 "             // 6/9/08
                         "fd 2a 00 00 00"));                 // 11005, any address 0
    EXPECT_EQ(file, expectedFile(rig.controller, PanelFamily::Lan, CatalogueColumn::Lan602, 11005));
    EXPECT_TRUE(rig.controller.violations().isEmpty());

    // It ends with the Ethernet record and four InterProtocol Setup records.
    const ParsedPanelFile parsed = parsePanelFile(rig.path(), PanelFamily::Lan);
    ASSERT_TRUE(parsed.wellFormed);
    ASSERT_GE(parsed.records.size(), 5);
    const auto ethernet = parsed.records[parsed.records.size() - 5];
    EXPECT_EQ(ethernet.header, (BlockRecordHeader{71, 0, 0, 2100}));
    for (int p = 0; p < 4; ++p) {
        const FileRecord& r = parsed.records[parsed.records.size() - 4 + p];
        EXPECT_EQ(r.header, (BlockRecordHeader{50, std::uint8_t(p), 162, 256}));
    }
    EXPECT_EQ(rig.ui.statuses.mid(rig.ui.statuses.size() - 3),
              (QStringList{QStringLiteral("Reading InterProtocol Setup 3 of 4"),
                           QStringLiteral("Reading InterProtocol Setup 4 of 4"),
                           QStringLiteral("Finished Creating Panel File")}));
}

TEST(LanBackup, BlankBlocksAreStoredEmpty) {
    BackupRig rig(controller(Model::Lan490, 7));
    rig.connectLan();
    rig.controller.poke({1, 2, 0}, QByteArray(128, '\xFF'));
    rig.controller.poke({2, 0, 0}, QByteArray(240, '\0'));
    rig.controller.poke({3, 1, 0}, QByteArray());
    rig.controller.poke({3, 2, 0}, sim::bytesOf({0, 0, 255}));
    rig.controller.poke({4, 0, 0}, sim::bytesOf({255, 255, 255, 0}));
    ASSERT_EQ(rig.backup(PanelFamily::Lan, rig.path()), BackupOutcome::Finished);

    const QByteArray file = readAll(rig.path());
    EXPECT_EQ(file, expectedFile(rig.controller, PanelFamily::Lan, CatalogueColumn::Lan490, 2007));
    EXPECT_TRUE(file.contains(sim::bytesOf({1, 2, 0, 0, 0, 1, 3, 0, 240, 0})));
    EXPECT_TRUE(file.contains(sim::bytesOf({2, 0, 0, 0, 0, 2, 1, 0, 240, 0})));
    EXPECT_TRUE(file.contains(sim::bytesOf({3, 1, 0, 0, 0, 3, 2, 0, 3, 0, 0, 0, 255})));
    EXPECT_TRUE(file.contains(sim::bytesOf({4, 0, 0, 4, 0, 255, 255, 255, 0})));
}

// Address 0 would give family code 1000 or 2000, which no reader accepts: refused as a sub panel
// at address 0 is, before any read and without touching an existing file.
TEST(LanAndMainBackup, AddressZeroIsRefusedBeforeAnyRead) {
    for (const auto& [model, family] :
         {std::pair{Model::Main, PanelFamily::Main}, std::pair{Model::Lan490, PanelFamily::Lan}}) {
        BackupRig rig(controller(model, 5));
        rig.connectLan();
        rig.state.PanelAddress = 0;
        {
            QFile old(rig.path());
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        EXPECT_EQ(rig.backup(family, rig.path()), BackupOutcome::InvalidAddress);
        EXPECT_EQ(rig.messages(),
                  QStringList{QStringLiteral("[Error] Invalid Address Or Panel Not Supported.")});
        EXPECT_EQ(readAll(rig.path()), QByteArray("old"));
        EXPECT_EQ(rig.dirEntries(), QStringList{QStringLiteral("PANEL.PNL")});
        EXPECT_TRUE(rig.requests().isEmpty());
        EXPECT_FALSE(rig.ui.statuses.contains(QStringLiteral("Finished Creating Panel File")));
    }
}

// A real full disk under an existing backup, for every family: a small file (a sub panel's) fits
// the save file's buffer whole and fails only when the buffer is written out before the commit; a
// large one fails on a write during the walk. Either way the old file stays, byte for byte.
TEST(EveryFamilyBackup, AFullDiskKeepsTheOldFileAndSaysWhy) {
    struct Row {
        Model model;
        PanelFamily family;
    };
    const QByteArray old = QByteArray("an older backup ").repeated(40);
    for (const Row& row :
         {Row{Model::Main, PanelFamily::Main}, Row{Model::Lan490, PanelFamily::Lan},
          Row{Model::Lan602, PanelFamily::Lan}, Row{Model::Sub4000, PanelFamily::Sub},
          Row{Model::Sub5000, PanelFamily::Sub}}) {
        SCOPED_TRACE(int(row.model));
        SmallDisk disk(64);
        if (!disk.available()) GTEST_SKIP() << SmallDisk::Why;
        const QString path = disk.filePath(QStringLiteral("PANEL.PNL"));
        ASSERT_TRUE(disk.fillWith(QStringLiteral("PANEL.PNL"), old));
        BackupRig rig(controller(row.model, 5));
        if (row.family == PanelFamily::Sub)
            ASSERT_TRUE(rig.connectSub());
        else
            rig.connectLan();
        rig.ui.answer(MessageAnswer::Yes); // address specific

        EXPECT_EQ(rig.backup(row.family, path), BackupOutcome::WriteFailed);

        EXPECT_EQ(rig.messages().last(), QStringLiteral("[Error] Error In Writing To The File."));
        EXPECT_EQ(rig.ui.messages.last().detail, QStringLiteral("No space left on device"));
        EXPECT_FALSE(rig.ui.statuses.contains(QStringLiteral("Finished Creating Panel File")));
        EXPECT_EQ(readAll(path), old);
        EXPECT_EQ(disk.entries(), (QStringList{"PANEL.PNL", "filler"}));
    }
}

} // namespace
} // namespace vtl::test
