#pragma once

#include <QString>
#include <cstdint>

namespace vtl::sim {

// A controller whose memory loses one write: the chosen record write (counted from 1, the memory
// clear and address moves not counted) is acknowledged like any other but never stored.
class WriteDrop {
public:
    void dropWrite(int number) { number_ = number; }
    // Called for every record write; true for the one to lose.
    bool loses(std::uint8_t command, std::uint8_t point, std::uint8_t table);
    // "command/point/table" of the write that was lost; empty while none was.
    QString lost() const { return lost_; }

private:
    int number_ = 0;
    int seen_ = 0;
    QString lost_;
};

} // namespace vtl::sim
