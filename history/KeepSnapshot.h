#pragma once

#include "history/Snapshot.h"

#include <functional>

namespace vtl {

struct ConnectionState;
struct Session;

// A write about to go out: what it changes, and where it leaves the controller.
struct PlannedWrite {
    WriteOperation operation = WriteOperation::Settings;
    // The records it changes, by their read address; empty: everything (a clear or a restore),
    // whose snapshot is then all this connection read.
    std::vector<commands::RecordAddress> changes;
    std::optional<std::uint8_t> movesTo; // the address it sends, when it sends one
    QString backup;                      // the panel file made just before, if any
};

// How a window's logic keeps a snapshot before a write: false means the write must not go.
using SnapshotKeeper = std::function<bool(const PlannedWrite&)>;

// Who the connection reached, as a snapshot names it.
ControllerIdentity identityOf(const ConnectionState& state);

// What the session last read of what the write changes, with the time, port and controller.
Snapshot snapshotOf(const Session& session, const PlannedWrite& write);

// Keeps that snapshot in the history folder before the first byte of the write goes out. False,
// after telling the user why, when it could not be kept: a write with no way back does not go.
bool keepSnapshot(Session& session, const PlannedWrite& write);
SnapshotKeeper snapshotKeeperOf(Session& session);

inline const QString SnapshotFailedText =
    QStringLiteral("Could Not Keep A Snapshot Before Writing. Nothing Sent.");

} // namespace vtl
