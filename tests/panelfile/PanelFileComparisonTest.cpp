// Comparing panel files with each other, and a controller with the file restored to it.
#include "panelfile/PanelFileComparison.h"
#include "panelfile/PanelVerify.h"
#include "tests/panelfile/PanelRig.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

using sim::Model;

PanelFileContents contentsOf(const QString& path) {
    QString why;
    auto contents = readPanelFile(path, PanelFamily::Lan, &why);
    EXPECT_TRUE(contents) << qPrintable(why);
    return contents.value_or(PanelFileContents{});
}

// Flips `count` bytes of one block of the controller's memory.
void alter(sim::SimulatedController& controller, sim::RecordKey key, int count) {
    QByteArray data = controller.peek(key);
    if (data.size() < count * 3) return;
    for (int i = 0; i < count; ++i)
        data[i * 3] = char(data[i * 3] ^ 0x21);
    controller.poke(key, data);
}

struct DiffCase {
    const char* name;
    std::uint16_t familyCode;
    QList<FileRecordSpec> first;
    QList<FileRecordSpec> second;
    QStringList differences;
};

TEST(PanelFileDiff, NamesEachRecordThatDiffersByCatalogueNameAndNumber) {
    QTemporaryDir dir;
    const QByteArray code = content(40);
    QByteArray changed = code;
    changed[3] = 'x';
    changed[9] = 'y';
    const QList<DiffCase> cases = {
        {"same", 1005, {{16, 6, 0, code}}, {{16, 6, 0, code}}, {}},
        {"two bytes",
         1005,
         {{16, 6, 0, code}},
         {{16, 6, 0, changed}},
         {"Program Code 7 of 128: 2 bytes differ"}},
        {"length",
         2005,
         {{1, 2, 0, code}},
         {{1, 2, 0, code.left(30)}},
         {"Outputs 3 of 4: length 40 against 30"}},
        {"missing",
         1005,
         {{2, 0, 0, code}, {45, 0, 0, code}},
         {{45, 0, 0, code}},
         {"Inputs 1 of 4: only in the first file"}},
        {"extra", 1005, {}, {{71, 0, 0, code}}, {"Ethernet 1 of 1: only in the second file"}},
        {"InterProtocol",
         11005,
         {{50, 2, 162, code}},
         {{50, 2, 162, changed}},
         {"InterProtocol Setup 3 of 4: 2 bytes differ"}},
        {"sub trend logs",
         4005,
         {{10, 1, 0, code}},
         {{10, 1, 0, changed}},
         {"Trend Logs 2 of 2: 2 bytes differ"}},
        {"sub type",
         4005,
         {{55, 200, 0, {}}},
         {{55, 201, 0, {}}},
         {"Sub Panel Type 1 of 1: type 200 against 201"}},
        {"sub descriptors tail",
         4005,
         {{24, 60, 125, code}},
         {{24, 60, 125, changed}},
         {"Sub Panel Descriptors 2 of 2: 2 bytes differ"}},
    };
    for (const DiffCase& c : cases) {
        const auto first = contentsOf(writePanelFile(dir, c.familyCode, 0, c.first));
        const auto second = contentsOf(writePanelFile(dir, c.familyCode, 0, c.second));
        const Comparison result = compareFiles(first, second);
        EXPECT_EQ(result.differences, c.differences) << c.name;
        EXPECT_EQ(result.equal(), c.differences.isEmpty()) << c.name;
    }
}

TEST(PanelFileDiff, TheHeaderCountsButNotTheStamps) {
    QTemporaryDir dir;
    const auto main5 = contentsOf(writePanelFile(dir, 1005, 0, {}));
    auto laterStamps = main5;
    laterStamps.header.timeStamp = "4:00:00 PM";
    EXPECT_TRUE(compareFiles(main5, laterStamps).equal());
    const auto main6 = contentsOf(writePanelFile(dir, 1006, 1, {}));
    EXPECT_EQ(compareFiles(main5, main6).differences,
              (QStringList{"Family code: 1005 against 1006", "Any address byte: 0 against 1"}));
}

