#pragma once

#include "link/LinePeer.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <map>
#include <ostream>
#include <vector>

namespace vtl::test {

using Bytes = std::vector<std::uint8_t>;

// "45 45 0E" -> bytes; "'AB'" inside the text gives the letters' codes.
inline Bytes hex(const QString& text) {
    Bytes out;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word.startsWith(QLatin1Char('\'')))
            for (QChar c : word.mid(1, word.size() - 2))
                out.push_back(std::uint8_t(c.unicode()));
        else
            out.push_back(std::uint8_t(word.toUInt(nullptr, 16)));
    }
    return out;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A far end that follows a script: it records every byte heard (with its time) and every DTR
// change and open/close, and puts scripted bytes on the line once it has heard a given number of
// bytes or at a given time.
class ScriptedLinePeer final : public LinePeer {
public:
    struct Event {
        enum Kind { Byte, DtrOn, DtrOff, Opened, Closed, RateChanged, Drained } kind;
        std::uint8_t byte;
        std::int64_t timeUs;
    };

    // Answers once the total number of bytes heard reaches heardCount.
    void afterHeard(std::size_t heardCount, const Bytes& bytes) {
        auto& slot = byCount_[heardCount];
        slot.insert(slot.end(), bytes.begin(), bytes.end());
    }
    // Puts bytes on the line at an absolute time.
    void at(std::int64_t timeUs, const Bytes& bytes) {
        auto& slot = byTime_[timeUs];
        slot.insert(slot.end(), bytes.begin(), bytes.end());
    }

    void lineOpened(std::int32_t baudRate) override {
        rate = baudRate;
        events.push_back({Event::Opened, 0, now_});
    }
    void lineClosed() override { events.push_back({Event::Closed, 0, now_}); }
    void rateChanged(std::int32_t baudRate) override {
        rate = baudRate;
        events.push_back({Event::RateChanged, 0, now_});
    }
    void drained() override { events.push_back({Event::Drained, 0, now_}); }
    void dtrChanged(bool on) override {
        events.push_back({on ? Event::DtrOn : Event::DtrOff, 0, now_});
    }
    void receive(std::uint8_t byte, std::int64_t nowUs) override {
        now_ = nowUs;
        events.push_back({Event::Byte, byte, nowUs});
        heard.push_back(byte);
        if (auto it = byCount_.find(heard.size()); it != byCount_.end()) {
            out_.insert(out_.end(), it->second.begin(), it->second.end());
            byCount_.erase(it);
        }
    }
    void advance(std::int64_t nowUs) override {
        now_ = nowUs;
        while (!byTime_.empty() && byTime_.begin()->first <= nowUs) {
            const auto& b = byTime_.begin()->second;
            out_.insert(out_.end(), b.begin(), b.end());
            byTime_.erase(byTime_.begin());
        }
    }
    std::optional<std::uint8_t> transmit() override {
        if (out_.empty()) return std::nullopt;
        const auto b = out_.front();
        out_.pop_front();
        return b;
    }
    std::int64_t nextEventUs() const override {
        return byTime_.empty() ? Idle : byTime_.begin()->first;
    }

    // Everything on the line since event `mark` (see mark()): bytes in hex, DTR changes as "^" (on)
    // and "v" (off), and with `drains` each wait for the output to leave as "|".
    QString wire(std::size_t mark = 0, bool drains = false) const {
        QStringList words;
        for (std::size_t i = mark; i < events.size(); ++i) {
            const Event& e = events[i];
            if (e.kind == Event::Byte)
                words << QStringLiteral("%1").arg(e.byte, 2, 16, QLatin1Char('0')).toUpper();
            else if (e.kind == Event::DtrOn)
                words << QStringLiteral("^");
            else if (e.kind == Event::DtrOff)
                words << QStringLiteral("v");
            else if (e.kind == Event::Drained && drains)
                words << QStringLiteral("|");
        }
        return words.join(QLatin1Char(' '));
    }
    std::size_t mark() const { return events.size(); }
    // Time at which the n-th heard byte arrived.
    std::int64_t heardAt(std::size_t n) const {
        std::size_t index = 0;
        for (const Event& e : events)
            if (e.kind == Event::Byte && index++ == n) return e.timeUs;
        return -1;
    }
    int count(Event::Kind kind) const {
        int n = 0;
        for (const Event& e : events)
            n += e.kind == kind;
        return n;
    }

    Bytes heard;
    std::vector<Event> events;
    std::int32_t rate = 0;

private:
    std::map<std::size_t, Bytes> byCount_;
    std::map<std::int64_t, Bytes> byTime_;
    std::deque<std::uint8_t> out_;
    std::int64_t now_ = 0;
};

inline QString toHex(const Bytes& bytes) {
    QStringList words;
    for (auto b : bytes)
        words << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return words.join(QLatin1Char(' '));
}

} // namespace vtl::test

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE
