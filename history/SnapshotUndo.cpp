#include "history/SnapshotUndo.h"

#include "history/KeepSnapshot.h"
#include "lan/BacnetDeviceOperations.h"
#include "lan/LanControllerOperations.h"
#include "link/Session.h"
#include "panels/MainPanelOperations.h"
#include "panels/ModbusSetupOperations.h"
#include "panels/SubPanelOperations.h"
#include "panels/SubPanelSettings.h"
#include "routing/RoutingTableOperations.h"

#include <algorithm>

namespace vtl::undo {

namespace C = commands;

namespace {

const QString Vtl = QStringLiteral("VTL");

bool isLanKind(const ControllerIdentity& c) {
    return !c.subLan && c.kind != QLatin1String("main panel");
}

// The record a snapshot's write changed and that sending it back needs, with its least length.
struct Needed {
    C::RecordAddress record;
    int minimum = 0;
};

std::optional<Needed> neededRecord(const Snapshot& s) {
    const ControllerIdentity& c = s.controller;
    switch (s.operation) {
    case WriteOperation::Settings:
        if (c.subLan) return Needed{C::Identification, 0};
        if (isLanKind(c)) return Needed{C::Status, int(LanSettingsSize)};
        return Needed{C::MainPanelSettings, int(MainPanelSettings::Size)};
    case WriteOperation::RoutingTable:
        return Needed{C::RoutingTable, 0};
    case WriteOperation::Bacnet:
        return Needed{C::BacnetSettings, 0};
    case WriteOperation::Modbus:
        return Needed{C::ModbusSettings, int(C::ModbusSettingsSize)};
    case WriteOperation::Clear:
    case WriteOperation::Restore:
        break;
    }
    return std::nullopt;
}

QByteArray dataOf(const Snapshot& s, C::RecordAddress record) {
    const SnapshotRecord* r = s.find(record);
    return r ? r->data : QByteArray();
}

// Makes one controller window's reads, then the checks and the question, then the Send.
class Sender {
public:
    Sender(Session& session, const Snapshot& snapshot) : s_(session), snap_(snapshot) {}

    Outcome mainPanel();
    Outcome lanController();
    Outcome subPanel();

private:
    std::optional<Outcome> approve();
    Outcome routingTable();
    static Outcome sentIf(bool sent) { return sent ? Outcome::Sent : Outcome::Failed; }

