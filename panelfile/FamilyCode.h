#pragma once

#include "link/ConnectionState.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace vtl {

// The three controller families that back up and restore panel files. A reader of a file is one
// of them too: each classifies family codes a little differently.
enum class PanelFamily { Lan, Main, Sub };

// Family bases; a file's FamilyCode is its base plus the controller's address.
namespace FamilyBase {
inline constexpr std::uint16_t Main = 1000;
inline constexpr std::uint16_t Lan490 = 2000;  // LAN controllers 490-499
inline constexpr std::uint16_t Sub3000 = 3000; // neither StatusFlag6 nor StatusFlag7
inline constexpr std::uint16_t Sub4000 = 4000; // StatusFlag6 only
inline constexpr std::uint16_t Sub5000 = 5000; // StatusFlag7 only
inline constexpr std::uint16_t Sub6000 = 6000; // StatusFlag6 and StatusFlag7
inline constexpr std::uint16_t Sub7000 = 7000; // StatusFlag1, whatever the other two say
inline constexpr std::uint16_t Lan600 = 10000; // IsBrinlet without IsCode602 (600-601)
inline constexpr std::uint16_t Lan602 = 11000; // IsCode602 (602-699)
} // namespace FamilyBase

// Base of a sub panel from the status flags of the most recent exchange.
std::uint16_t subFamilyBase(const ConnectionState& state);
// Base of a LAN controller from IsBrinlet / IsCode602.
std::uint16_t lanFamilyBase(const ConnectionState& state);
std::uint16_t familyBase(PanelFamily family, const ConnectionState& state);
// The code a backup writes: base + PanelAddress.
std::uint16_t familyCode(PanelFamily family, const ConnectionState& state);

// What a reader makes of a file's FamilyCode.
enum class FileClass {
    Invalid,   // 1000 or less, or a multiple of 1000
    MainPanel, // 1001-2000
    Lan490,    // 2001-3000
    Sub3000,   // 3001-4000
    Sub4000,   // 4001-5000
    Sub5000,   // 5001-6000
    Sub6000,   // 6001-7000
    Sub7000,   // 7001-8000
    NoWriter,  // 8001-10000; for the main panel reader every code above 8000
    Lan600,    // 10001-11000, LAN and sub readers only
    Lan602,    // 11001-65535, LAN and sub readers only
};

// The greatest (strict) threshold the code exceeds decides the class.
FileClass classifyFamilyCode(std::uint16_t code, PanelFamily reader);
// The family whose catalogue names a file's records; none for Invalid and NoWriter.
std::optional<PanelFamily> familyOfFileClass(FileClass fileClass);
// The address a file was written for.
inline int fileAddress(std::uint16_t code) {
    return code % 1000;
}

// Model name a reader uses when it refuses a file of this class; empty for Invalid and NoWriter.
// A main panel file is "RZQ-310" except to the sub panel reader, which calls it "RZQ-32X
// (Plurinet)".
QString modelName(FileClass fileClass, PanelFamily reader);
// "Panel File Is For <model>." (the 4X4 models carry no final period).
QString wrongFamilyMessage(FileClass fileClass, PanelFamily reader);

} // namespace vtl
