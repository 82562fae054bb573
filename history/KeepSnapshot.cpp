#include "history/KeepSnapshot.h"

#include "history/HistoryFolder.h"
#include "link/Log.h"
#include "link/Session.h"
#include "panelfile/FamilyCode.h"

namespace vtl {

ControllerIdentity identityOf(const ConnectionState& state) {
    ControllerIdentity id;
    id.subLan = state.LinkMode == LinkModeSubLan;
    id.address = int(state.PanelAddress & 0xFF);
    if (id.subLan) {
        id.kind = QStringLiteral("sub panel");
        id.family = subFamilyBase(state);
        return id;
    }
    id.typeCode = int(state.PanelTypeCode & 0xFFFF);
    if (state.IsLanController) {
        id.kind = state.IsBrinlet ? QStringLiteral("Brinlet controller")
                                  : QStringLiteral("LAN controller");
        id.family = lanFamilyBase(state);
    } else {
        id.kind = QStringLiteral("main panel");
        id.family = FamilyBase::Main;
    }
    return id;
}

Snapshot snapshotOf(const Session& session, const PlannedWrite& write) {
    Snapshot s;
    s.time = QDateTime::currentDateTime();
    s.operation = write.operation;
    s.port = session.state.PortName;
    s.controller = identityOf(session.state);
    if (write.movesTo) s.movesTo = *write.movesTo;
    s.backup = write.backup;
    const LastReads& reads = session.exchange.lastReads();
    const auto take = [&s](const LastReads::Entry& e) {
        s.records.push_back({e.panel, e.record, e.replyPoint, e.replyTable, e.data});
    };
    if (!write.changes.empty()) {
        for (const commands::RecordAddress record : write.changes)
            if (const LastReads::Entry* e = reads.find(record)) take(*e);
    } else if (write.backup.isEmpty()) {
        // A backup made just before holds all of it already.
        for (const LastReads::Entry& e : reads.entries())
            take(e);
    }
    return s;
}

bool keepSnapshot(Session& session, const PlannedWrite& write) {
    Snapshot snapshot = snapshotOf(session, write);
    QString why;
    if (HistoryFolder::standard().save(snapshot, &why)) {
        qCInfo(lcLink).noquote() << "snapshot" << snapshot.id << "kept:" << snapshot.holds();
        return true;
    }
    session.ui.message(SnapshotFailedText, QStringLiteral("Error"), MessageButtons::Ok,
                       MessageIcon::Stop, why);
    return false;
}

SnapshotKeeper snapshotKeeperOf(Session& session) {
    return [&session](const PlannedWrite& write) { return keepSnapshot(session, write); };
}

} // namespace vtl
