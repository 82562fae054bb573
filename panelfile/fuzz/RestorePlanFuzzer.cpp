// Feeds arbitrary records to the restore's record rules as each family and file class would meet
// them, and checks what every plan may and may not do: only complete records are written, always
// with a write command, and the data adaptation never changes a record's size.
#include "link/CommandSet.h"
#include "panelfile/BlockCatalogue.h"
#include "panelfile/RestoreRules.h"

#include <QByteArray>

#include <cstdlib>

namespace {

using namespace vtl;

void check(bool condition) {
    if (!condition) std::abort();
}

// The first two bytes choose the reader and the connected controller.
RestoreContext contextFrom(std::uint8_t a, std::uint8_t b) {
    static constexpr PanelFamily families[] = {PanelFamily::Lan, PanelFamily::Main,
                                               PanelFamily::Sub};
    static constexpr std::uint16_t subBases[] = {FamilyBase::Sub3000, FamilyBase::Sub4000,
                                                 FamilyBase::Sub5000, FamilyBase::Sub6000,
                                                 FamilyBase::Sub7000};
    RestoreContext context;
    context.family = families[a % 3];
    context.fileClass = static_cast<FileClass>((a / 3) % 11);
    context.mainFile = b & 1;
    context.isBrinlet = b & 2;
    context.isCode602 = b & 4;
    context.subBase = subBases[(b >> 3) % 5];
    return context;
}

void checkPlan(const RestoreContext& context, const BlockRecordHeader& header,
               const QByteArray& data, bool sendable, const RecordPlan& plan) {
    if (plan.action == RecordAction::Unknown) {
        check(!unknownRecordMessage(context.family).isEmpty());
        return;
    }
    if (plan.action != RecordAction::Send) return;
    check(sendable);
    check(data.size() <= qsizetype(MaxSendableRecordLength));
    check(commands::isWrite(plan.write.command));
    check(!plan.status.isEmpty());
    check(catalogueEntryOf(context.family, header).has_value());
    if (context.family != PanelFamily::Sub) {
        check(!data.isEmpty()); // blank records are left out
        if (plan.write.command != 150)
            check(plan.write.command == header.command + commands::WriteOffset);
    } else if (header.command < 50) {
        check(plan.write.command == header.command + commands::WriteOffset);
    } else {
        check(plan.write.command == 150 && plan.write.table == header.command - 50);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) return 0;
    const RestoreContext context = contextFrom(bytes[0], bytes[1]);
    std::size_t at = 2;
    // Then records: command, point, table, a flags byte, one length byte (times 8), data.
    while (size - at >= 5) {
        const BlockRecordHeader header{bytes[at], bytes[at + 1], bytes[at + 2],
                                       std::uint16_t(bytes[at + 4] * 8)};
        const bool sendable = !(bytes[at + 3] & 1);
        at += 5;
        const std::size_t length = std::min<std::size_t>(header.length, size - at);
        QByteArray data(reinterpret_cast<const char*>(bytes + at), qsizetype(length));
        at += length;

        const qsizetype before = data.size();
        adaptRecordData(context, header, data);
        check(data.size() == before);
        const RecordPlan plan = planRecord(context, header, data, sendable);
        checkPlan(context, header, data, sendable, plan);
        check(!recordName(context.family, header).isEmpty());
    }
    return 0;
}