TEST(PanelFileDiff, TwoBackupsOfControllersThatDifferInOneBlockNameThatBlock) {
    RestoreRig first(Model::Main);
    RestoreRig second(Model::Main);
    alter(second.controller, {16, 6, 0}, 14);
    ASSERT_EQ(first.backup(PanelFamily::Main, first.path()), BackupOutcome::Finished);
    ASSERT_EQ(second.backup(PanelFamily::Main, second.path()), BackupOutcome::Finished);

    const auto a = contentsOf(first.path());
    EXPECT_TRUE(compareFiles(a, a).equal());
    EXPECT_EQ(compareFiles(a, a).matching, a.records.size());
    EXPECT_EQ(compareFiles(a, contentsOf(second.path())).differences,
              QStringList{"Program Code 7 of 128: 14 bytes differ"});
}

TEST(PanelFileRead, ABrokenFileSaysWhy) {
    QTemporaryDir dir;
    QString why;
    EXPECT_FALSE(readPanelFile(writePanelFile(dir, 1000, 0, {}), PanelFamily::Lan, &why));
    EXPECT_EQ(why, QStringLiteral("Invalid Panel File."));
    EXPECT_FALSE(readPanelFile(writePanelFile(dir, 1005, 0, {{16, 0, 0, content(9)}},
                                              QByteArray("\x10\x01\x00\x20\x00zz", 7)),
                               PanelFamily::Lan, &why));
    EXPECT_EQ(why, QStringLiteral("record 2 of the file is cut short or too long"));
}

struct VerifyCase {
    Model model;
    PanelFamily family;
};

void PrintTo(const VerifyCase& c, std::ostream* os) {
    *os << sim::modelName(c.model).toStdString();
}

class VerifyAfterRoundTrip : public ::testing::TestWithParam<VerifyCase> {};

// A backup restored to a twin (cleared first where the restore can clear): the twin holds what the
// file holds, and reading it back touches no file.
TEST_P(VerifyAfterRoundTrip, FindsNoDifference) {
    const VerifyCase& c = GetParam();
    RestoreRig original(c.model);
    RestoreRig twin(c.model);
    const bool sub = c.family == PanelFamily::Sub;
    if (sub) original.answer(MessageAnswer::Yes); // address specific
    ASSERT_EQ(original.backup(c.family, original.path()), BackupOutcome::Finished);
    if (!sub) {
        twin.answer(MessageAnswer::Yes); // clear first
        twin.answer(MessageAnswer::Yes); // send the Ethernet configuration
    }
    ASSERT_EQ(twin.restore(c.family, original.path()), RestoreOutcome::Finished);
    const QStringList filesBefore = twin.dirEntries();
    twin.ui.statuses.clear();
    twin.ui.messages.clear();

    QString why;
    const auto result = verifyController(twin.session, c.family, original.path(), true, &why);
    ASSERT_TRUE(result) << qPrintable(why);
    EXPECT_TRUE(result->differences.isEmpty()) << qPrintable(result->differences.join('\n'));
    EXPECT_GT(result->matching, 0);
    EXPECT_EQ(twin.dirEntries(), filesBefore);
    EXPECT_FALSE(twin.ui.statuses.contains(QStringLiteral("Finished Creating Panel File")));
    EXPECT_TRUE(twin.messages().isEmpty()) << qPrintable(twin.messages().join('\n'));
    EXPECT_TRUE(twin.controller.violations().isEmpty())
        << qPrintable(twin.controller.violations().join('\n'));
}

INSTANTIATE_TEST_SUITE_P(EveryModel, VerifyAfterRoundTrip,
                         ::testing::Values(VerifyCase{Model::Main, PanelFamily::Main},
                                           VerifyCase{Model::Lan490, PanelFamily::Lan},
                                           VerifyCase{Model::Lan600, PanelFamily::Lan},
                                           VerifyCase{Model::Lan602, PanelFamily::Lan},
                                           VerifyCase{Model::Sub3000, PanelFamily::Sub},
                                           VerifyCase{Model::Sub4000, PanelFamily::Sub},
                                           VerifyCase{Model::Sub5000, PanelFamily::Sub},
                                           VerifyCase{Model::Sub6000, PanelFamily::Sub},
                                           VerifyCase{Model::Sub7000, PanelFamily::Sub}),
                         [](const auto& row) {
                             return sim::modelName(row.param.model).toStdString();
                         });

