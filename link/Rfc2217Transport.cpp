#include "link/Rfc2217Transport.h"

#include "link/Log.h"

#include <algorithm>

namespace vtl {
namespace {

using Codec = TelnetComPortCodec;

// Unasked-for answers (line and modem state notices, late confirmations) are kept this long at
// most.
constexpr std::size_t KeptConfirmations = 16;

constexpr int FirstTurnAwayPauseMs = 100;

// What a server that hangs up wrote to us ("Port already in use"), when it is plain text.
QString serverText(const QByteArray& bytes) {
    const bool plain = std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n' || c == '\t';
    });
    return plain ? QString::fromLatin1(bytes).simplified().left(80) : QString();
}

} // namespace

Rfc2217Transport::Rfc2217Transport(QString host, quint16 port, Clock& clock)
    : socket_(std::move(host), port, clock), clock_(clock) {}

bool Rfc2217Transport::parseName(const QString& name, QString* host, quint16* port) {
    return parseServerName(name, QStringLiteral("rfc2217"), host, port);
}

QString Rfc2217Transport::errorText() const {
    return error_.isEmpty() ? socket_.errorText() : error_;
}

bool Rfc2217Transport::open(std::int32_t baudRate) {
    // A server still closing an earlier session (ser2net among them) takes the new one, says the
    // port is in use and hangs up: that is a "not yet", tried again as a refused connect is.
    const std::int64_t giveUpUs = clock_.nowUs() + std::int64_t(TurnAwayPatienceMs) * 1000;
    int pauseMs = FirstTurnAwayPauseMs;
    for (;;) {
        if (!socket_.connectToServer()) return false;
        if (setUp(baudRate)) {
            setDtr(false);
            return true;
        }
        agreed_ = false;
        const bool turnedAway = !socket_.isOpen(); // a refusal comes on an open session
        const QString said = serverText(in_.data);
        socket_.close();
        if (!turnedAway) return false;
        if (clock_.nowUs() + pauseMs * 1000 > giveUpUs) {
            if (!said.isEmpty())
                error_ = QStringLiteral("%1 closed the session: %2").arg(socket_.address(), said);
            return false;
        }
        qCInfo(lcLink).noquote() << socket_.address() << "closed the session while it was set up"
                                 << (said.isEmpty() ? QString() : "(" + said + ")")
                                 << "- trying again in" << pauseMs << "ms";
        clock_.sleepMs(pauseMs);
        pauseMs *= 2;
    }
}

bool Rfc2217Transport::setUp(std::int32_t baudRate) {
    agreed_ = false;
    error_.clear();
    codec_ = {};
    in_ = {};
    next_ = 0;
    unanswered_ = {};
    return negotiate() && setRate(baudRate) && setByte(Request::SetDataSize, 8, "8 data bits") &&
           setByte(Request::SetParity, Codec::ParityNone, "no parity") &&
           setByte(Request::SetStopSize, Codec::OneStopBit, "one stop bit");
}

bool Rfc2217Transport::negotiate() {
    if (!socket_.send(codec_.offer())) return false;
    const std::int64_t deadline = clock_.nowUs() + std::int64_t(ConfirmTimeoutMs) * 2000;
    while (codec_.agreement() == Codec::Agreement::Pending && clock_.nowUs() < deadline)
        pump(int((deadline - clock_.nowUs()) / 1000) + 1);
    switch (codec_.agreement()) {
    case Codec::Agreement::Accepted:
        agreed_ = true;
        return true;
    case Codec::Agreement::Refused:
        error_ = QStringLiteral("%1 refuses line control (telnet option 44); use tcp://%1")
                     .arg(socket_.address());
        break;
    case Codec::Agreement::Pending:
        error_ = socket_.isOpen()
                     ? QStringLiteral("no telnet answer from %1 (not an RFC 2217 port?)")
                           .arg(socket_.address())
                     : socket_.errorText();
        break;
    }
    qCInfo(lcLink).noquote() << error_;
    return false;
}

