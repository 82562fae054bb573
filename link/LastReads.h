#pragma once

#include "link/CommandSet.h"

#include <QByteArray>

#include <cstdint>
#include <span>
#include <vector>

namespace vtl {

// What this connection last read of each record: the reply to the latest good read of every
// record address, kept so that a write can first put aside what it is about to change. A new
// connection starts with nothing read.
class LastReads {
public:
    struct Entry {
        std::uint8_t panel = 0; // where the read was sent
        commands::RecordAddress record;
        // The reply header's point and table bytes: the identification read's answer lies there.
        std::uint8_t replyPoint = 0;
        std::uint8_t replyTable = 0;
        QByteArray data;
    };

    void keep(std::uint8_t panel, commands::RecordAddress record, std::uint8_t replyPoint,
              std::uint8_t replyTable, std::span<const std::uint8_t> data);
    void forget() { entries_.clear(); }

    // Oldest first, one entry per record address.
    const std::vector<Entry>& entries() const { return entries_; }
    const Entry* find(commands::RecordAddress record) const;

private:
    std::vector<Entry> entries_;
};

} // namespace vtl
