#pragma once

#include "history/HistoryFolder.h"
#include "link/Session.h"

#include <QObject>

class QAction;
class QMenu;

namespace vtl {

class ConnectionDialog;

// "Snapshots" on the connection window's right-click menu: the newest snapshots kept before
// writes, each of which goes back to its controller when chosen, after the checks of any write
// and a question.
class SnapshotMenu final : public QObject {
public:
    static constexpr int MaxShown = 20;

    SnapshotMenu(ConnectionDialog& dialog, Session& session,
                 HistoryFolder folder = HistoryFolder::standard());

    QAction* action() const { return action_; }
    QMenu* menu() const { return menu_; }

    // Lists the snapshots afresh; done each time the menu opens.
    void fill();
    // Connects to the snapshot's port as OK would (the window's access code, speed and line
    // options, the snapshot's framing) and sends the snapshot back, all as one piece of work.
    void sendBack(const Snapshot& snapshot);

private:
    ConnectionDialog& dialog_;
    Session& session_;
    HistoryFolder folder_;
    QMenu* menu_ = nullptr;
    QAction* action_ = nullptr;
};

} // namespace vtl