bool Rfc2217Transport::pump(int timeoutMs) {
    const QByteArray bytes = socket_.receive(std::max(timeoutMs, 0));
    if (bytes.isEmpty()) return false;
    codec_.decode(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            std::size_t(bytes.size())),
                  in_);
    if (!in_.reply.isEmpty()) {
        socket_.send(in_.reply);
        in_.reply.clear();
    }
    if (in_.confirmations.size() > KeptConfirmations)
        in_.confirmations.erase(in_.confirmations.begin(),
                                in_.confirmations.end() - KeptConfirmations);
    return true;
}

std::optional<QByteArray> Rfc2217Transport::ask(const QByteArray& request, Request kind) {
    auto& confirmations = in_.confirmations;
    const auto ofKind = [kind](const Codec::Confirmation& c) { return c.request == kind; };
    // An answer to an earlier request of this kind must not pass for this one's.
    std::erase_if(confirmations, ofKind);
    if (!socket_.send(request)) return std::nullopt;
    bool& unanswered = unanswered_[std::size_t(kind) % unanswered_.size()];
    if (unanswered) return std::nullopt;
    const std::int64_t deadline = clock_.nowUs() + std::int64_t(ConfirmTimeoutMs) * 1000;
    for (;;) {
        if (auto it = std::find_if(confirmations.begin(), confirmations.end(), ofKind);
            it != confirmations.end()) {
            QByteArray value = it->value;
            confirmations.erase(it);
            return value;
        }
        const std::int64_t left = deadline - clock_.nowUs();
        if (left <= 0 || !socket_.isOpen()) break;
        pump(int(left / 1000) + 1);
    }
    if (socket_.isOpen()) {
        unanswered = true;
        qCWarning(lcLink).noquote()
            << socket_.address() << "did not confirm request" << int(kind) << "within"
            << ConfirmTimeoutMs << "ms; going on without waiting for it on this session";
    }
    return std::nullopt;
}

bool Rfc2217Transport::setRate(std::int32_t baudRate) {
    if (!socket_.isOpen()) return false;
    const auto answer = ask(Codec::setBaudRate(std::uint32_t(baudRate)), Request::SetBaudRate);
    if (!answer) return socket_.isOpen();
    const std::uint32_t rate = Codec::baudRateOf(*answer);
    if (rate == std::uint32_t(baudRate)) return true;
    error_ = QStringLiteral("%1 refused %2 baud (its line is at %3)")
                 .arg(socket_.address())
                 .arg(baudRate)
                 .arg(rate);
    qCInfo(lcLink).noquote() << error_;
    return false;
}

bool Rfc2217Transport::setByte(Request kind, std::uint8_t value, const char* what) {
    const auto answer = ask(Codec::request(kind, value), kind);
    if (!socket_.isOpen()) return false;
    if (!answer || (answer->size() == 1 && std::uint8_t(answer->at(0)) == value)) return true;
    error_ = QStringLiteral("%1 refused %2").arg(socket_.address(), QLatin1String(what));
    qCInfo(lcLink).noquote() << error_;
    return false;
}

void Rfc2217Transport::setDtr(bool on) {
    if (isOpen())
        ask(Codec::request(Request::SetControl, on ? Codec::DtrOn : Codec::DtrOff),
            Request::SetControl);
}

bool Rfc2217Transport::writeByte(std::uint8_t byte) {
    return isOpen() && socket_.send(Codec::escape(std::span(&byte, 1)));
}

std::optional<std::uint8_t> Rfc2217Transport::readByte(int timeoutMs) {
    const std::int64_t deadline = clock_.nowUs() + std::int64_t(timeoutMs) * 1000;
    for (;;) {
        if (next_ < in_.data.size()) return std::uint8_t(in_.data[next_++]);
        in_.data.clear();
        next_ = 0;
        if (!socket_.isOpen()) return std::nullopt;
        const std::int64_t now = clock_.nowUs();
        // Telnet traffic alone (notices) must not hold a read past its time-out.
        const bool late = now >= deadline;
        if (!pump(late ? 0 : int((deadline - now) / 1000))) return std::nullopt;
        if (late && in_.data.isEmpty()) return std::nullopt;
    }
}

void Rfc2217Transport::discardInput() {
    if (isOpen()) ask(Codec::request(Request::PurgeData, Codec::PurgeReceived), Request::PurgeData);
    // Whatever came before the server's answer was on the line before the purge.
    pump(0);
    in_.data.clear();
    next_ = 0;
}

} // namespace vtl
