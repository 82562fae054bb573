#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

namespace vtl {

// One sub panel reply as the conversions see it: the whole reply buffer and the number of bytes
// that arrived. A conversion takes its bytes at fixed positions; a position at or beyond `length`
// reads as 0, so a short reply never drags in bytes of an earlier reply.
struct SubPanelReply {
    std::span<const std::uint8_t> buffer;
    std::uint32_t length = 0;

    std::uint8_t at(std::uint32_t index) const {
        return index < length && index < buffer.size() ? buffer[index] : 0;
    }
    // `count` bytes from `from`, zero where nothing arrived.
    QByteArray bytes(std::uint32_t from, std::uint32_t count) const;
};

// Each function returns whole records (header and data), ready to go into the file.
namespace subpanel {

// Block sizes of the records the sub panel family writes.
inline constexpr std::uint32_t PidEntryRead = 22, PidEntryReadExtended = 34;
inline constexpr std::uint32_t PidEntryKept = 18, PidEntryKeptExtended = 30;
inline constexpr std::uint32_t ProgramsKept = 2;
inline constexpr std::uint32_t TablesSize = 360;
inline constexpr std::uint32_t RuntimeEntryRead = 15, RuntimeEntryKept = 10, RuntimeEntries = 4;
inline constexpr std::uint32_t TrendEntryRead = 23, TrendEntryKept = 11;
inline constexpr std::uint32_t TrendHalfSize = 2 * TrendEntryKept; // one block's share
inline constexpr std::uint32_t TrendRecordSize = 2 * TrendHalfSize;
inline constexpr std::uint32_t GroupSize = 8, GroupKept = 2;
inline constexpr std::uint32_t DescriptorsHead = 1000, DescriptorsTail = 692;
inline constexpr std::uint32_t CustomUnitsSize = 87;
inline constexpr std::uint8_t LowestType = 128, HighestType = 253;

QByteArray plainRecord(std::uint8_t command, std::uint8_t point, std::uint8_t table,
                       const SubPanelReply& reply);
// Two PID entries, each cut to its stored size.
QByteArray pidControllersRecord(std::uint8_t block, const SubPanelReply& reply, bool extended);
QByteArray programsRecord(std::uint8_t block, const SubPanelReply& reply);
QByteArray tablesRecord(std::uint8_t block, const SubPanelReply& reply);
QByteArray runtimeLogsRecord(std::uint8_t block, const SubPanelReply& reply);
// The 22 bytes one trend log block contributes to its pair's record.
QByteArray trendLogHalf(const SubPanelReply& reply);
QByteArray trendLogsRecord(std::uint8_t pair, const QByteArray& firstHalf,
                           const QByteArray& secondHalf);
// An empty block becomes the controller's "no code" bytes.
QByteArray programCodeRecord(std::uint8_t block, const SubPanelReply& reply);
QByteArray systemGroupDataRecord(std::uint8_t block, const SubPanelReply& reply);
// Two records: the size word 1692 with the first 1000 bytes, then the remaining 692.
QByteArray descriptorsRecords(const SubPanelReply& reply);
QByteArray customUnitsRecord(const SubPanelReply& reply);
// A type outside 128..253 is stored as 253.
std::uint8_t storedSubPanelType(std::uint32_t table5Point);
QByteArray subPanelTypeRecord(std::uint8_t type);

} // namespace subpanel
} // namespace vtl
