#include "link/LineTrace.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>

#include <cmath>

namespace vtl {
namespace {

// Bytes heard while nothing is traced (a search at a wrong rate) are kept only up to this much.
constexpr qsizetype MaxGathered = 16384;

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

void gather(QByteArray& into, std::uint8_t byte) {
    if (into.size() < MaxGathered) into.append(char(byte));
}

} // namespace

LineTrace::LineTrace(std::unique_ptr<QIODevice> out, Clock& clock)
    : out_(std::move(out)), clock_(clock), startUs_(clock.nowUs()) {
    QJsonObject head{
        {QStringLiteral("trace"), QLatin1String(Signature)},
        {QStringLiteral("version"), Version},
        {QStringLiteral("started"), QDateTime::currentDateTime().toString(Qt::ISODate)}};
    write(head, true);
}

std::unique_ptr<LineTrace> LineTrace::create(const QString& path, Clock& clock, QString* error) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (error) *error = file->errorString();
        return nullptr;
    }
    const QFile* opened = file.get();
    auto trace = std::make_unique<LineTrace>(std::move(file), clock);
    if (!trace->ok()) {
        if (error) *error = opened->errorString();
        return nullptr;
    }
    return trace;
}

void LineTrace::byteSent(std::uint8_t byte) {
    gather(sent_, byte);
}

void LineTrace::byteReceived(std::uint8_t byte) {
    gather(received_, byte);
}

double LineTrace::elapsedMs() const {
    return std::round(double(clock_.nowUs() - startUs_) / 100.0) / 10.0;
}

void LineTrace::frame(const TracedFrame& f) {
    const bool sent = f.direction == TracedFrame::Direction::Sent;
    QJsonObject line{
        {QStringLiteral("t"), elapsedMs()},
        {QStringLiteral("kind"), QStringLiteral("frame")},
        {QStringLiteral("dir"), sent ? QStringLiteral("tx") : QStringLiteral("rx")},
        {QStringLiteral("framing"), f.subLan ? QStringLiteral("Sub LAN") : QStringLiteral("LAN")},
        {QStringLiteral("panel"), f.panel},
        {QStringLiteral("network"), f.network},
        {QStringLiteral("command"), f.command},
        {QStringLiteral("point"), f.point},
        {QStringLiteral("table"), f.table},
        {QStringLiteral("length"), qint64(f.length)},
        {QStringLiteral("checks"), f.checks}};
    if (!f.failure.isEmpty()) line.insert(QStringLiteral("failure"), f.failure);
    write(line, sent);
}

void LineTrace::event(const QString& name, QJsonObject details) {
    details.insert(QStringLiteral("t"), elapsedMs());
    details.insert(QStringLiteral("kind"), QStringLiteral("event"));
    details.insert(QStringLiteral("event"), name);
    write(details, true);
}

void LineTrace::lineEvent(const QString& name, QJsonObject details) {
    details.insert(QStringLiteral("t"), elapsedMs());
    details.insert(QStringLiteral("kind"), QStringLiteral("event"));
    details.insert(QStringLiteral("event"), name);
    write(details, true, false);
}

// One line per write, flushed at once: the file never holds half a record unless the system died
// in the middle of the write itself.
void LineTrace::write(QJsonObject line, bool sentIsOwn, bool takeBytes) {
    if (takeBytes) {
        const QByteArray& own = sentIsOwn ? sent_ : received_;
        const QByteArray& other = sentIsOwn ? received_ : sent_;
        if (!own.isEmpty()) line.insert(QStringLiteral("hex"), hex(own));
        if (!other.isEmpty()) line.insert(QStringLiteral("otherHex"), hex(other));
        sent_.clear();
        received_.clear();
    }
    if (!ok_ || !out_) return;
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    // A disk that fills up takes part of the line first; the write after it fails with the reason.
    qint64 done = 0;
    while (done < text.size()) {
        const qint64 n = out_->write(text.constData() + done, text.size() - done);
        if (n <= 0) break;
        done += n;
    }
    ok_ = done == text.size();
    if (auto* file = qobject_cast<QFile*>(out_.get())) ok_ = file->flush() && ok_;
    if (!ok_ && onFailure_) onFailure_(out_->errorString());
}

} // namespace vtl
