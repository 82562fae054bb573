#include "sim/WriteDrop.h"

namespace vtl::sim {

bool WriteDrop::loses(std::uint8_t command, std::uint8_t point, std::uint8_t table) {
    if (number_ <= 0 || ++seen_ != number_) return false;
    lost_ = QStringLiteral("%1/%2/%3").arg(command).arg(point).arg(table);
    return true;
}

} // namespace vtl::sim
