#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vtl {

inline constexpr std::array<std::uint8_t, 5> SubLanPreamble{0x45, 0x45, 0x45, 0x0E, 0x0F};
inline constexpr std::array<std::uint8_t, 10> LanPreamble{'A', 'A', 'A', 'A', 'A',
                                                          '1', '2', '3', '4', '5'};

// Finds a frame preamble in a byte stream, one byte at a time. A preamble is a run of one leading
// letter ("EEE", "AAAAA") and a tail (0x0E 0x0F, "12345"). A byte that does not fit sends the
// search back to the start and is not looked at again.
class PreambleSearch {
public:
    enum class Variant {
        // A leading letter always puts the search in front of the tail, even in the middle of it:
        // any single letter followed by the tail synchronises.
        Reply,
        // A leading letter moves to the tail only while a letter is expected; inside the tail it is
        // a mismatch like any other byte ("EE" 0x0E 0x0F does not synchronise, "EEE" 0x0E 0x0F
        // and "E" 0x0E 0x0F do).
        Listening,
    };
    enum class Step { Mismatch, Advanced, Complete };

    PreambleSearch(std::span<const std::uint8_t> preamble, Variant variant);
    static PreambleSearch subLan(Variant variant) { return {SubLanPreamble, variant}; }
    static PreambleSearch lan() { return {LanPreamble, Variant::Reply}; }

    // Takes one byte. After Complete the search starts again from the beginning.
    Step step(std::uint8_t byte);
    bool feed(std::uint8_t byte) { return step(byte) == Step::Complete; }
    void reset() { index_ = 0; }
    std::size_t index() const { return index_; }

private:
    std::span<const std::uint8_t> preamble_;
    std::size_t leaderLength_ = 0;
    Variant variant_;
    std::size_t index_ = 0;
};

} // namespace vtl
