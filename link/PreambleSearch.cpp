#include "link/PreambleSearch.h"

namespace vtl {

PreambleSearch::PreambleSearch(std::span<const std::uint8_t> preamble, Variant variant)
    : preamble_(preamble), variant_(variant) {
    while (leaderLength_ < preamble_.size() && preamble_[leaderLength_] == preamble_[0])
        ++leaderLength_;
}

PreambleSearch::Step PreambleSearch::step(std::uint8_t byte) {
    const bool leader = !preamble_.empty() && byte == preamble_[0];
    const bool letterExpected = index_ < leaderLength_;
    if (leader && (variant_ == Variant::Reply || letterExpected)) {
        index_ = leaderLength_;
    } else if (index_ < preamble_.size() && byte == preamble_[index_]) {
        ++index_;
    } else {
        index_ = 0;
        return Step::Mismatch;
    }
    if (index_ < preamble_.size()) return Step::Advanced;
    index_ = 0;
    return Step::Complete;
}

} // namespace vtl
