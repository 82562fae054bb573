#include "link/TelnetComPortCodec.h"

namespace vtl {
namespace {

// A subnegotiation longer than any answer of option 44 is a broken server; the rest is dropped
// rather than kept without end.
constexpr qsizetype MaxSubLength = 64;

void appendCommand(QByteArray& out, std::uint8_t verb, std::uint8_t option) {
    out.append(char(TelnetComPortCodec::Iac));
    out.append(char(verb));
    out.append(char(option));
}

} // namespace

QByteArray TelnetComPortCodec::escape(std::span<const std::uint8_t> data) {
    QByteArray out;
    out.reserve(qsizetype(data.size()));
    for (const std::uint8_t b : data) {
        out.append(char(b));
        if (b == Iac) out.append(char(Iac));
    }
    return out;
}

QByteArray TelnetComPortCodec::request(Request request, std::span<const std::uint8_t> value) {
    QByteArray out;
    out.append(char(Iac));
    out.append(char(Sb));
    out.append(char(ComPortOption));
    out.append(char(request));
    out.append(escape(value));
    out.append(char(Iac));
    out.append(char(Se));
    return out;
}

QByteArray TelnetComPortCodec::request(Request r, std::uint8_t value) {
    return request(r, std::span<const std::uint8_t>(&value, 1));
}

QByteArray TelnetComPortCodec::setBaudRate(std::uint32_t rate) {
    const std::uint8_t value[4] = {std::uint8_t(rate >> 24), std::uint8_t(rate >> 16),
                                   std::uint8_t(rate >> 8), std::uint8_t(rate)};
    return request(Request::SetBaudRate, value);
}

std::uint32_t TelnetComPortCodec::baudRateOf(const QByteArray& value) {
    if (value.size() != 4) return 0;
    std::uint32_t rate = 0;
    for (const char c : value)
        rate = (rate << 8) | std::uint8_t(c);
    return rate;
}

QByteArray TelnetComPortCodec::offer() {
    offered_ = true;
    QByteArray out;
    appendCommand(out, Will, ComPortOption);
    return out;
}

void TelnetComPortCodec::negotiate(std::uint8_t verb, std::uint8_t option, Decoded& out) {
    if (option == ComPortOption) {
        if (verb == Do) {
            // Asked before we offered: accept with the offer itself.
            if (!offered_) out.reply.append(offer());
            agreement_ = Agreement::Accepted;
        } else if (verb == Dont) {
            agreement_ = Agreement::Refused;
        } else if (verb == Will && !answeredServerWill_) {
            answeredServerWill_ = true;
            appendCommand(out.reply, Do, ComPortOption);
        }
        return;
    }
    // Refuse the rest. A WONT or DONT needs no answer: answering those would loop.
    if (verb == Will) appendCommand(out.reply, Dont, option);
    if (verb == Do) appendCommand(out.reply, Wont, option);
}

void TelnetComPortCodec::endSub(Decoded& out) {
    if (sub_.size() >= 2 && std::uint8_t(sub_[0]) == ComPortOption &&
        std::uint8_t(sub_[1]) > ServerOffset)
        out.confirmations.push_back({Request(std::uint8_t(sub_[1]) - ServerOffset), sub_.mid(2)});
    sub_.clear();
}

void TelnetComPortCodec::decode(std::span<const std::uint8_t> bytes, Decoded& out) {
    for (const std::uint8_t b : bytes) {
        switch (state_) {
        case State::Data:
            if (b == Iac)
                state_ = State::Iac;
            else
                out.data.append(char(b));
            break;
        case State::Iac:
            state_ = State::Data;
            if (b == Iac) {
                out.data.append(char(Iac));
            } else if (b >= Will && b <= Dont) {
                verb_ = b;
                state_ = State::Option;
            } else if (b == Sb) {
                sub_.clear();
                state_ = State::Sub;
            } // other commands (NOP, GA, ...) carry nothing for us
            break;
        case State::Option:
            negotiate(verb_, b, out);
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == Iac)
                state_ = State::SubIac;
            else if (sub_.size() < MaxSubLength)
                sub_.append(char(b));
            break;
        case State::SubIac:
            if (b == Se) {
                endSub(out);
                state_ = State::Data;
            } else {
                if (b == Iac && sub_.size() < MaxSubLength) sub_.append(char(Iac));
                state_ = State::Sub;
            }
            break;
        }
    }
}

} // namespace vtl
