// Feeds arbitrary bytes to the routing table file reader as File Open and `routing --in` read a
// file. Only a file of exactly its size is taken, and only in its own mode; whatever is taken
// parses into texts that fit their fields, and builds back into the same block: byte for byte in
// main panel mode, and in LAN mode every entry, the mask and the MTU, with the broadcast list as
// Send rebuilds it (the first 16 marked rows). A second round trip changes nothing more.
#include "routing/RoutingTableFile.h"

#include <algorithm>
#include <cstdlib>

namespace {

using namespace vtl;
namespace F = RoutingTableFile;
using Bytes = std::vector<std::uint8_t>;

void check(bool condition) {
    if (!condition) std::abort();
}

bool same(const Bytes& a, const Bytes& b, std::size_t from, std::size_t to) {
    return std::equal(a.begin() + std::ptrdiff_t(from), a.begin() + std::ptrdiff_t(to),
                      b.begin() + std::ptrdiff_t(from));
}

RoutingTable parsed(RoutingMode mode, const Bytes& block) {
    RoutingTable table = RoutingTable::labelled(mode);
    parseRoutingTableBlock(mode, block, table);
    return table;
}

void checkRoundTrip(const F::ReadResult& file, std::uint32_t address) {
    const RoutingMode mode = file.mode;
    const RoutingTable table = parsed(mode, file.block);
    check(!checkRoutingTable(mode, table));
    const Bytes built = buildRoutingTableBlock(mode, table, address);
    check(built.size() == file.block.size());
    if (mode == RoutingMode::MainPanel) {
        check(built == file.block);
    } else {
        // The connected controller's own entry is rebuilt, not read.
        check(same(built, file.block, 24, 2024) && same(built, file.block, 2088, 2094));
        check(
            std::equal(built.begin(), built.begin() + 16, built.begin() + 24 + 16 * (address - 1)));
        check(built[16] == address && built[17] == 0 && built[18] == 0 && built[19] == 1);
        check(std::equal(built.begin() + 12, built.begin() + 16, built.begin() + 20));
        const Bytes trailer{165, 165, 1, 2, 4, 0};
        check(std::equal(trailer.begin(), trailer.end(), built.begin() + 2094));
    }
    const RoutingTable again = parsed(mode, built);
    check(buildRoutingTableBlock(mode, again, address) == built);
    for (std::size_t slot = 0; slot < table.rows.size(); ++slot) {
        RoutingRow a = table.rows[slot];
        RoutingRow b = again.rows[slot];
        a.broadcast = b.broadcast = false;
        check(a == b);
    }
    check(again.subnetMask == table.subnetMask && again.mtu == table.mtu);

    const Bytes bytes = F::fileBytes(mode, built);
    check(bytes.size() == (mode == RoutingMode::Lan ? F::LanFileSize : F::MainFileSize));
    const auto reread =
        F::decode(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    check(reread.ok() && reread.mode == mode && reread.block == built);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const F::ReadResult file = F::decode(input);
    const bool marked = size >= 2 && data[0] == F::Mark0 && data[1] == F::Mark1;
    const bool lan = marked && size == F::LanFileSize;
    const bool main = size == F::MainFileSize;
    check(file.ok() == (lan || main));
    for (const RoutingMode mode : {RoutingMode::Lan, RoutingMode::MainPanel}) {
        const auto opened = F::forMode(file, mode);
        check(opened.ok() == (file.ok() && file.mode == mode && !file.markedGateway));
        check(opened.ok() || !opened.reason.isEmpty());
    }
    if (!file.ok()) return 0;
    check(file.mode == (lan ? RoutingMode::Lan : RoutingMode::MainPanel));
    check(file.markedGateway == (main && marked));
    const qsizetype start = lan ? 2 : 0;
    check(file.block.size() == routing::blockSize(file.mode));
    check(std::equal(file.block.begin(), file.block.end(), data + start));
    // The connected controller's address, 1 to 125, from a filler byte.
    checkRoundTrip(file, 1 + std::uint32_t(data[size - 1]) % 125);
    return 0;
}
