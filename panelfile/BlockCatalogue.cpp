#include "panelfile/BlockCatalogue.h"

namespace vtl {
namespace {

using Counts = std::array<std::uint8_t, CatalogueColumnCount>;

// Columns: Main, LAN 490-499, LAN 600-601, LAN 602-699, Sub 3000, 4000, 5000, 6000, 7000.
std::array<CatalogueEntry, BlockCatalogue::Size> makeEntries(QLatin1String controllersName) {
    using L = QLatin1String;
    return {{
        {L("Kestrom Configuration"), 154, Counts{0, 0, 0, 0, 0, 1, 0, 0, 1}},
        {L("Outputs"), 1, Counts{4, 4, 1, 1, 1, 1, 1, 1, 2}},
        {L("Inputs"), 2, Counts{4, 4, 1, 1, 1, 1, 1, 1, 2}},
        {L("Variables"), 3, Counts{7, 7, 3, 7, 4, 8, 4, 4, 16}},
        {controllersName, 4, Counts{2, 2, 1, 1, 4, 4, 2, 2, 8}},
        {L("Weekly Schedules"), 5, Counts{2, 2, 1, 1, 1, 1, 1, 1, 2}},
        {L("Annual Schedules"), 6, Counts{1, 1, 1, 1, 1, 1, 0, 0, 2}},
        {L("Programs"), 7, Counts{4, 4, 1, 1, 1, 1, 1, 1, 2}},
        {L("Tables"), 8, Counts{1, 1, 1, 1, 1, 1, 1, 1, 2}},
        {L("Runtime Logs"), 9, Counts{4, 4, 1, 1, 2, 2, 1, 1, 3}},
        {L("Trend Logs"), 10, Counts{3, 3, 1, 1, 4, 4, 2, 2, 6}},
        {L("System Groups"), 11, Counts{4, 4, 1, 1, 0, 0, 0, 0, 0}},
        {L("System Status"), 12, Counts{4, 1, 1, 1, 0, 0, 0, 0, 0}},
        {L("Passwords"), 14, Counts{4, 8, 8, 8, 1, 2, 1, 2, 2}},
        {L("System Name"), 45, Counts{1, 1, 1, 1, 0, 0, 0, 0, 0}},
        {L("System Name"), 15, Counts{0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {L("Sub Panel Name"), 57, Counts{0, 0, 0, 0, 1, 1, 1, 1, 1}},
        {L("Sub Panel Type"), 55, Counts{0, 0, 0, 0, 1, 1, 1, 1, 1}},
        {L("Sub Panel Descriptors"), CatalogueMarker::SubPanelDescriptors,
         Counts{0, 0, 0, 0, 1, 1, 1, 1, 1}},
        {L("Sub Panel Extended Descriptors"), CatalogueMarker::SubPanelExtendedDescriptors,
         Counts{0, 0, 0, 0, 0, 1, 0, 0, 1}},
        {L("Program Code"), 16, Counts{128, 128, 10, 10, 5, 5, 5, 5, 10}},
        {L("Weekly Schedule Times"), 17, Counts{32, 32, 8, 8, 4, 4, 1, 1, 8}},
        {L("Annual Schedule Dates"), 18, Counts{8, 16, 4, 4, 2, 2, 0, 0, 4}},
        {L("System Group Data"), 19, Counts{64, 64, 16, 16, 4, 4, 2, 2, 8}},
        {L("Monitor Setup"), 40, Counts{1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {L("Custom Units"), 27, Counts{1, 1, 1, 1, 0, 0, 0, 0, 0}},
        {L("Custom Units"), CatalogueMarker::CustomUnits, Counts{0, 0, 0, 0, 1, 1, 1, 1, 1}},
        {L("Arrays"), 48, Counts{1, 1, 1, 1, 0, 0, 0, 0, 0}},
        {L("Array Data"), 49, Counts{48, 48, 8, 8, 0, 0, 0, 0, 0}},
        {L("Net Sensor"), 73, Counts{0, 0, 0, 0, 0, 1, 1, 1, 1}},
        {L("Ethernet"), 71, Counts{1, 1, 1, 1, 0, 0, 0, 0, 0}},
        {L("InterProtocol Setup"), 212, Counts{0, 0, 0, 4, 0, 0, 0, 0, 0}},
    }};
}

} // namespace

std::optional<int> BlockCatalogue::findByCommand(int command) const {
    if (command <= 0) return std::nullopt;
    for (int i = 0; i < Size; ++i)
        if (entry(i).command == command) return i;
    return std::nullopt;
}

int BlockCatalogue::totalBlocks(CatalogueColumn column) const {
    int total = 0;
    for (const auto& e : entries_)
        total += e.count(column);
    return total;
}

const BlockCatalogue& catalogueFor(PanelFamily family) {
    static const BlockCatalogue lan(makeEntries(QLatin1String("Controllers")));
    static const BlockCatalogue main(makeEntries(QLatin1String("Controllers")));
    static const BlockCatalogue sub(makeEntries(QLatin1String("PID Controllers")));
    switch (family) {
    case PanelFamily::Lan:
        return lan;
    case PanelFamily::Main:
        return main;
    case PanelFamily::Sub:
        return sub;
    }
    return main;
}

CatalogueColumn subCatalogueColumn(std::uint16_t subFamilyBase) {
    switch (subFamilyBase) {
    case FamilyBase::Sub4000:
        return CatalogueColumn::Sub4000;
    case FamilyBase::Sub5000:
        return CatalogueColumn::Sub5000;
    case FamilyBase::Sub6000:
        return CatalogueColumn::Sub6000;
    case FamilyBase::Sub7000:
        return CatalogueColumn::Sub7000;
    default:
        return CatalogueColumn::Sub3000;
    }
}

CatalogueColumn catalogueColumn(PanelFamily family, const ConnectionState& state) {
    switch (family) {
    case PanelFamily::Lan:
        if (state.IsCode602) return CatalogueColumn::Lan602;
        if (state.IsBrinlet) return CatalogueColumn::Lan600;
        return CatalogueColumn::Lan490;
    case PanelFamily::Main:
        return CatalogueColumn::Main;
    case PanelFamily::Sub:
        return subCatalogueColumn(subFamilyBase(state));
    }
    return CatalogueColumn::Main;
}

} // namespace vtl
