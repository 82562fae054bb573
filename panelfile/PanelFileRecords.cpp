#include "panelfile/PanelFileRecords.h"

#include <array>
#include <memory>

namespace vtl {

RecordsReadResult readPanelFileRecords(QIODevice& file) {
    RecordsReadResult result;
    auto buffer = std::make_unique<std::array<std::uint8_t, TransferBuffers::Size>>();
    qint64 total = 0;
    for (;;) {
        const RecordReadResult read = readBlockRecord(file, *buffer);
        switch (read.status) {
        case RecordStatus::ReadError:
            result.status = RecordsStatus::ReadError;
            return result;
        case RecordStatus::EndOfFile:
            if (read.headerBytes > 0) {
                result.status = RecordsStatus::BytesAfterLastRecord;
                result.bytesHeld = read.headerBytes;
            }
            return result;
        case RecordStatus::Truncated:
        case RecordStatus::Oversized:
            if (read.bytesConsumed < read.header.length) {
                result.status = RecordsStatus::CutShort;
                result.cutShort = read.header;
                result.bytesHeld = read.bytesConsumed;
                return result;
            }
            break;
        case RecordStatus::Complete:
            break;
        }
        total += BlockRecordHeaderSize + read.bytesConsumed;
        if (total > MaxPanelFileRecordBytes) {
            result.status = RecordsStatus::TooLarge;
            return result;
        }
        PanelFileRecord record{read.header, {}, read.sendable()};
        if (record.sendable)
            record.data = QByteArray(reinterpret_cast<const char*>(buffer->data()),
                                     qsizetype(read.bytesInBuffer));
        result.records.append(std::move(record));
    }
}

} // namespace vtl
