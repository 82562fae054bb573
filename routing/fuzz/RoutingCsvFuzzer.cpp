// Feeds arbitrary text to the routing table CSV reader as `routing --in X.csv` reads it. Whatever
// is accepted holds texts that fit their fields, writes back to a text that reads as the same
// table and writes the same again, and builds a block that parses back to the same rows.
#include "routing/RoutingTableCsv.h"

#include <cstdlib>

namespace {

using namespace vtl;

void check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto read = RoutingTableCsv::read(text);
    check(read.ok() == read.error.isEmpty());
    if (!read.ok()) {
        check(read.error.startsWith(QLatin1String("line ")));
        return 0;
    }
    const RoutingMode mode = read.mode;
    check(!checkRoutingTable(mode, read.table));

    const QString written = RoutingTableCsv::write(mode, read.table);
    const auto again = RoutingTableCsv::read(written);
    check(again.ok() && again.mode == mode && again.table == read.table);
    check(RoutingTableCsv::write(mode, again.table) == written);

    // Sent and read back, every text is the same; the broadcast list keeps the first 16 marks.
    RoutingTable back = RoutingTable::labelled(mode);
    parseRoutingTableBlock(mode, buildRoutingTableBlock(mode, read.table, 1), back);
    for (int slot = 0; slot < routing::rowCount(mode); ++slot) {
        RoutingRow a = read.table.rows[std::size_t(slot)];
        RoutingRow b = back.rows[std::size_t(slot)];
        if (mode == RoutingMode::MainPanel) a.gateway = b.gateway = QString();
        a.broadcast = b.broadcast = false;
        check(a == b);
    }
    check(back.subnetMask == read.table.subnetMask && back.mtu == read.table.mtu);
    return 0;
}
