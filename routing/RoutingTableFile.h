#pragma once

#include "routing/RoutingTable.h"

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

// The file's bytes for a block of the mode.
std::vector<std::uint8_t> fileBytes(RoutingMode mode, const std::vector<std::uint8_t>& block);

// Writes beside the target and puts the file in place only when it is complete. False when
// anything failed; the target is then as it was.
bool save(QSaveFile& file, RoutingMode mode, const std::vector<std::uint8_t>& block);
bool save(const QString& path, RoutingMode mode, const std::vector<std::uint8_t>& block);

// Reading a file in a mode gives its block, or the message that refuses it (one of ReadError,
// NotForLan, NotForMain). A file shorter than its layout, or one that is not there, cannot be read.
struct ReadResult {
    std::vector<std::uint8_t> block;
    QString refusal;
    bool ok() const { return refusal.isEmpty(); }
};
ReadResult read(const QString& path, RoutingMode mode);

// The mode a file was written in, from its mark; nullopt when it cannot be read.
std::optional<RoutingMode> modeOf(const QString& path);

} // namespace vtl::RoutingTableFile