    Session& s_;
    const Snapshot& snap_;
};

std::optional<Outcome> Sender::approve() {
    if (const QString why = otherController(snap_, s_.state); !why.isEmpty()) {
        s_.ui.message(OtherControllerText, Vtl, MessageButtons::Ok, MessageIcon::Stop, why);
        return Outcome::Refused;
    }
    const MessageAnswer answer =
        s_.ui.message(SendBackQuestion.textString(), QString::fromLatin1(SendBackQuestion.caption),
                      SendBackQuestion.buttons, SendBackQuestion.icon, describe(snap_));
    if (answer != MessageAnswer::Yes) return Outcome::Declined;
    return std::nullopt;
}

Outcome Sender::routingTable() {
    RoutingTableOperations ops(s_);
    if (!ops.open()) return Outcome::Failed;
    ops.takeBack(dataOf(snap_, C::RoutingTable));
    return sentIf(ops.send());
}

Outcome Sender::mainPanel() {
    MainPanelOperations ops(s_);
    MainPanelView view;
    view.firmwareLine = MainPanelOperations::firmwareLine(s_.state.PanelTypeCode);
    if (!ops.load(view)) return Outcome::Failed;
    if (const auto stop = approve()) return *stop;
    if (snap_.operation == WriteOperation::RoutingTable) return routingTable();
    const SnapshotRecord* modem = snap_.find(C::ModemString);
    ops.takeBack(dataOf(snap_, C::MainPanelSettings),
                 modem ? std::optional(modem->data) : std::nullopt, view);
    return sentIf(ops.send(view));
}

Outcome Sender::lanController() {
    LanControllerOperations ops(s_);
    LanControllerView view;
    if (!ops.load(view)) return Outcome::Failed;
    if (const auto stop = approve()) return *stop;
    switch (snap_.operation) {
    case WriteOperation::RoutingTable:
        return routingTable();
    case WriteOperation::Bacnet: {
        BacnetDeviceOperations bacnet(s_);
        BacnetDeviceView bacnetView;
        if (!bacnet.open(bacnetView)) return Outcome::Failed;
        bacnet.takeBack(dataOf(snap_, C::BacnetSettings), bacnetView);
        return sentIf(bacnet.ok(bacnetView) == BacnetDeviceOperations::Outcome::Sent);
    }
    default:
        break;
    }
    LanSettingsBlock block{};
    const QByteArray data = dataOf(snap_, C::Status);
    std::copy_n(data.begin(), block.size(), block.begin());
    ops.takeBack(block, view);
    return sentIf(ops.send(view));
}

Outcome Sender::subPanel() {
    SubPanelOperations ops(s_);
    SubPanelView view;
    ops.open(view);
    if (const auto stop = approve()) return *stop;
    if (snap_.operation == WriteOperation::Modbus) {
        ModbusSetupOperations modbus(s_);
        ModbusView modbusView;
        if (!modbus.open(modbusView)) return Outcome::Failed;
        ModbusBytes bytes{};
        const QByteArray data = dataOf(snap_, C::ModbusSettings);
        std::copy_n(data.begin(), bytes.size(), bytes.begin());
        modbus.takeBack(bytes, modbusView);
        return sentIf(modbus.ok(modbusView));
    }
    // The identification reply carries the address in its point byte, the rate and Last Panel
    // in its table byte, as the address and baud write takes them.
    const SnapshotRecord* id = snap_.find(C::Identification);
    view.addressText = QString::number(id->replyPoint);
    view.baudText = QString::number(subLineBaudRate((id->replyTable >> SubBaudCodeShift) & 0x07));
    view.lastPanel = (id->replyTable & SubLastPanelBit) != 0;
    if (const SnapshotRecord* flag = snap_.find(C::CompatibilityFlag);
        flag && !flag->data.isEmpty())
        view.kestromCompatible = flag->data.at(0) != 0;
    return sentIf(ops.send(view));
}

} // namespace

QString describe(const Snapshot& snapshot) {
    return QStringLiteral("%1, %2 of %3 on %4")
        .arg(snapshot.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
             operationName(snapshot.operation), snapshot.controller.describe(), snapshot.port);
}

QString refusalBeforeConnecting(const Snapshot& snapshot) {
    switch (snapshot.operation) {
    case WriteOperation::Clear:
        return QStringLiteral("snapshot %1 is of a clear: it keeps what was read before the "
                              "clear, not the memory; a clear is undone by restoring a backup")
            .arg(snapshot.id);
    case WriteOperation::Restore:
        return snapshot.backup.isEmpty()
                   ? QStringLiteral("snapshot %1 is of a restore, which is undone by restoring a "
                                    "backup made before it")
                         .arg(snapshot.id)
                   : QStringLiteral("snapshot %1 is of a restore, which is undone by restoring "
                                    "the backup made just before it: %2")
                         .arg(snapshot.id, snapshot.backup);
    default:
        break;
    }
    const ControllerIdentity& c = snapshot.controller;
    const bool fits = snapshot.operation == WriteOperation::Settings ||
                      (snapshot.operation == WriteOperation::RoutingTable && !c.subLan) ||
                      (snapshot.operation == WriteOperation::Bacnet && isLanKind(c)) ||
                      (snapshot.operation == WriteOperation::Modbus && c.subLan);
    const auto needed = neededRecord(snapshot);
    if (!fits || !needed)
        return QStringLiteral("snapshot %1 is of %2 settings of a %3, which has none")
            .arg(snapshot.id, operationName(snapshot.operation), c.kind);
    const SnapshotRecord* record = snapshot.find(needed->record);
    if (!record || record->data.size() < needed->minimum)
        return QStringLiteral("snapshot %1 holds no read of the %2; there is nothing to send back")
            .arg(snapshot.id, recordName(needed->record, c.subLan));
    return {};
}

bool mayConnectFor(UserInterface& ui, const Snapshot& snapshot) {
    const QString why = refusalBeforeConnecting(snapshot);
    if (why.isEmpty()) return true;
    ui.message(CannotText, Vtl, MessageButtons::Ok, MessageIcon::Stop, why);
    return false;
}

QString otherController(const Snapshot& snapshot, const ConnectionState& state) {
    const ControllerIdentity& was = snapshot.controller;
    const ControllerIdentity now = identityOf(state);
    const bool sameType = was.kind == now.kind && was.subLan == now.subLan &&
                          (was.subLan ? was.family == now.family : was.typeCode == now.typeCode);
    const bool sameAddress =
        now.address == was.address || (snapshot.movesTo && now.address == *snapshot.movesTo);
    if (sameType && sameAddress) return {};
    QString expected = was.describe();
    if (snapshot.movesTo && *snapshot.movesTo != was.address)
        expected += QStringLiteral(" or %1").arg(*snapshot.movesTo);
    return QStringLiteral("%1 expected, %2 answered").arg(expected, now.describe());
}

Outcome sendBack(Session& session, ControllerWindow window, const Snapshot& snapshot) {
    if (!mayConnectFor(session.ui, snapshot)) return Outcome::Refused;
    Sender sender(session, snapshot);
    switch (window) {
    case ControllerWindow::MainPanel:
        return sender.mainPanel();
    case ControllerWindow::LanController:
        return sender.lanController();
    case ControllerWindow::SubPanel:
        return sender.subPanel();
    }
    return Outcome::Failed;
}

} // namespace vtl::undo
