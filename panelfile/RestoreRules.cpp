#include "panelfile/RestoreRules.h"

#include "panelfile/BlockCatalogue.h"

#include <algorithm>
#include <optional>

namespace vtl {
namespace {

namespace cmd = commands;

constexpr std::uint8_t GraphicFileCommand = 100;
constexpr std::uint8_t VariablesCommand = 3;
constexpr std::uint8_t SystemStatusCommand = 12;
constexpr std::uint8_t ProgramCodeCommand = 16;
constexpr std::uint8_t ArrayDataCommand = 49;
// Program code shorter than this holds no program.
constexpr qsizetype MinProgramCodeLength = 8;
// Written through the command that reads the settings tables (command 50), the table telling which.
constexpr std::uint8_t TableWriteCommand = 150;
constexpr std::uint8_t TableWriteFrom = 50;
constexpr std::uint8_t LowestSubPanelType = 128;
constexpr std::uint8_t HighestSubPanelType = 253;

constexpr cmd::RecordAddress EthernetWrite = cmd::writeOf(cmd::RoutingTable);

QString sendingText(QLatin1String name, int block) {
    return QStringLiteral("Sending %1 Block %2").arg(name).arg(block);
}

QString blankText(QLatin1String name, int block) {
    return QStringLiteral("NOT Sending Blank %1 Block %2").arg(name).arg(block);
}

bool allBytesAre(QByteArrayView data, char value) {
    return std::all_of(data.begin(), data.end(), [value](char c) { return c == value; });
}

// A plain record write: the read command + 100. A command above 155 has no write of its own (the
// sum would wrap into the reads), so such a record is not one a restore can send.
std::optional<cmd::RecordAddress> plainWrite(int command, const BlockRecordHeader& header) {
    if (command + cmd::WriteOffset > 255) return std::nullopt;
    return cmd::RecordAddress{std::uint8_t(command + cmd::WriteOffset), header.point, header.table};
}

RecordPlan planMainRecord(const BlockRecordHeader& header, QByteArrayView data, bool sendable) {
    RecordPlan plan;
    const BlockCatalogue& catalogue = catalogueFor(PanelFamily::Main);
    const std::optional<int> entry = catalogue.findByCommand(header.command);
    const std::optional<cmd::RecordAddress> write = plainWrite(header.command, header);
    if (!entry || !write) {
        plan.action = RecordAction::Unknown;
        return plan;
    }
    plan.askEthernet = header.command == EthernetCommand;

    qsizetype length = sendable ? data.size() : 0;
    if (header.command == ProgramCodeCommand && length < MinProgramCodeLength) length = 0;

    const QLatin1String name = catalogue.entry(*entry).name;
    const int block = header.point + 1;
    if (length == 0) {
        plan.status = blankText(name, block);
        return plan;
    }
    plan.action = RecordAction::Send;
    plan.status = sendingText(name, block);
    plan.write = plan.askEthernet ? EthernetWrite : *write;
    return plan;
}

bool lanBlank(int command, const BlockRecordHeader& header, QByteArrayView data, bool sendable) {
    if (!sendable || data.isEmpty()) return true;
    if (allBytesAre(data, '\0') || allBytesAre(data, '\xff')) return true;
    if (command == SystemStatusCommand && header.point > 0) return true;
    return command == ProgramCodeCommand && data.size() < MinProgramCodeLength;
}

RecordPlan planLanRecord(const RestoreContext& context, const BlockRecordHeader& header,
                         QByteArrayView data, bool sendable) {
    RecordPlan plan;
    // InterProtocol Setup blocks are kept under the command and table they were read with.
    int command = header.command;
    if (command + header.table == InterProtocolCommand) command = InterProtocolCommand;

    const BlockCatalogue& catalogue = catalogueFor(PanelFamily::Lan);
    const std::optional<int> entry = catalogue.findByCommand(command);

    if (command == EthernetCommand) {
        // A main panel's network settings would cut the LAN controller off its network.
        if (context.mainFile) return plan;
        plan.askEthernet = true;
    }
    if (command == GraphicFileCommand) {
        plan.status = QStringLiteral("NOT Sending Graphic File %1").arg(header.point + 1);
        return plan;
    }

    std::optional<cmd::RecordAddress> write = plainWrite(command, header);
    if (command == InterProtocolCommand) {
        if (!context.isCode602) return plan;
        write = cmd::writeOf(cmd::InterProtocolSetup(header.point));
    }
    if (context.isBrinlet && !context.isCode602 && command == VariablesCommand && header.point > 2)
        return plan;

    if (!entry || !write) {
        plan.action = RecordAction::Unknown;
        return plan;
    }

    const QLatin1String name = catalogue.entry(*entry).name;
    const int block = header.point + 1;
    const bool blank = lanBlank(command, header, data, sendable);
    plan.status = blank ? blankText(name, block) : sendingText(name, block);
    // The 600-601 models keep only eight Array Data blocks.
    if (context.fileClass == FileClass::Lan600 && command == ArrayDataCommand && header.point > 7)
        return plan;
    if (blank) return plan;

    plan.action = RecordAction::Send;
    plan.write = plan.askEthernet ? EthernetWrite : *write;
    return plan;
}

} // namespace

std::optional<int> subEntryFor(const BlockRecordHeader& header) {
    const cmd::RecordAddress address{header.command, header.point, header.table};
    if (address == cmd::SubPanelDescriptors || address == cmd::SubPanelDescriptorsTail) return 18;
    if (address == cmd::CustomUnits) return 26;
    if (header.command == 170 || header.command == 177) return 19;
    return catalogueFor(PanelFamily::Sub).findByCommand(header.command);
}

std::optional<int> catalogueEntryOf(PanelFamily family, const BlockRecordHeader& header) {
    switch (family) {
    case PanelFamily::Sub:
        return subEntryFor(header);
    case PanelFamily::Lan:
        if (header.command + header.table == InterProtocolCommand)
            return catalogueFor(family).findByCommand(InterProtocolCommand);
        break;
    case PanelFamily::Main:
        break;
    }
    return catalogueFor(family).findByCommand(header.command);
}

namespace {

RecordPlan planSubRecord(const RestoreContext& context, const BlockRecordHeader& header,
                         bool sendable) {
    RecordPlan plan;
    const std::optional<int> entry = subEntryFor(header);
    if (!entry) {
        plan.action = RecordAction::Unknown;
        return plan;
    }
    plan.pauseAfter = header.command == ProgramCodeCommand && header.point == 4 &&
                      context.subBase == FamilyBase::Sub5000;
    if (!sendable) return plan;

    const CatalogueEntry& e = catalogueFor(PanelFamily::Sub).entry(*entry);
    const bool single = e.command < 0 || e.command == SubPanelTypeCommand;
    plan.status = sendingText(e.name, single ? 1 : header.point + 1);

    std::uint8_t point = header.point;
    if (header.command == SubPanelTypeCommand &&
        (point < LowestSubPanelType || point > HighestSubPanelType))
        point = HighestSubPanelType;
    plan.write = header.command < TableWriteFrom
                     ? cmd::RecordAddress{cmd::writeOf(header.command), point, header.table}
                     : cmd::RecordAddress{TableWriteCommand, point,
                                          std::uint8_t(header.command - TableWriteFrom)};
    plan.action = RecordAction::Send;
    return plan;
}

} // namespace

Acceptance acceptFile(PanelFamily reader, FileClass fileClass, std::uint16_t connectedSubBase) {
    switch (fileClass) {
    case FileClass::MainPanel:
        if (reader == PanelFamily::Main) return Acceptance::Accepted;
        return reader == PanelFamily::Lan ? Acceptance::AskMainOnLan : Acceptance::Refused;
    case FileClass::Lan490:
        return reader == PanelFamily::Lan ? Acceptance::Accepted : Acceptance::Refused;
    case FileClass::Sub3000:
    case FileClass::Sub4000:
    case FileClass::Sub5000:
    case FileClass::Sub6000:
    case FileClass::Sub7000: {
        if (reader != PanelFamily::Sub) return Acceptance::Refused;
        static constexpr std::uint16_t bases[] = {FamilyBase::Sub3000, FamilyBase::Sub4000,
                                                  FamilyBase::Sub5000, FamilyBase::Sub6000,
                                                  FamilyBase::Sub7000};
        const auto index = static_cast<int>(fileClass) - static_cast<int>(FileClass::Sub3000);
        const std::uint16_t fileBase = bases[index];
        // The 16X12 panels also take the memory of the 8X8 panels they replace.
        const bool taken =
            fileBase == connectedSubBase ||
            (fileBase == FamilyBase::Sub4000 && connectedSubBase == FamilyBase::Sub7000);
        return taken ? Acceptance::Accepted : Acceptance::Refused;
    }
    case FileClass::NoWriter:
        return Acceptance::Accepted;
    case FileClass::Lan600:
    case FileClass::Lan602:
        return reader == PanelFamily::Sub ? Acceptance::Refused : Acceptance::Accepted;
    case FileClass::Invalid:
        break;
    }
    return Acceptance::Refused;
}

QString wrongAddressMessage(PanelFamily reader, int fileAddress) {
    return (reader == PanelFamily::Sub
                ? QStringLiteral("Panel File Is Only Meant For Sub Panel #%1.")
                : QStringLiteral("Panel File Is Only Meant For Main Panel #%1."))
        .arg(fileAddress);
}

RestoreContext RestoreContext::of(PanelFamily family, FileClass fileClass,
                                  const ConnectionState& state) {
    RestoreContext context;
    context.family = family;
    context.fileClass = fileClass;
    context.isBrinlet = state.IsBrinlet != 0;
    context.isCode602 = state.IsCode602 != 0;
    context.subBase = subFamilyBase(state);
    return context;
}

RecordPlan planRecord(const RestoreContext& context, const BlockRecordHeader& header,
                      QByteArrayView data, bool sendable) {
    switch (context.family) {
    case PanelFamily::Main:
        return planMainRecord(header, data, sendable);
    case PanelFamily::Lan:
        return planLanRecord(context, header, data, sendable);
    case PanelFamily::Sub:
        return planSubRecord(context, header, sendable);
    }
    return {};
}

void adaptRecordData(const RestoreContext& context, const BlockRecordHeader& header,
                     QByteArray& data) {
    if (context.family == PanelFamily::Lan && context.mainFile &&
        header.command == SystemStatusCommand)
        rewriteSystemStatusCodes(data);
}

void rewriteSystemStatusCodes(QByteArray& data) {
    constexpr qsizetype EntrySize = 26;
    constexpr qsizetype Entries = 32;
    constexpr int CodeLimit = 400;
    constexpr std::uint8_t Code490Low = 490 & 0xff;
    // Only whole entries within the data are touched.
    const qsizetype entries = std::min(Entries, data.size() / EntrySize);
    for (qsizetype e = 0; e < entries; ++e) {
        const qsizetype at = e * EntrySize;
        const auto low = static_cast<std::uint8_t>(data[at + 2]);
        const auto high = static_cast<std::uint8_t>(data[at + 3]);
        const int code = low | ((high & 0x07) << 8);
        if (code < CodeLimit) continue;
        data[at + 2] = static_cast<char>(Code490Low);
        data[at + 3] = static_cast<char>((high & ~0x06) | 0x01);
    }
}

QString unknownRecordMessage(PanelFamily family) {
    return family == PanelFamily::Lan ? QStringLiteral("Unknown Command In File.")
                                      : QStringLiteral("Invalid Panel File.");
}

QString recordName(PanelFamily family, const BlockRecordHeader& header) {
    const std::optional<int> entry = catalogueEntryOf(family, header);
    const QString name = entry ? QString(catalogueFor(family).entry(*entry).name)
                               : QStringLiteral("Command %1").arg(header.command);
    return QStringLiteral("%1 Block %2").arg(name).arg(header.point + 1);
}

} // namespace vtl
