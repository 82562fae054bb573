#pragma once

#include "routing/RoutingTable.h"

#include <QString>

namespace vtl::RoutingTableCsv {

// A routing table as comma-separated text a spreadsheet reads: a header, one line per row (label,
// IP, MAC and in LAN mode gateway, broadcast server 0 or 1, interval in ms), then the lines
// "Subnet Mask" and "MTU". The header tells the mode.
QString write(RoutingMode mode, const RoutingTable& table);

struct ReadResult {
    RoutingMode mode = RoutingMode::Lan;
    RoutingTable table;
    QString error; // "line N: why"; empty when the text was read
    bool ok() const { return error.isEmpty(); }
};
// Every row of the mode must be there once, with sound values; nothing is guessed.
ReadResult read(const QString& text);

} // namespace vtl::RoutingTableCsv
