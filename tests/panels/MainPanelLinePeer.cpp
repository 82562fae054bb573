#include "tests/panels/MainPanelLinePeer.h"

namespace vtl::test {

namespace {
const QByteArray Preamble = QByteArrayLiteral("AAAAA12345");
}

void MainPanelLinePeer::receive(std::uint8_t byte, std::int64_t nowUs) {
    got_.append(char(byte));
    current_.atUs = nowUs;
    switch (stage_) {
    case Stage::Preamble:
        if (!Preamble.startsWith(got_)) got_ = got_.endsWith('A') ? QByteArray("A") : QByteArray();
        if (got_ == Preamble) {
            got_.clear();
            stage_ = Stage::Header;
        }
        return;
    case Stage::Header:
        if (got_.size() == 5) headerComplete();
        return;
    case Stage::Length:
        if (got_.size() == 2) {
            length_ = std::uint8_t(got_[0]) | std::uint32_t(std::uint8_t(got_[1])) << 8;
            got_.clear();
            sum8_ = 0;
            stage_ = Stage::Data;
        }
        return;
    case Stage::Data:
        sum8_ = std::uint8_t(sum8_ + byte);
        current_.data.append(char(byte));
        got_.clear();
        if (current_.data.size() == qsizetype(length_)) stage_ = Stage::Sum;
        return;
    case Stage::Sum:
        if (byte == sum8_)
            finish();
        else
            stage_ = Stage::Preamble; // a bad block: no acknowledgement
        got_.clear();
        return;
    case Stage::ClearZeros:
        if (got_.size() == 2) {
            got_.clear();
            finish();
        }
        return;
    }
}

void MainPanelLinePeer::headerComplete() {
    current_ = {std::uint8_t(got_[0]), std::uint8_t(got_[1]),
                std::uint8_t(got_[2]), std::uint8_t(got_[3]),
                std::uint8_t(got_[4]), {},
                current_.atUs,         rate_};
    got_.clear();
    if (silent()) {
        requests.push_back(current_);
        stage_ = Stage::Preamble;
        return;
    }
    switch (current_.command) {
    case 38:
        finish();
        return;
    case 128:
        stage_ = Stage::ClearZeros;
        return;
    default:
        send(QByteArray(1, '\x06'));
        stage_ = Stage::Length;
        return;
    }
}

void MainPanelLinePeer::finish() {
    requests.push_back(current_);
    stage_ = Stage::Preamble;
    if (current_.command == 38) {
        reply(current_.point == 49 ? settings : modemString);
        return;
    }
    if (current_.command == 138 && current_.point == 49) settings = current_.data;
    if (current_.command == 138 && current_.point == 31) modemString = current_.data;
    send(QByteArray(1, '\x01'));
}

void MainPanelLinePeer::reply(const QByteArray& data) {
    // Records this short need no block check bytes, only the closing 16-bit sum.
    std::uint16_t sum = 0;
    for (char c : data)
        sum = std::uint16_t(sum + std::uint8_t(c));
    QByteArray frame = Preamble;
    frame.append(char(0)).append(char(127)).append(char(current_.command + 100));
    frame.append(char(current_.point)).append(char(current_.table));
    frame.append(char(data.size() & 0xFF)).append(char(data.size() >> 8));
    frame.append(data).append(char(sum & 0xFF)).append(char(sum >> 8));
    send(frame);
}

void MainPanelLinePeer::send(const QByteArray& bytes) {
    for (char c : bytes)
        out_.push_back(std::uint8_t(c));
}

std::optional<std::uint8_t> MainPanelLinePeer::transmit() {
    if (out_.empty()) return std::nullopt;
    const auto b = out_.front();
    out_.pop_front();
    return b;
}

} // namespace vtl::test
