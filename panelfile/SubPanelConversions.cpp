#include "panelfile/SubPanelConversions.h"

#include "link/CommandSet.h"
#include "panelfile/BlockRecord.h"

namespace vtl {

QByteArray SubPanelReply::bytes(std::uint32_t from, std::uint32_t count) const {
    QByteArray out(qsizetype(count), '\0');
    for (std::uint32_t i = 0; i < count; ++i)
        out[qsizetype(i)] = char(at(from + i));
    return out;
}

namespace subpanel {
namespace {

QByteArray record(std::uint8_t command, std::uint8_t point, std::uint8_t table,
                  const QByteArray& data) {
    return encodeBlockRecordHeader({command, point, table, std::uint16_t(data.size())}) + data;
}

// The first `kept` bytes of each of `entries` entries of `stride` bytes.
QByteArray keepFront(const SubPanelReply& reply, std::uint32_t entries, std::uint32_t stride,
                     std::uint32_t kept) {
    QByteArray out;
    for (std::uint32_t e = 0; e < entries; ++e)
        out += reply.bytes(e * stride, kept);
    return out;
}

} // namespace

QByteArray plainRecord(std::uint8_t command, std::uint8_t point, std::uint8_t table,
                       const SubPanelReply& reply) {
    return record(command, point, table, reply.bytes(0, reply.length));
}

QByteArray pidControllersRecord(std::uint8_t block, const SubPanelReply& reply, bool extended) {
    const std::uint32_t stride = extended ? PidEntryReadExtended : PidEntryRead;
    const std::uint32_t kept = extended ? PidEntryKeptExtended : PidEntryKept;
    return record(4, block, 0, keepFront(reply, 2, stride, kept));
}

QByteArray programsRecord(std::uint8_t block, const SubPanelReply& reply) {
    return record(7, block, 0, reply.bytes(0, ProgramsKept));
}

QByteArray tablesRecord(std::uint8_t block, const SubPanelReply& reply) {
    return record(8, block, 0, reply.bytes(0, TablesSize));
}

QByteArray runtimeLogsRecord(std::uint8_t block, const SubPanelReply& reply) {
    return record(9, block, 0,
                  keepFront(reply, RuntimeEntries, RuntimeEntryRead, RuntimeEntryKept));
}

QByteArray trendLogHalf(const SubPanelReply& reply) {
    return keepFront(reply, 2, TrendEntryRead, TrendEntryKept);
}

QByteArray trendLogsRecord(std::uint8_t pair, const QByteArray& firstHalf,
                           const QByteArray& secondHalf) {
    return record(10, pair, 0, firstHalf + secondHalf);
}

QByteArray programCodeRecord(std::uint8_t block, const SubPanelReply& reply) {
    if (reply.length == 0) {
        const auto& none = commands::NoDataReplyBytes;
        return record(
            16, block, 0,
            QByteArray(reinterpret_cast<const char*>(none.data()), qsizetype(none.size())));
    }
    return plainRecord(16, block, 0, reply);
}

QByteArray systemGroupDataRecord(std::uint8_t block, const SubPanelReply& reply) {
    return record(19, block, 0, keepFront(reply, reply.length / GroupSize, GroupSize, GroupKept));
}

QByteArray descriptorsRecords(const SubPanelReply& reply) {
    constexpr std::uint32_t total = DescriptorsHead + DescriptorsTail;
    QByteArray head = QByteArray(1, char(total & 0xFF)) + QByteArray(1, char(total >> 8));
    head += reply.bytes(0, DescriptorsHead);
    const auto& first = commands::SubPanelDescriptors;
    const auto& second = commands::SubPanelDescriptorsTail;
    return record(first.command, first.point, first.table, head) +
           record(second.command, second.point, second.table,
                  reply.bytes(DescriptorsHead, DescriptorsTail));
}

QByteArray customUnitsRecord(const SubPanelReply& reply) {
    const auto& units = commands::CustomUnits;
    QByteArray data = QByteArray(1, char(CustomUnitsSize)) + QByteArray(1, '\0');
    data += reply.bytes(0, CustomUnitsSize);
    return record(units.command, units.point, units.table, data);
}

std::uint8_t storedSubPanelType(std::uint32_t table5Point) {
    return table5Point < LowestType || table5Point > HighestType ? HighestType
                                                                 : std::uint8_t(table5Point);
}

QByteArray subPanelTypeRecord(std::uint8_t type) {
    return record(55, type, 0, QByteArray());
}

} // namespace subpanel
} // namespace vtl
