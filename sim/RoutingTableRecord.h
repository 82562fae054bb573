#pragma once

#include "sim/SimMemory.h"

#include <QByteArray>
#include <QString>

namespace vtl::sim::routingtable {

// Where a main panel or LAN controller keeps its Ethernet routing table.
inline constexpr RecordKey Key{50, 0, 21};

// What is wrong with a routing table written to this model, empty when nothing is: a main panel
// takes 1276 bytes, a LAN controller 2100 ending in 165, 165, 1, 2, 4, 0 with 0, 0, 1 after its
// own address. The controller stores what it is sent all the same, as it does any record.
QString refusal(Model model, const QByteArray& data);

} // namespace vtl::sim::routingtable
