#include "routing/RoutingTableFile.h"

#include <QFile>
#include <QSaveFile>

namespace vtl::RoutingTableFile {

namespace {

bool hasMark(const QByteArray& head) {
    return head.size() >= 2 && std::uint8_t(head[0]) == Mark0 && std::uint8_t(head[1]) == Mark1;
}

std::size_t fileSize(RoutingMode mode) {
    return mode == RoutingMode::Lan ? LanFileSize : MainFileSize;
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

bool save(QSaveFile& file, RoutingMode mode, const std::vector<std::uint8_t>& block) {
    const auto bytes = fileBytes(mode, block);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
            qint64(bytes.size()) ||
        !file.commit()) {
        file.cancelWriting();
        return false;
    }
    return true;
}

bool save(const QString& path, RoutingMode mode, const std::vector<std::uint8_t>& block) {
    QSaveFile file(path);
    return save(file, mode, block);
}

ReadResult read(const QString& path, RoutingMode mode) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {{}, QLatin1String(ReadError)};
    const QByteArray bytes = file.read(qint64(fileSize(mode)));
    if (bytes.size() < 2) return {{}, QLatin1String(ReadError)};
    if (mode == RoutingMode::Lan && !hasMark(bytes)) return {{}, QLatin1String(NotForLan)};
    if (mode == RoutingMode::MainPanel && hasMark(bytes)) return {{}, QLatin1String(NotForMain)};
    // Bytes that are not in the file must not be made up; the filler after the block means nothing,
    // so a file that holds the whole block is read (a main panel file marked by its gateway's
    // 90.20 opened in LAN mode is two filler bytes short).
    const qsizetype start = mode == RoutingMode::Lan ? 2 : 0;
    if (std::size_t(bytes.size()) < std::size_t(start) + routing::blockSize(mode))
        return {{}, QLatin1String(ReadError)};

    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + start;
    return {std::vector<std::uint8_t>(data, data + routing::blockSize(mode)), {}};
}

std::optional<RoutingMode> modeOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray head = file.read(2);
    if (head.size() < 2) return std::nullopt;
    return hasMark(head) ? RoutingMode::Lan : RoutingMode::MainPanel;
}

} // namespace vtl::RoutingTableFile
