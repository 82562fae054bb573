#pragma once

#include "panelfile/BlockRecord.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>

namespace vtl {

// One record of a panel file as a restore holds it before sending.
struct PanelFileRecord {
    BlockRecordHeader header;
    QByteArray data;      // empty for a record that is not sendable
    bool sendable = true; // false: 10240 bytes or more, read through and never sent
};

enum class RecordsStatus {
    Ok,                   // every record whole, the file ends right after the last one
    ReadError,            // the device failed
    CutShort,             // the file ends inside a record
    BytesAfterLastRecord, // 1 to 4 bytes too few to be a record
    TooLarge,             // more record bytes than any controller's memory could fill
};

struct RecordsReadResult {
    RecordsStatus status = RecordsStatus::Ok;
    QList<PanelFileRecord> records; // those read whole, in file order
    BlockRecordHeader cutShort;     // CutShort: the record the file ends inside
    qint64 bytesHeld = 0; // CutShort: its data bytes in the file; BytesAfterLastRecord: how many

    bool ok() const { return status == RecordsStatus::Ok; }
};

// Far beyond the largest backup (about 100 KB), and small enough to hold in memory.
inline constexpr qint64 MaxPanelFileRecordBytes = 4 * 1024 * 1024;

// Reads every record from the device's position (just after the header) to the end, so that a file
// is judged whole before the first of its records goes to a controller.
RecordsReadResult readPanelFileRecords(QIODevice& file);

} // namespace vtl
