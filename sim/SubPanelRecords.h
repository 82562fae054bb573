#pragma once

#include "sim/SimMemory.h"

#include <QByteArray>
#include <QList>
#include <functional>

namespace vtl::sim::subpanel {

// A sub panel keeps run-time values inside some of its memory blocks: the working values of a PID
// entry, the running totals of a runtime log, the sampler state of a trend log entry, the live
// part of a system group and the run state of the programs. A backup leaves them out and a
// restore sends only the rest; the controller works them out again as it runs. The simulated
// controller never runs, so they hold zero, and a write of the shortened form leaves them as they
// are. That way a backup restored into a cleared controller gives back the same memory.
void zeroWorkingBytes(std::uint8_t command, QByteArray& block);

struct BlockWrite {
    RecordKey key;
    QByteArray data;
};

// The native blocks that a write of a sub panel record in its shortened form stands for, keyed by
// the record's read command: PID entries, programs, runtime logs, a pair of trend log blocks,
// the "no code" program code bytes, system group heads, the descriptors and custom units in their
// pieces, the sub panel type in the point byte. `current` gives a block as the memory holds it
// now. Empty when the write is an ordinary one, stored as sent.
QList<BlockWrite> expandWrite(RecordKey key, const QByteArray& data,
                              const std::function<QByteArray(RecordKey)>& current);

// Where the controller keeps its sub panel type, answered in the point byte of a table 5 read.
inline constexpr RecordKey SubPanelTypeKey{50, 0, 5};

} // namespace vtl::sim::subpanel
