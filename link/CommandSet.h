#pragma once

#include <array>
#include <cstdint>

// The controller records this program reads and writes, by what they mean. A read command below
// 100 is answered with a reply frame carrying command + 100; the write of the same record uses the
// read's command + 100 and is answered with 0x01.
namespace vtl::commands {

inline constexpr std::uint8_t WriteOffset = 100;
inline constexpr std::uint8_t ReplyOffset = 100;

// Destination addresses.
inline constexpr std::uint8_t DirectPanel = 127;     // the controller at the end of the cable (LAN)
inline constexpr std::uint8_t SubLanBroadcast = 254; // the Sub LAN controller, address unknown
inline constexpr std::uint8_t LocalNetwork = 0;      // the network byte of every request
inline constexpr std::uint8_t OwnStation = 0;        // the program's own Sub LAN station

constexpr bool isWrite(std::uint8_t command) {
    return command >= WriteOffset;
}
constexpr std::uint8_t writeOf(std::uint8_t readCommand) {
    return std::uint8_t(readCommand + WriteOffset);
}
constexpr std::uint8_t replyOf(std::uint8_t readCommand) {
    return std::uint8_t(readCommand + ReplyOffset);
}

struct RecordAddress {
    std::uint8_t command = 0;
    std::uint8_t point = 0;
    std::uint8_t table = 0;
    friend constexpr bool operator==(RecordAddress, RecordAddress) = default;
};

constexpr RecordAddress writeOf(RecordAddress read) {
    return {writeOf(read.command), read.point, read.table};
}

// Reply: the first two bytes are PanelTypeCode, low byte first.
inline constexpr RecordAddress TypeCodeRead{42, 18, 2};
inline constexpr std::uint32_t TypeCodeSize = 2;
// Reply byte 3 is the address, byte 4 the line speed code and flags. The write carries the new
// address as its point and the settings byte as its table: see identificationWrite().
inline constexpr RecordAddress Identification{26, 0, 0};
inline constexpr std::uint8_t IdentificationAlternate = 76; // its reply has the same meaning
constexpr RecordAddress identificationWrite(std::uint8_t newAddress, std::uint8_t settings) {
    return {writeOf(Identification.command), newAddress, settings};
}
// Sub panel: reply byte 4 carries the status flags. LAN controller: a 96-byte settings block.
inline constexpr RecordAddress Status{38, 0, 0};
inline constexpr std::uint32_t LanControllerSettingsSize = 96;
inline constexpr std::uint32_t SubPanelStatusWriteSize = 1;
inline constexpr RecordAddress MainPanelSettings{38, 49, 0};
inline constexpr std::uint32_t MainPanelSettingsSize = 18;
inline constexpr RecordAddress ModemString{38, 31, 252};
inline constexpr std::uint32_t ModemStringSize = 32;
inline constexpr RecordAddress RoutingTable{50, 0, 21};
inline constexpr RecordAddress BacnetSettings{50, 0, 22};
inline constexpr std::uint32_t BacnetSettingsMinSize = 164;
inline constexpr RecordAddress ModbusSettings{50, 0, 110};
inline constexpr std::uint32_t ModbusSettingsSize = 4;
inline constexpr RecordAddress CompatibilityFlag{50, 0, 104};
inline constexpr std::uint32_t CompatibilityFlagSize = 1;
inline constexpr std::uint8_t InterProtocolSetupTable = 162;
constexpr RecordAddress InterProtocolSetup(std::uint8_t index) {
    return {50, index, InterProtocolSetupTable};
}
// The sub panel descriptors travel in two parts; the custom units in one.
inline constexpr RecordAddress SubPanelDescriptors{24, 82, 121};
inline constexpr RecordAddress SubPanelDescriptorsTail{24, 60, 125};
inline constexpr RecordAddress CustomUnits{24, 249, 120};
// One block of a memory catalogue entry, for backup (read) and restore (writeOf).
constexpr RecordAddress MemoryBlock(std::uint8_t readCommand, std::uint8_t index) {
    return {readCommand, index, 0};
}
// A write with no data and no read of its own.
inline constexpr RecordAddress ClearMemory{128, 0, 0};

// A read reply that stands for "no data" on a Sub LAN, and the bytes it stands for.
inline constexpr std::uint8_t NoDataReply = 116;
inline constexpr std::array<std::uint8_t, 7> NoDataReplyBytes{0, 0, 0, 0, 3, 0, 255};

// Sub LAN bus frames.
inline constexpr std::uint8_t PollCommand = 31;
inline constexpr std::uint8_t PollCommandAlternate = 32;
inline constexpr std::uint8_t ReleaseCommand = 39;
inline constexpr std::uint8_t PollAnswer = 0x01; // sent twice

// Acknowledgements.
inline constexpr std::uint8_t WriteAcknowledged = 0x01;
inline constexpr std::uint8_t DataAcknowledged = 0x06;
inline constexpr std::uint8_t Refused = 0x15;

} // namespace vtl::commands
