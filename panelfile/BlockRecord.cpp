#include "panelfile/BlockRecord.h"

#include "panelfile/DeviceRead.h"

#include <algorithm>

namespace vtl {

QByteArray encodeBlockRecordHeader(const BlockRecordHeader& header) {
    QByteArray bytes(BlockRecordHeaderSize, '\0');
    bytes[0] = static_cast<char>(header.command);
    bytes[1] = static_cast<char>(header.point);
    bytes[2] = static_cast<char>(header.table);
    bytes[3] = static_cast<char>(header.length & 0xff);
    bytes[4] = static_cast<char>(header.length >> 8);
    return bytes;
}

bool writeBlockRecordHeader(QIODevice& file, const BlockRecordHeader& header) {
    return file.write(encodeBlockRecordHeader(header)) == BlockRecordHeaderSize;
}

bool writeBlockRecord(QIODevice& file, std::uint8_t command, std::uint8_t point, std::uint8_t table,
                      QByteArrayView data) {
    if (data.size() > static_cast<qsizetype>(MaxBlockRecordLength)) return false;
    const BlockRecordHeader header{command, point, table, static_cast<std::uint16_t>(data.size())};
    if (!writeBlockRecordHeader(file, header)) return false;
    return data.isEmpty() || file.write(data.data(), data.size()) == data.size();
}

RecordReadResult readBlockRecord(QIODevice& file,
                                 std::span<std::uint8_t, TransferBuffers::Size> buffer) {
    RecordReadResult result;
    std::array<char, BlockRecordHeaderSize> head{};
    const qint64 got = readFully(file, head.data(), BlockRecordHeaderSize);
    if (got < 0) {
        result.status = RecordStatus::ReadError;
        return result;
    }
    result.headerBytes = static_cast<std::uint32_t>(got);
    if (got < BlockRecordHeaderSize) return result; // EndOfFile

    auto byte = [&head](int i) {
        return static_cast<std::uint8_t>(head[static_cast<std::size_t>(i)]);
    };
    result.header = {byte(0), byte(1), byte(2),
                     static_cast<std::uint16_t>(byte(3) | (byte(4) << 8))};
    const std::uint32_t length = result.header.length;
    const bool oversized = length > MaxSendableRecordLength;

    // Data that fits is read whole into place; oversized data goes through the buffer piece by
    // piece, each piece over the last.
    while (result.bytesConsumed < length) {
        const auto piece = std::min<std::uint32_t>(length - result.bytesConsumed,
                                                   static_cast<std::uint32_t>(buffer.size()));
        const qint64 n = readFully(file, reinterpret_cast<char*>(buffer.data()), piece);
        if (n < 0) {
            result.status = RecordStatus::ReadError;
            return result;
        }
        if (n > 0) result.bytesInBuffer = static_cast<std::uint32_t>(n);
        result.bytesConsumed += static_cast<std::uint32_t>(n);
        if (n < piece) break;
    }

    if (oversized)
        result.status = RecordStatus::Oversized;
    else if (result.bytesConsumed < length)
        result.status = RecordStatus::Truncated;
    else
        result.status = RecordStatus::Complete;
    return result;
}

} // namespace vtl
