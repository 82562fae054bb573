#include "shell/SnapshotMenu.h"

#include "history/SnapshotUndo.h"
#include "panels/WindowOperationRunner.h"
#include "shell/ConnectionDialog.h"

#include <QAction>
#include <QMenu>

#include <optional>

namespace vtl {

SnapshotMenu::SnapshotMenu(ConnectionDialog& dialog, Session& session, HistoryFolder folder)
    : QObject(&dialog), dialog_(dialog), session_(session), folder_(std::move(folder)) {
    menu_ = new QMenu(&dialog);
    action_ = new QAction(QStringLiteral("Snapshots"), &dialog);
    action_->setMenu(menu_);
    connect(menu_, &QMenu::aboutToShow, this, &SnapshotMenu::fill);
    dialog.addAction(action_);
}

void SnapshotMenu::fill() {
    menu_->clear();
    // One piece of work on the line at a time, program-wide.
    const bool busy = WindowOperationRunner::lineBusy();
    const std::vector<Snapshot> snapshots = folder_.list().snapshots;
    if (snapshots.empty()) menu_->addAction(QStringLiteral("(None)"))->setEnabled(false);
    for (std::size_t i = 0; i < snapshots.size() && i < std::size_t(MaxShown); ++i) {
        const Snapshot& s = snapshots[i];
        QString text = undo::describe(s);
        auto* entry = menu_->addAction(text.replace(QLatin1Char('&'), QStringLiteral("&&")));
        entry->setEnabled(!busy);
        connect(entry, &QAction::triggered, this, [this, s] { sendBack(s); });
    }
}

void SnapshotMenu::sendBack(const Snapshot& snapshot) {
    if (!undo::mayConnectFor(session_.ui, snapshot)) return;
    ConnectRequest request = dialog_.request();
    request.portName = snapshot.port;
    request.subLan = snapshot.controller.subLan;
    dialog_.runner()->run([&] {
        std::optional<ControllerWindow> found;
        Connect(session_, request, [&found](ControllerWindow window) { found = window; });
        if (found) undo::sendBack(session_, *found, snapshot);
        // As after any connection: the port is free for other programs until the next one.
        session_.link.ClosePort();
    });
}

} // namespace vtl