TEST(VerifyRestore, AWriteTheControllerLostIsNamed) {
    RestoreRig original(Model::Lan490);
    RestoreRig twin(Model::Lan490);
    ASSERT_EQ(original.backup(PanelFamily::Lan, original.path()), BackupOutcome::Finished);
    for (const sim::RecordKey& key : twin.controller.memory().keys())
        if (key.command < 38) alter(twin.controller, key, 1);
    twin.answer(MessageAnswer::No); // no clear: the lost block keeps the twin's own bytes
    twin.controller.writeDrop.dropWrite(3);
    ASSERT_EQ(twin.restore(PanelFamily::Lan, original.path()), RestoreOutcome::Finished);
    const QStringList lost = twin.controller.writeDrop.lost().split('/');
    ASSERT_EQ(lost.size(), 3);

    QString why;
    const auto result =
        verifyController(twin.session, PanelFamily::Lan, original.path(), false, &why);
    ASSERT_TRUE(result) << qPrintable(why);
    const BlockRecordHeader lostRecord{std::uint8_t(lost[0].toInt() - 100),
                                       std::uint8_t(lost[1].toInt()), std::uint8_t(lost[2].toInt()),
                                       0};
    EXPECT_EQ(result->differences,
              QStringList{recordLabel(FileClass::Lan490, lostRecord) + ": 1 byte differs"});
}

TEST(VerifyRestore, TheRestoreRulesChangesAreExpectedNotDifferences) {
    QTemporaryDir dir;
    const QByteArray program = content(20);
    QByteArray status(832, '\0');
    status[2] = char(0x90); // code 400
    status[3] = char(0x01);
    QByteArray status490 = status;
    rewriteSystemStatusCodes(status490);
    const auto file = contentsOf(writePanelFile(
        dir, 1005, 0, {{12, 0, 0, status}, {16, 3, 0, content(5)}, {16, 4, 0, program}}));
    const auto held = contentsOf(writePanelFile(
        dir, 2005, 0, {{12, 0, 0, status490}, {16, 3, 0, content(5, 9)}, {16, 4, 0, program}}));
    RestoreContext lan;
    lan.family = PanelFamily::Lan;
    lan.fileClass = FileClass::MainPanel;
    lan.mainFile = true;
    const Comparison result = verifyRestore(file, held, lan, false);
    EXPECT_TRUE(result.equal()) << qPrintable(result.differences.join('\n'));
    EXPECT_EQ(result.expected,
              (QStringList{"System Status 1 of 4: System Status codes sent as 490",
                           "Program Code 4 of 128: not sent by the restore (blank)"}));
    EXPECT_EQ(result.matching, 1);

    RestoreContext sub;
    sub.family = PanelFamily::Sub;
    sub.fileClass = FileClass::Sub4000;
    sub.subBase = FamilyBase::Sub4000;
    const auto subFile = contentsOf(writePanelFile(dir, 4005, 0, {{55, 40, 0, {}}}));
    const auto subHeld = contentsOf(writePanelFile(dir, 4005, 0, {{55, 253, 0, {}}}));
    EXPECT_EQ(verifyRestore(subFile, subHeld, sub, false).expected,
              QStringList{"Sub Panel Type 1 of 1: type 40 sent as 253"});
    const auto subWrong = contentsOf(writePanelFile(dir, 4005, 0, {{55, 200, 0, {}}}));
    EXPECT_EQ(verifyRestore(subFile, subWrong, sub, false).differences,
              QStringList{"Sub Panel Type 1 of 1: type 253 against 200"});
}

} // namespace
} // namespace vtl::test
