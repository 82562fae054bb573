#include "panelfile/FamilyCode.h"

#include <array>

namespace vtl {

std::uint16_t subFamilyBase(const ConnectionState& state) {
    if (state.StatusFlag1) return FamilyBase::Sub7000;
    if (state.StatusFlag6 && state.StatusFlag7) return FamilyBase::Sub6000;
    if (state.StatusFlag7) return FamilyBase::Sub5000;
    if (state.StatusFlag6) return FamilyBase::Sub4000;
    return FamilyBase::Sub3000;
}

std::uint16_t lanFamilyBase(const ConnectionState& state) {
    if (state.IsCode602) return FamilyBase::Lan602;
    if (state.IsBrinlet) return FamilyBase::Lan600;
    return FamilyBase::Lan490;
}

std::uint16_t familyBase(PanelFamily family, const ConnectionState& state) {
    switch (family) {
    case PanelFamily::Lan:
        return lanFamilyBase(state);
    case PanelFamily::Main:
        return FamilyBase::Main;
    case PanelFamily::Sub:
        return subFamilyBase(state);
    }
    return FamilyBase::Main;
}

std::uint16_t familyCode(PanelFamily family, const ConnectionState& state) {
    return static_cast<std::uint16_t>(familyBase(family, state) + state.PanelAddress);
}

FileClass classifyFamilyCode(std::uint16_t code, PanelFamily reader) {
    if (code <= 1000 || code % 1000 == 0) return FileClass::Invalid;
    if (code > 8000) {
        // The main panel reader predates the 600-699 controllers.
        if (reader == PanelFamily::Main) return FileClass::NoWriter;
        if (code > 11000) return FileClass::Lan602;
        if (code > 10000) return FileClass::Lan600;
        return FileClass::NoWriter;
    }
    static constexpr std::array<FileClass, 7> byThousand = {
        FileClass::MainPanel, FileClass::Lan490,  FileClass::Sub3000, FileClass::Sub4000,
        FileClass::Sub5000,   FileClass::Sub6000, FileClass::Sub7000,
    };
    return byThousand[static_cast<std::size_t>((code - 1) / 1000 - 1)];
}

std::optional<PanelFamily> familyOfFileClass(FileClass fileClass) {
    switch (fileClass) {
    case FileClass::MainPanel:
        return PanelFamily::Main;
    case FileClass::Lan490:
    case FileClass::Lan600:
    case FileClass::Lan602:
        return PanelFamily::Lan;
    case FileClass::Sub3000:
    case FileClass::Sub4000:
    case FileClass::Sub5000:
    case FileClass::Sub6000:
    case FileClass::Sub7000:
        return PanelFamily::Sub;
    case FileClass::Invalid:
    case FileClass::NoWriter:
        break;
    }
    return std::nullopt;
}

QString modelName(FileClass fileClass, PanelFamily reader) {
    switch (fileClass) {
    case FileClass::MainPanel:
        return reader == PanelFamily::Sub ? QStringLiteral("RZQ-32X (Plurinet)")
                                          : QStringLiteral("RZQ-310");
    case FileClass::Lan490:
        return QStringLiteral("RZQ-41X");
    case FileClass::Sub3000:
        return QStringLiteral("RZQ-63X (8X8)");
    case FileClass::Sub4000:
        return QStringLiteral("RZQ-68X (8X8)");
    case FileClass::Sub5000:
        return QStringLiteral("RZQ-2XXX. (4X4)");
    case FileClass::Sub6000:
        return QStringLiteral("RZQ-1XXX. (4X4)");
    case FileClass::Sub7000:
        return QStringLiteral("RZQ-69X (16X12)");
    case FileClass::Lan600:
    case FileClass::Lan602:
        return QStringLiteral("RZQ-47X");
    case FileClass::Invalid:
    case FileClass::NoWriter:
        break;
    }
    return {};
}

QString wrongFamilyMessage(FileClass fileClass, PanelFamily reader) {
    const QString model = modelName(fileClass, reader);
    if (model.isEmpty()) return {};
    const bool endsWithPeriod = !model.endsWith(QLatin1String("(4X4)"));
    return QStringLiteral("Panel File Is For ") + model +
           (endsWithPeriod ? QStringLiteral(".") : QString());
}

} // namespace vtl
