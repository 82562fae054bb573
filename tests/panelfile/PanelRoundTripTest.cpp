// Backup, clear, restore gives a simulated controller back the memory it had, for every model.
#include "panelfile/PanelBackup.h"
#include "sim/SubPanelRecords.h"
#include "tests/panelfile/PanelRig.h"
#include "tests/support/MemoryDump.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

using sim::Model;
using sim::RecordKey;

struct RoundTrip {
    Model model;
    PanelFamily family;
    bool extendedPid = false; // sub panels: Kestrom configuration asks for 34-byte PID entries
};

void PrintTo(const RoundTrip& t, std::ostream* os) {
    *os << sim::modelName(t.model).toStdString() << (t.extendedPid ? " extended PID" : "");
}

bool isMemoryBlock(RecordKey key) {
    return key.command != 38 && key.command != 42 &&
           (key.command != 50 || key.table == 21 || key.table == 162);
}

// A controller that holds something else: every memory block with other bytes of the same size.
void scramble(sim::SimulatedController& controller) {
    for (const RecordKey& key : controller.memory().keys()) {
        if (!isMemoryBlock(key)) continue;
        QByteArray data = controller.peek(key);
        for (char& c : data)
            c = char(c ^ 0x5A);
        controller.poke(key, data);
    }
}

// Blocks a backup cannot carry and a clear must bring back: all zero on a LAN controller (left out
// of the file), empty program code on a main panel (left out as blank).
void blankSomeBlocks(sim::SimulatedController& controller, PanelFamily family) {
    if (family == PanelFamily::Lan) {
        controller.poke({1, 0, 0}, QByteArray(controller.peek({1, 0, 0}).size(), '\0'));
        controller.poke({17, 1, 0}, QByteArray(controller.peek({17, 1, 0}).size(), '\0'));
    }
    if (family == PanelFamily::Main) controller.poke({16, 5, 0}, {});
}

void useExtendedPidEntries(sim::SimulatedController& controller) {
    controller.poke({50, 0, 104}, QByteArray(1, '\x01'));
    for (const RecordKey& key : controller.memory().keys()) {
        if (key.command != 4 || key.table != 0) continue;
        QByteArray pid = sim::SimMemory::patternBlock(key, 68);
        sim::subpanel::zeroWorkingBytes(4, pid);
        controller.poke(key, pid);
    }
}

class PanelRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(PanelRoundTrip, BackupRestoredToAClearedTwinGivesTheSameMemory) {
    const RoundTrip& t = GetParam();
    RestoreRig original(t.model);
    RestoreRig twin(t.model);
    const bool sub = t.family == PanelFamily::Sub;
    if (sub) original.controller.poke(sim::subpanel::SubPanelTypeKey, QByteArray(1, char(200)));
    if (t.extendedPid) useExtendedPidEntries(original.controller);
    blankSomeBlocks(original.controller, t.family);

    const QString path = original.dir.filePath(QStringLiteral("TWIN.PNL"));
    if (sub) original.answer(MessageAnswer::Yes); // address specific
    ASSERT_EQ(PanelBackup(original.session, t.family).run(path), BackupOutcome::Finished);

    if (sub) {
        twin.controller.memory().clear(); // a sub panel restore sends no clear
    } else {
        scramble(twin.controller);
        twin.answer(MessageAnswer::Yes); // clear first
        twin.answer(MessageAnswer::Yes); // and send the Ethernet configuration
    }
    const QByteArray before = original.controller.memory().dump();
    ASSERT_NE(twin.controller.memory().dump(), before);
    ASSERT_EQ(twin.restore(t.family, path), RestoreOutcome::Finished)
        << qPrintable(twin.messages().join('\n'));

    const QStringList differences = dumpDifferences(before, twin.controller.memory().dump());
    EXPECT_TRUE(differences.isEmpty()) << qPrintable(differences.join('\n'));
    EXPECT_EQ(original.controller.memory().dump(), before) << "a backup only reads";
    EXPECT_TRUE(original.controller.unknownReads().isEmpty());
    for (const auto* controller : {&original.controller, &twin.controller})
        EXPECT_TRUE(controller->violations().isEmpty())
            << qPrintable(controller->violations().join(QLatin1Char('\n')));
}

INSTANTIATE_TEST_SUITE_P(EveryModel, PanelRoundTrip,
                         ::testing::Values(RoundTrip{Model::Main, PanelFamily::Main},
                                           RoundTrip{Model::Lan490, PanelFamily::Lan},
                                           RoundTrip{Model::Lan600, PanelFamily::Lan},
                                           RoundTrip{Model::Lan602, PanelFamily::Lan},
                                           RoundTrip{Model::Sub3000, PanelFamily::Sub},
                                           RoundTrip{Model::Sub4000, PanelFamily::Sub},
                                           RoundTrip{Model::Sub4000, PanelFamily::Sub, true},
                                           RoundTrip{Model::Sub5000, PanelFamily::Sub},
                                           RoundTrip{Model::Sub6000, PanelFamily::Sub},
                                           RoundTrip{Model::Sub7000, PanelFamily::Sub},
                                           RoundTrip{Model::Sub7000, PanelFamily::Sub, true}),
                         [](const auto& row) {
                             return sim::modelName(row.param.model).toStdString() +
                                    (row.param.extendedPid ? "_extended_pid" : "");
                         });

} // namespace
} // namespace vtl::test
