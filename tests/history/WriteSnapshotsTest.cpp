// Every write of every window keeps its snapshot before the first byte of the write goes out, and
// does not go when the snapshot cannot be kept.
#include "history/KeepSnapshot.h"
#include "lan/BacnetDeviceOperations.h"
#include "lan/LanControllerOperations.h"
#include "panelfile/PanelBackup.h"
#include "panelfile/PanelRestore.h"
#include "panels/MainPanelOperations.h"
#include "panels/ModbusSetupOperations.h"
#include "panels/SubPanelOperations.h"
#include "routing/RoutingTableOperations.h"
#include "tests/history/HistoryRig.h"

#include <gtest/gtest.h>

#include <functional>

namespace vtl::test {
namespace {

using Model = sim::Model;

// One write of one window, after the reads that window makes before it; true when it was sent.
struct WriteRow {
    const char* name;
    Model model;
    std::function<bool(HistoryRig&)> write;
    WriteOperation operation;
    const char* holds;
};

void PrintTo(const WriteRow& row, std::ostream* os) {
    *os << row.name;
}

bool mainPanelSend(HistoryRig& r) {
    MainPanelMemory memory;
    MainPanelOperations ops(r.session, memory);
    MainPanelView view;
    return ops.load(view) && ops.send(view);
}

bool mainPanelClear(HistoryRig& r) {
    MainPanelMemory memory;
    MainPanelOperations ops(r.session, memory);
    MainPanelView view;
    r.ui.answer(MessageAnswer::Ok);
    return ops.load(view) && ops.clear();
}

bool lanSend(HistoryRig& r) {
    LanControllerOperations ops(r.session);
    LanControllerView view;
    return ops.load(view) && ops.send(view);
}

bool lanClear(HistoryRig& r) {
    LanControllerOperations ops(r.session);
    LanControllerView view;
    r.ui.answer(MessageAnswer::Ok);
    return ops.load(view) && ops.clear();
}

bool bacnetOk(HistoryRig& r) {
    LanControllerOperations lan(r.session);
    LanControllerView lanView;
    BacnetDeviceOperations ops(r.session);
    BacnetDeviceView view;
    return lan.load(lanView) && ops.open(view) &&
           ops.ok(view) == BacnetDeviceOperations::Outcome::Sent;
}

bool routingSend(HistoryRig& r) {
    MainPanelMemory memory;
    MainPanelOperations panel(r.session, memory);
    MainPanelView view;
    RoutingTableOperations ops(r.session);
    return panel.load(view) && ops.open() && ops.send();
}

bool subPanelSend(HistoryRig& r) {
    SubPanelMemory memory;
    SubPanelOperations ops(r.session, memory);
    SubPanelView view;
    return ops.open(view) && ops.send(view);
}

bool subPanelClear(HistoryRig& r) {
    SubPanelMemory memory;
    SubPanelOperations ops(r.session, memory);
    SubPanelView view;
    r.ui.answer(MessageAnswer::Ok);
    return ops.open(view) && ops.clear();
}

bool modbusOk(HistoryRig& r) {
    SubPanelMemory memory;
    SubPanelOperations panel(r.session, memory);
    SubPanelView view;
    ModbusSetupOperations ops(r.session);
    ModbusView modbus;
    return panel.open(view) && ops.open(modbus) && ops.ok(modbus);
}

// The window's read, a backup of the controller, then that file sent back.
bool restore(HistoryRig& r) {
    LanControllerOperations window(r.session);
    LanControllerView view;
    if (!window.load(view)) return false;
    const QString path = r.dir.filePath(QStringLiteral("PANEL.PNL"));
    if (PanelBackup(r.session, PanelFamily::Lan).run(path) != BackupOutcome::Finished) return false;
    r.ui.answer(MessageAnswer::No); // not cleared first
    r.ui.answer(MessageAnswer::No); // no Ethernet configuration
    return PanelRestore(r.session, PanelFamily::Lan).run(path) == RestoreOutcome::Finished;
}

const WriteRow Rows[] = {
    {"MainPanelSend", Model::Main, mainPanelSend, WriteOperation::Settings,
     "settings, modem string"},
    {"MainPanelClear", Model::Main, mainPanelClear, WriteOperation::Clear,
     "type code, settings, modem string"},
    {"LanControllerSend", Model::Lan490, lanSend, WriteOperation::Settings, "settings"},
    {"BrinletClear", Model::Lan602, lanClear, WriteOperation::Clear, "type code, settings"},
    {"BacnetOk", Model::Lan600, bacnetOk, WriteOperation::Bacnet, "BACnet settings"},
    {"RoutingTableSend", Model::Main, routingSend, WriteOperation::RoutingTable, "routing table"},
    {"SubPanelSend", Model::Sub4000, subPanelSend, WriteOperation::Settings,
     "address and rate, compatibility flag, status"},
    {"SubPanelClear", Model::Sub3000, subPanelClear, WriteOperation::Clear,
     "address and rate, status"},
    {"ModbusOk", Model::Sub6000, modbusOk, WriteOperation::Modbus, "ModBus settings"},
    {"Restore", Model::Lan490, restore, WriteOperation::Restore, nullptr},
};

class EveryWrite : public ::testing::TestWithParam<WriteRow> {};

TEST_P(EveryWrite, KeepsItsSnapshotBeforeTheFirstByteOfTheWrite) {
    const WriteRow& row = GetParam();
    HistoryRig r(controllerAt(row.model, 7));
    ASSERT_TRUE(r.connect());
    ASSERT_TRUE(row.write(r)) << qPrintable(r.ui.briefs().join(QLatin1Char('\n')));

    const auto snapshots = r.snapshots();
    ASSERT_EQ(snapshots.size(), 1u);
    const Snapshot& s = snapshots.front();
    EXPECT_EQ(s.operation, row.operation);
    EXPECT_EQ(s.port, QStringLiteral("sim"));
    EXPECT_EQ(s.controller.address, 7);
    EXPECT_EQ(s.controller.subLan, r.controller.subLan());
    if (row.holds)
        EXPECT_EQ(s.holds(), QString::fromLatin1(row.holds));
    else
        EXPECT_TRUE(s.holds().endsWith(QStringLiteral("memory blocks"))) << qPrintable(s.holds());
    ASSERT_GE(r.firstWriteUs(), 0);
    ASSERT_GE(r.watched.firstSnapshotUs, 0);
    EXPECT_LE(r.watched.firstSnapshotUs, r.firstWriteUs());
    EXPECT_TRUE(r.controller.violations().isEmpty());
}

TEST_P(EveryWrite, DoesNotGoWhenItsSnapshotCannotBeKept) {
    const WriteRow& row = GetParam();
    HistoryRig r(controllerAt(row.model, 7));
    ASSERT_TRUE(r.connect());
    r.blockHistory();
    EXPECT_FALSE(row.write(r));

    EXPECT_EQ(r.firstWriteUs(), -1) << "a write went out";
    ASSERT_FALSE(r.ui.messages.isEmpty());
    const auto& told = r.ui.messages.last();
    EXPECT_EQ(told.brief(), QStringLiteral("[Error] ") + SnapshotFailedText);
    EXPECT_EQ(told.icon, MessageIcon::Stop);
    EXPECT_TRUE(told.detail.startsWith(QStringLiteral("cannot create the folder ")))
        << qPrintable(told.detail);
}

INSTANTIATE_TEST_SUITE_P(Windows, EveryWrite, ::testing::ValuesIn(Rows),
                         [](const auto& row) { return std::string(row.param.name); });

// The controller falls silent once the reads are done: the write fails, its snapshot stays.
TEST(WriteSnapshots, AWriteThatFailsLeavesItsSnapshot) {
    HistoryRig r(controllerAt(Model::Lan490, 7));
    ASSERT_TRUE(r.connect());
    LanControllerOperations ops(r.session);
    LanControllerView view;
    ASSERT_TRUE(ops.load(view));
    r.controller.faults.noAnswer = true;
    EXPECT_FALSE(ops.send(view));
    EXPECT_EQ(r.ui.messages.last().brief(), QStringLiteral("[Error ] Communication Error"));

    const auto snapshots = r.snapshots();
    ASSERT_EQ(snapshots.size(), 1u);
    const SnapshotRecord* kept = snapshots.front().find(commands::Status);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->data, r.controller.peek({38, 0, 0}).left(96));
}

// What another controller gave is not this one's: a new connection starts with nothing read.
TEST(WriteSnapshots, ANewConnectionForgetsTheReadsOfTheLastOne) {
    HistoryRig r(controllerAt(Model::Lan490, 7));
    ASSERT_TRUE(r.connect());
    LanControllerOperations ops(r.session);
    LanControllerView view;
    ASSERT_TRUE(ops.load(view));
    EXPECT_NE(r.session.exchange.lastReads().find(commands::Status), nullptr);
    ASSERT_TRUE(r.connect());
    EXPECT_EQ(r.session.exchange.lastReads().find(commands::Status), nullptr);
    EXPECT_NE(r.session.exchange.lastReads().find(commands::TypeCodeRead), nullptr);
}

} // namespace
} // namespace vtl::test
