#pragma once

#include "link/TransferBuffers.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <cstdint>
#include <span>

namespace vtl {

// The five bytes in front of every block's data: command, point, table, length (low byte first).
struct BlockRecordHeader {
    std::uint8_t command = 0;
    std::uint8_t point = 0;
    std::uint8_t table = 0;
    std::uint16_t length = 0;

    friend bool operator==(const BlockRecordHeader&, const BlockRecordHeader&) = default;
};

inline constexpr int BlockRecordHeaderSize = 5;
inline constexpr std::uint32_t MaxBlockRecordLength = 65535;
// Records this long or longer do not fit the transfer buffer and are never sent.
inline constexpr std::uint32_t MaxSendableRecordLength = TransferBuffers::Size - 1;

QByteArray encodeBlockRecordHeader(const BlockRecordHeader& header);

// For records whose data is written in several pieces (the sub panel trend logs).
bool writeBlockRecordHeader(QIODevice& file, const BlockRecordHeader& header);
// Header with length = data.size(), then the data. False when data is longer than 65535 bytes
// (nothing is written) or the device took less than everything.
bool writeBlockRecord(QIODevice& file, std::uint8_t command, std::uint8_t point, std::uint8_t table,
                      QByteArrayView data);

enum class RecordStatus {
    Complete,  // all data in the buffer; may be sent
    EndOfFile, // fewer than 5 bytes were left: the normal end of the records
    Oversized, // 10240 bytes or more: read through in pieces, not to be sent
    Truncated, // the file ended inside the data: not to be sent
    ReadError, // the device failed
};

struct RecordReadResult {
    RecordStatus status = RecordStatus::EndOfFile;
    BlockRecordHeader header;
    std::uint32_t bytesInBuffer = 0; // data bytes now at the front of the buffer
    std::uint32_t bytesConsumed = 0; // data bytes taken from the file for this record
    std::uint32_t headerBytes = 0;   // header bytes read: fewer than 5 only at the end of the file

    bool isRecord() const {
        return status == RecordStatus::Complete || status == RecordStatus::Oversized ||
               status == RecordStatus::Truncated;
    }
    bool sendable() const { return status == RecordStatus::Complete; }
};

// Reads the next record into `buffer` (the transfer buffer). Never reads beyond the record.
RecordReadResult readBlockRecord(QIODevice& file,
                                 std::span<std::uint8_t, TransferBuffers::Size> buffer);

} // namespace vtl
