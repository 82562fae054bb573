#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>

namespace vtl::test {

// Hands out a file's bytes at most `piece` at a time, as a pipe, a network share or a slow
// device does: every read may return fewer bytes than asked for.
class ShortReadDevice final : public QIODevice {
public:
    ShortReadDevice(QByteArray bytes, qint64 piece) : bytes_(std::move(bytes)), piece_(piece) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 n = std::min({max, piece_, qint64(bytes_.size()) - at_});
        std::copy_n(bytes_.constData() + at_, n, data);
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 piece_;
    qint64 at_ = 0;
};

} // namespace vtl::test
