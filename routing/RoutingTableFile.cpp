#include "routing/RoutingTableFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vtl::RoutingTableFile {

namespace {

bool hasMark(const QByteArray& bytes) {
    return bytes.size() >= 2 && std::uint8_t(bytes[0]) == Mark0 && std::uint8_t(bytes[1]) == Mark1;
}

std::size_t fileSize(RoutingMode mode) {
    return mode == RoutingMode::Lan ? LanFileSize : MainFileSize;
}

ReadResult refused(const char* refusal, QString reason) {
    ReadResult result;
    result.refusal = QLatin1String(refusal);
    result.reason = std::move(reason);
    return result;
}

QString sizeReason(qint64 size) {
    return QStringLiteral("the file holds %1 bytes; a routing table file holds 2502 bytes that "
                          "begin 90, 20 (RZQ-410) or 2500 bytes (RZQ-320)")
        .arg(size);
}

QString systemReason(const QFileDevice& file) {
    const QString why = file.errorString();
    return why.isEmpty() ? QStringLiteral("unknown error") : why;
}

} // namespace

std::vector<std::uint8_t> fileBytes(RoutingMode mode, const std::vector<std::uint8_t>& block) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(fileSize(mode));
    if (mode == RoutingMode::Lan) bytes = {Mark0, Mark1};
    bytes.insert(bytes.end(), block.begin(), block.end());
    // The filler carries no meaning; zeros.
    bytes.resize(fileSize(mode), 0);
    return bytes;
}

bool gatewayLooksLikeMark(RoutingMode mode, const std::vector<std::uint8_t>& block) {
    return mode == RoutingMode::MainPanel && block.size() >= 2 && block[0] == Mark0 &&
           block[1] == Mark1;
}

std::optional<QString> writeWhole(QSaveFile& file, const QByteArray& bytes) {
    // QSaveFile would put a regular file in the place of a device or a pipe.
    const QFileInfo target(file.fileName());
    if (target.exists() && !target.isFile()) return QStringLiteral("not a regular file");
    // Unbuffered, so that a full disk fails the write itself: commit() does not notice a buffer
    // that failed to reach the disk as the file was closed, and would put the short file in place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return systemReason(file);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = systemReason(file);
        file.cancelWriting();
        return why;
    }
    if (!file.commit()) return systemReason(file);
    return std::nullopt;
}

std::optional<QString> save(QSaveFile& file, RoutingMode mode,
                            const std::vector<std::uint8_t>& block) {
    const auto bytes = fileBytes(mode, block);
    return writeWhole(
        file, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
}

ReadResult decode(const QByteArray& bytes) {
    const bool marked = hasMark(bytes);
    ReadResult result;
    qsizetype start = 0;
    if (marked && std::size_t(bytes.size()) == LanFileSize) {
        result.mode = RoutingMode::Lan;
        start = 2;
    } else if (std::size_t(bytes.size()) == MainFileSize) {
        result.mode = RoutingMode::MainPanel;
        result.markedGateway = marked;
    } else {
        return refused(ReadError, sizeReason(bytes.size()));
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + start;
    result.block.assign(data, data + routing::blockSize(result.mode));
    return result;
}

ReadResult read(const QString& path) {
    // A device or a pipe has no size to check, and may never end (or open).
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refused(ReadError, QStringLiteral("not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return refused(ReadError, systemReason(file));
    const qint64 size = file.size();
    if (size != qint64(LanFileSize) && size != qint64(MainFileSize))
        return refused(ReadError, sizeReason(size));
    const QByteArray bytes = file.read(size);
    if (bytes.size() != size) return refused(ReadError, systemReason(file));
    return decode(bytes);
}

ReadResult forMode(ReadResult file, RoutingMode mode) {
    if (!file.ok()) return file;
    if (mode == RoutingMode::Lan && file.mode != RoutingMode::Lan)
        return refused(NotForLan, QStringLiteral("the file holds a RZQ-320 table"));
    if (mode == RoutingMode::MainPanel && file.mode != RoutingMode::MainPanel)
        return refused(NotForMain, QStringLiteral("the file holds a RZQ-410 table"));
    // Such a file cannot be told from a LAN file by its first bytes, and the window takes it for
    // one.
    if (file.markedGateway)
        return refused(NotForMain,
                       QStringLiteral("its GW address begins 90.20, the mark of a RZQ-410 file"));
    return file;
}

} // namespace vtl::RoutingTableFile
