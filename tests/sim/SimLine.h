#pragma once

// A test line to a simulated controller on virtual time. Requests are written out by hand here,
// byte by byte, so that the controller is checked independently of the program's own framing.

#include "link/PipeTransport.h"
#include "sim/SimulatedController.h"

#include <QByteArray>

namespace vtl::sim::test {

inline QByteArray lanRequest(int panel, int command, int point, int table) {
    return QByteArray("AAAAA12345") + bytesOf({panel, 0, command, point, table});
}

inline QByteArray subRequest(int panel, int command, int point, int table) {
    return QByteArray("EEE\x0E\x0F", 5) + bytesOf({panel, 0, command, point, table}) +
           bytesOf({panel + command + point + table});
}

inline QByteArray le16(int value) {
    return bytesOf({value & 0xFF, (value >> 8) & 0xFF});
}

inline int sum16(const QByteArray& bytes) {
    int sum = 0;
    for (char c : bytes)
        sum += std::uint8_t(c);
    return sum & 0xFFFF;
}

inline QByteArray hex(const QByteArray& bytes) {
    return bytes.toHex(' ');
}

struct SimLine {
    explicit SimLine(const ControllerOptions& options, int rate = 0)
        : sim(options), pipe(sim, clock) {
        pipe.open(rate ? rate : options.lineRate);
    }
    void send(const QByteArray& bytes) {
        for (char c : bytes)
            pipe.writeByte(std::uint8_t(c));
    }
    // Everything the controller says until it has been quiet for gapMs.
    QByteArray read(int gapMs = 300) {
        QByteArray got;
        while (auto b = pipe.readByte(gapMs))
            got += char(*b);
        return got;
    }
    QByteArray read(int count, int timeoutMs) {
        QByteArray got;
        while (got.size() < count)
            if (auto b = pipe.readByte(timeoutMs))
                got += char(*b);
            else
                break;
        return got;
    }

    SimulatedController sim;
    VirtualClock clock;
    PipeTransport pipe;
};

} // namespace vtl::sim::test
