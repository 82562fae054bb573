#pragma once

#include "routing/RoutingTable.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QSaveFile;

// A routing table kept on disk (".NET"): the block of the window's mode, after the two mark bytes
// 90, 20 in LAN mode, padded with filler to a fixed length.
namespace vtl::RoutingTableFile {

inline constexpr char Filter[] = "RZQ IP Address Files (*.NET)";
inline constexpr char Pattern[] = "*.NET";
inline constexpr char DefaultSuffix[] = "NET";
inline constexpr int MaxPathLength = 256;

inline constexpr std::uint8_t Mark0 = 90;
inline constexpr std::uint8_t Mark1 = 20;
inline constexpr std::size_t LanFileSize = 2502;
inline constexpr std::size_t MainFileSize = 2500;

inline constexpr char ErrorCaption[] = "Error";
inline constexpr char ReadError[] = "Error In Reading The File.";
inline constexpr char WriteError[] =
    "Error In Writing To The File. File May Be Marked As Read-Only.";
inline constexpr char NotForLan[] = "This File Is Not For A RZQ-410.";
inline constexpr char NotForMain[] = "This File Is Not For A RZQ-320.";
// A main panel table whose gateway row begins 90.20 starts with the LAN mark.
inline constexpr char MarkedGatewayWarning[] =
    "The GW Address Begins 90.20, The Mark Of A RZQ-410 File: The File Is Saved, But File Open "
    "Will Refuse It.";
inline constexpr char WarningCaption[] = "Warning!";

// The file's bytes for a block of the mode.
std::vector<std::uint8_t> fileBytes(RoutingMode mode, const std::vector<std::uint8_t>& block);

// True for a main panel block whose gateway row begins 90.20: its file reads as marked.
bool gatewayLooksLikeMark(RoutingMode mode, const std::vector<std::uint8_t>& block);

// Writes all of `bytes` beside the target and puts the file in place only when every byte reached
// the disk. nullopt when saved; otherwise the reason, and the target is as it was.
std::optional<QString> writeWhole(QSaveFile& file, const QByteArray& bytes);

// nullopt when saved; otherwise the reason, and the target is as it was.
std::optional<QString> save(QSaveFile& file, RoutingMode mode,
                            const std::vector<std::uint8_t>& block);

// What a file holds, told by its mark and its exact size (2502 bytes marked: LAN; 2500 bytes:
// main panel), or the message that refuses it (ReadError, NotForLan, NotForMain) with a reason.
struct ReadResult {
    RoutingMode mode = RoutingMode::Lan;
    std::vector<std::uint8_t> block;
    bool markedGateway = false; // a main panel file that begins with the mark
    QString refusal;
    QString reason;
    bool ok() const { return refusal.isEmpty(); }
};
// The whole file's bytes, in no particular mode.
ReadResult decode(const QByteArray& bytes);
// The file on disk; nothing but a regular file of the right size is read.
ReadResult read(const QString& path);
// The file as the window of `mode` opens it: a file of the other mode is refused.
ReadResult forMode(ReadResult file, RoutingMode mode);
inline ReadResult read(const QString& path, RoutingMode mode) {
    return forMode(read(path), mode);
}

} // namespace vtl::RoutingTableFile
