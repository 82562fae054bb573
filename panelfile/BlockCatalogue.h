#pragma once

#include "link/ConnectionState.h"
#include "panelfile/FamilyCode.h"

#include <QLatin1String>
#include <array>
#include <cstdint>
#include <optional>

namespace vtl {

// The model columns of the block counts.
enum class CatalogueColumn {
    Main,
    Lan490,
    Lan600,
    Lan602,
    Sub3000,
    Sub4000,
    Sub5000,
    Sub6000,
    Sub7000
};
inline constexpr int CatalogueColumnCount = 9;

// Markers: catalogue entries the sub panel backup reads in its own way; never a record's command.
namespace CatalogueMarker {
inline constexpr int SubPanelDescriptors = -1;
inline constexpr int SubPanelExtendedDescriptors = -2;
inline constexpr int CustomUnits = -3;
} // namespace CatalogueMarker

// Catalogue entries that backup, restore and comparison each treat in their own way.
inline constexpr std::uint8_t EthernetCommand = 71;
inline constexpr std::uint8_t SubPanelTypeCommand = 55;
inline constexpr std::uint8_t InterProtocolCommand = 212;

struct CatalogueEntry {
    QLatin1String name;
    int command = 0; // read command of the block, or a negative marker
    std::array<std::uint8_t, CatalogueColumnCount> counts{};

    int count(CatalogueColumn column) const { return counts[static_cast<std::size_t>(column)]; }
};

// The 32 kinds of memory block a backup reads, in the order it reads them, with the number of
// blocks of each kind per model.
class BlockCatalogue {
public:
    static constexpr int Size = 32;

    explicit BlockCatalogue(const std::array<CatalogueEntry, Size>& entries) : entries_(entries) {}

    const CatalogueEntry& entry(int index) const {
        return entries_[static_cast<std::size_t>(index)];
    }
    int count(int index, CatalogueColumn column) const { return entry(index).count(column); }
    // The entry a record belongs to, by its command; markers and non-positive commands match none.
    std::optional<int> findByCommand(int command) const;
    // Blocks a backup of this model reads.
    int totalBlocks(CatalogueColumn column) const;

    const std::array<CatalogueEntry, Size>& entries() const { return entries_; }

private:
    std::array<CatalogueEntry, Size> entries_;
};

const BlockCatalogue& catalogueFor(PanelFamily family);
// The column of the connected controller: LAN by IsCode602 / IsBrinlet, sub by its family base.
CatalogueColumn catalogueColumn(PanelFamily family, const ConnectionState& state);
CatalogueColumn subCatalogueColumn(std::uint16_t subFamilyBase);

} // namespace vtl
