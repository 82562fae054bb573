#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vtl::test {

// A raw pseudo-terminal pair: the program under test opens slavePath() as its serial port while
// the test plays the far end on the master side.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0; }
    QString slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    void write(const std::vector<std::uint8_t>& bytes);
    // Bytes that arrive within timeoutMs of each other, until none arrives for that long.
    std::vector<std::uint8_t> readAvailable(int timeoutMs = 50);
    // Fills the line towards the master until it takes no more, as a reader that stopped leaves
    // it; returns the bytes written.
    std::size_t fillTowardsMaster();
    // The rate the program set on its side of the line.
    int slaveBaudRate() const;
    // The size a program writing to the slave as its terminal is told.
    void setWindowSize(int columns, int rows);
    // The far end goes away, as a device pulled out or a simulator that ended.
    void closeMaster();

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};

} // namespace vtl::test
