#pragma once

#include "link/Clock.h"

#include <QByteArray>
#include <QIODevice>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace vtl {

// One frame as the trace writes it: the five header bytes in the order they travel, the data
// length, and the checks made on it so far ("ok" or "failed").
struct TracedFrame {
    enum class Direction { Sent, Received };
    Direction direction = Direction::Sent;
    bool subLan = false;
    std::uint8_t panel = 0;
    std::uint8_t network = 0;
    std::uint8_t command = 0;
    std::uint8_t point = 0;
    std::uint8_t table = 0;
    std::uint32_t length = 0;
    QJsonObject checks;
    QString failure; // why the exchange failed here; empty when it did not
};

// Everything said on the line, as JSON Lines: a first line that names the file a line trace, then
// one object per frame or event, each written and flushed as it happens so that the file holds
// everything up to a crash or a pulled cable. Bytes are gathered as they pass and go out with the
// next frame or event: those of its own direction as "hex", the other direction's (handshakes) as
// "otherHex".
class LineTrace {
public:
    static constexpr char Signature[] = "Vantrel line trace";
    static constexpr int Version = 1;

    // Times are counted from the construction, on `clock`.
    LineTrace(std::unique_ptr<QIODevice> out, Clock& clock);
    // Creates or replaces the file and writes its first line; nullptr with the system's words in
    // `error` when either fails (a full disk takes the file but not its first line).
    static std::unique_ptr<LineTrace> create(const QString& path, Clock& clock, QString* error);

    void byteSent(std::uint8_t byte);
    void byteReceived(std::uint8_t byte);
    void frame(const TracedFrame& frame);
    // "purge", "poll answer", "release", "no poll", "write ack", "failed": they take the bytes
    // gathered so far.
    void event(const QString& name, QJsonObject details = {});
    // "dtr", "rate", "open", "close": they happen inside frames and leave the bytes to the frame.
    void lineEvent(const QString& name, QJsonObject details = {});

    // False once a write to the file failed; the trace then stops writing.
    bool ok() const { return ok_; }
    // Called once, with the system's words, when a write first fails.
    void setFailureHandler(std::function<void(const QString& why)> handler) {
        onFailure_ = std::move(handler);
    }

private:
    void write(QJsonObject line, bool sentIsOwn, bool takeBytes = true);
    double elapsedMs() const;

    std::unique_ptr<QIODevice> out_;
    Clock& clock_;
    std::int64_t startUs_;
    QByteArray sent_;
    QByteArray received_;
    bool ok_ = true;
    std::function<void(const QString&)> onFailure_;
};

} // namespace vtl
