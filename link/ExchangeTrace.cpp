#include "link/ExchangeTrace.h"

#include "link/SerialLink.h"

namespace vtl {

LineTrace* ExchangeTrace::trace() const {
    return link_.trace();
}

void ExchangeTrace::begin(bool subLan, std::uint8_t panel, std::uint8_t network,
                          std::uint8_t command, std::uint8_t point, std::uint8_t table,
                          std::uint32_t length) {
    request_ = {TracedFrame::Direction::Sent,
                subLan,
                panel,
                network,
                command,
                point,
                table,
                length,
                {},
                {}};
    reply_ = {};
    reply_.direction = TracedFrame::Direction::Received;
    reply_.subLan = subLan;
    requestTraced_ = false;
    haveReply_ = false;
}

void ExchangeTrace::check(const char* name, bool ok) {
    TracedFrame& frame = requestTraced_ ? reply_ : request_;
    const QString key = QString::fromLatin1(name);
    // A check repeated per block stays "ok" only while every one held.
    if (!ok || !frame.checks.contains(key))
        frame.checks.insert(key, ok ? QStringLiteral("ok") : QStringLiteral("failed"));
}

void ExchangeTrace::requestSent() {
    if (auto* t = trace()) t->frame(request_);
    requestTraced_ = true;
}

void ExchangeTrace::replyHeader(const std::uint8_t header[5]) {
    reply_.panel = header[0];
    reply_.network = header[1];
    reply_.command = header[2];
    reply_.point = header[3];
    reply_.table = header[4];
    haveReply_ = true;
}

void ExchangeTrace::replyReceived() {
    if (auto* t = trace()) t->frame(reply_);
}

void ExchangeTrace::writeAcknowledged() {
    if (auto* t = trace()) t->event(QStringLiteral("write ack"));
}

// The failure goes with the frame it happened in; with no reply frame heard at all it is an event
// carrying whatever bytes did come.
void ExchangeTrace::failed(const ExchangeFailure& failure) {
    LineTrace* t = trace();
    if (!t) return;
    const QString why = failure.describe();
    const bool neverSent = failure.reason == FailureReason::PortNotOpen ||
                           failure.reason == FailureReason::NoPoll ||
                           failure.reason == FailureReason::Cancelled ||
                           failure.reason == FailureReason::LengthOverLimit;
    if (!requestTraced_ && neverSent) {
        t->event(QStringLiteral("failed"), {{QStringLiteral("failure"), why},
                                            {QStringLiteral("command"), request_.command},
                                            {QStringLiteral("point"), request_.point},
                                            {QStringLiteral("table"), request_.table}});
        requestTraced_ = true;
    } else if (!requestTraced_) {
        TracedFrame frame = request_;
        frame.failure = why;
        t->frame(frame);
        requestTraced_ = true;
    } else if (haveReply_) {
        TracedFrame frame = reply_;
        frame.failure = why;
        t->frame(frame);
    } else {
        t->event(QStringLiteral("failed"), {{QStringLiteral("failure"), why}});
    }
}

} // namespace vtl
