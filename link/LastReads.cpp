#include "link/LastReads.h"

#include <algorithm>

namespace vtl {

void LastReads::keep(std::uint8_t panel, commands::RecordAddress record, std::uint8_t replyPoint,
                     std::uint8_t replyTable, std::span<const std::uint8_t> data) {
    // The newest read of a record replaces the older one and moves to the end.
    std::erase_if(entries_, [record](const Entry& e) { return e.record == record; });
    entries_.push_back(
        {panel, record, replyPoint, replyTable,
         QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()))});
}

const LastReads::Entry* LastReads::find(commands::RecordAddress record) const {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [record](const Entry& e) { return e.record == record; });
    return it == entries_.end() ? nullptr : &*it;
}

} // namespace vtl
