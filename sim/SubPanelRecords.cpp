#include "sim/SubPanelRecords.h"

#include <algorithm>

namespace vtl::sim::subpanel {
namespace {

// A block made of entries of `stride` bytes whose first `kept` bytes are settings.
struct Entries {
    qsizetype stride;
    qsizetype kept;
};

constexpr Entries Pid{22, 18};
constexpr Entries PidExtended{34, 30};
constexpr Entries Programs{2, 2}; // one entry: the rest of the block is run state
constexpr Entries RuntimeLog{15, 10};
constexpr Entries TrendLog{23, 11};
constexpr Entries GroupData{8, 2};
constexpr qsizetype TrendHalf = 2 * TrendLog.kept;
constexpr int DescriptorsHead = 1000;
constexpr int SizeWord = 2;
const QByteArray NoCode("\x00\x00\x00\x00\x03\x00\xff", 7);

constexpr RecordKey Descriptors{24, 82, 121};
constexpr RecordKey DescriptorsTail{24, 60, 125};
constexpr RecordKey CustomUnits{24, 249, 120};

// The settings of each entry written over the block, the rest left as it is.
QByteArray overlay(QByteArray block, const QByteArray& data, Entries e) {
    const qsizetype entries = data.size() / e.kept;
    if (block.size() < entries * e.stride) block.resize(entries * e.stride, '\0');
    for (qsizetype n = 0; n < entries; ++n)
        block.replace(n * e.stride, e.kept, data.mid(n * e.kept, e.kept));
    return block;
}

QByteArray placed(QByteArray block, int offset, const QByteArray& piece) {
    if (block.size() < offset + piece.size()) block.resize(offset + piece.size(), '\0');
    block.replace(offset, piece.size(), piece);
    return block;
}

} // namespace

void zeroWorkingBytes(std::uint8_t command, QByteArray& block) {
    const qsizetype size = block.size();
    Entries e{size, size};
    switch (command) {
    case 4:
        e = size == 2 * PidExtended.stride ? PidExtended : Pid;
        break;
    case 7:
        e = {std::max(size, Programs.kept), Programs.kept};
        break;
    case 9:
        e = RuntimeLog;
        break;
    case 10:
        e = TrendLog;
        break;
    case 19:
        e = GroupData;
        break;
    default:
        return;
    }
    for (qsizetype i = 0; i < size; ++i)
        if (i % e.stride >= e.kept) block[i] = '\0';
}

QList<BlockWrite> expandWrite(RecordKey key, const QByteArray& data,
                              const std::function<QByteArray(RecordKey)>& current) {
    const auto size = data.size();
    const auto one = [&](RecordKey at, Entries e) {
        return QList<BlockWrite>{{at, overlay(current(at), data, e)}};
    };
    if (key == Descriptors && size >= SizeWord)
        return {{Descriptors, placed(current(Descriptors), 0, data.mid(SizeWord))}};
    if (key == DescriptorsTail)
        return {{Descriptors, placed(current(Descriptors), DescriptorsHead, data)}};
    if (key == CustomUnits && size >= SizeWord)
        return {{CustomUnits, placed(current(CustomUnits), 0, data.mid(SizeWord))}};
    if (key.command == 50 && key.table == 5)
        return {{SubPanelTypeKey, QByteArray(1, char(key.point))}};
    if (key.table != 0) return {};

    switch (key.command) {
    case 4:
        if (size == 2 * Pid.kept) return one(key, Pid);
        if (size == 2 * PidExtended.kept) return one(key, PidExtended);
        break;
    case 7:
        if (size == Programs.kept) return one(key, Programs);
        break;
    case 9:
        if (size == 4 * RuntimeLog.kept) return one(key, RuntimeLog);
        break;
    case 10:
        if (size == 2 * TrendHalf && key.point < 128) {
            const RecordKey first{10, std::uint8_t(2 * key.point), 0};
            const RecordKey second{10, std::uint8_t(2 * key.point + 1), 0};
            return {{first, overlay(current(first), data.left(TrendHalf), TrendLog)},
                    {second, overlay(current(second), data.mid(TrendHalf), TrendLog)}};
        }
        break;
    case 16:
        if (data == NoCode) return {{key, QByteArray()}};
        break;
    case 19:
        if (size % GroupData.kept == 0) return one(key, GroupData);
        break;
    default:
        break;
    }
    return {};
}

} // namespace vtl::sim::subpanel
