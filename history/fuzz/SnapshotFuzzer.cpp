// Feeds arbitrary bytes to the snapshot reader as `vtl-cli history` and `undo` read the files of
// the history folder, which anyone may have edited or cut short. A document it refuses says why;
// one it takes is a snapshot the program could have written: written again and read back it is
// the same snapshot, and the same text the second time.
#include "history/Snapshot.h"
#include "link/TransferBuffers.h"

#include <cstdlib>

namespace {

using namespace vtl;

void check(bool condition) {
    if (!condition) std::abort();
}

bool same(const Snapshot& a, const Snapshot& b) {
    return a.id == b.id && a.time == b.time && a.operation == b.operation && a.port == b.port &&
           a.controller == b.controller && a.movesTo == b.movesTo && a.backup == b.backup &&
           a.records == b.records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString why;
    const std::optional<Snapshot> read = Snapshot::fromJson(json, &why);
    if (!read) {
        check(!why.isEmpty());
        return 0;
    }
    check(!read->id.isEmpty() && !read->port.isEmpty() && read->time.isValid());
    for (const SnapshotRecord& r : read->records)
        check(std::uint32_t(r.data.size()) <= TransferBuffers::MaxReply);

    const QByteArray written = read->toJson();
    const std::optional<Snapshot> again = Snapshot::fromJson(written, &why);
    check(again && same(*read, *again));
    check(again->toJson() == written);
    return 0;
}
