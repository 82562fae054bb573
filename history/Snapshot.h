#pragma once

#include "link/CommandSet.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace vtl {

// The writes that keep a snapshot first, by what they change.
enum class WriteOperation { Settings, Clear, RoutingTable, Bacnet, Modbus, Restore };

// "settings", "clear", "routing", "bacnet", "modbus", "restore".
QString operationName(WriteOperation operation);
std::optional<WriteOperation> operationFromName(const QString& name);

// Who a snapshot was taken of: what the undo's controller must be too.
struct ControllerIdentity {
    QString kind; // "main panel", "LAN controller", "Brinlet controller" or "sub panel"
    bool subLan = false;
    int typeCode = 0; // what a LAN-framed controller reported; 0 on a Sub LAN
    int family = 0;   // the family base of its panel files (1000 a main panel, 3000-7000 sub)
    int address = 0;

    friend bool operator==(const ControllerIdentity&, const ControllerIdentity&) = default;
    // "main panel (type 1234) at address 5", "sub panel (family 4000) at address 7".
    QString describe() const;
};

// One record as it was last read before the write: where the read went, the reply header's
// point and table bytes, and the data.
struct SnapshotRecord {
    std::uint8_t panel = 0;
    commands::RecordAddress record;
    std::uint8_t replyPoint = 0;
    std::uint8_t replyTable = 0;
    QByteArray data;

    friend bool operator==(const SnapshotRecord&, const SnapshotRecord&) = default;
};

// What a write was about to change, as last read, with when, where and of whom. Kept as one small
// JSON document a file (see docs/manual/history.html for its fields).
struct Snapshot {
    static constexpr int FormatVersion = 1;
    static inline const QString FormatName = QStringLiteral("VTL snapshot");

    QString id;
    QDateTime time;
    WriteOperation operation = WriteOperation::Settings;
    QString port;
    ControllerIdentity controller;
    std::optional<int> movesTo; // the address the write puts the controller at
    QString backup;             // the panel file made just before (a restore's Back Up First)
    std::vector<SnapshotRecord> records;

    const SnapshotRecord* find(commands::RecordAddress record) const;
    // The names of the records held, "nothing read" when there are none.
    QString holds() const;

    QByteArray toJson() const;
    // Nullopt, with why, for a document that is not a snapshot of a version this program reads.
    static std::optional<Snapshot> fromJson(const QByteArray& json, QString* why);
};

// A record's name as the windows know it ("settings", "modem string", "routing table"); empty for
// records without one (memory blocks).
QString recordName(commands::RecordAddress record, bool subLan);

} // namespace vtl
