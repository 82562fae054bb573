#pragma once

#include <QIODevice>

namespace vtl {

// Reads until `size` bytes came or the device has no more: a pipe or a network share may hand out
// a file in several pieces. Returns the bytes read, or -1 when the device failed.
inline qint64 readFully(QIODevice& device, char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const qint64 n = device.read(data + done, size - done);
        if (n < 0) return -1;
        if (n == 0) break;
        done += n;
    }
    return done;
}

} // namespace vtl
