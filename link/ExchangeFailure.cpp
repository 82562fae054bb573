#include "link/ExchangeFailure.h"

namespace vtl {

QString toString(FailureReason reason) {
    switch (reason) {
    case FailureReason::None:
        return QStringLiteral("none");
    case FailureReason::PortNotOpen:
        return QStringLiteral("port not open");
    case FailureReason::NoPoll:
        return QStringLiteral("no poll");
    case FailureReason::NoReply:
        return QStringLiteral("no reply");
    case FailureReason::PreambleNotFound:
        return QStringLiteral("preamble not found");
    case FailureReason::HeaderCheck:
        return QStringLiteral("header check");
    case FailureReason::LengthOverLimit:
        return QStringLiteral("length over the limit");
    case FailureReason::DataTimeout:
        return QStringLiteral("data time-out");
    case FailureReason::BlockCheck:
        return QStringLiteral("block check");
    case FailureReason::DataSum:
        return QStringLiteral("data sum");
    case FailureReason::NotAcknowledged:
        return QStringLiteral("not acknowledged");
    case FailureReason::Refused:
        return QStringLiteral("refused with 0x15");
    case FailureReason::ConnectionLost:
        return QStringLiteral("connection lost");
    case FailureReason::Cancelled:
        return QStringLiteral("cancelled");
    }
    return {};
}

QString ExchangeFailure::describe() const {
    if (!failed()) return {};
    QString line = QStringLiteral("%1 at %2 baud after %3 reads")
                       .arg(toString(reason))
                       .arg(baudRate)
                       .arg(reads);
    if (!detail.isEmpty()) line += QStringLiteral(" (%1)").arg(detail);
    return line;
}

} // namespace vtl
