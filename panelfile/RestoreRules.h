#pragma once

#include "link/CommandSet.h"
#include "link/ConnectionState.h"
#include "panelfile/BlockRecord.h"
#include "panelfile/FamilyCode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace vtl {

// What a restore decides about a file before it sends anything.
enum class Acceptance {
    Accepted,
    Refused,      // wrongFamilyMessage() says why
    AskMainOnLan, // a main panel file on a LAN controller: the user decides
};

// The connected sub panel's family base matters only to the sub reader.
Acceptance acceptFile(PanelFamily reader, FileClass fileClass, std::uint16_t connectedSubBase);

// "Panel File Is Only Meant For Main Panel #%d." or "... Sub Panel #%d."
QString wrongAddressMessage(PanelFamily reader, int fileAddress);

// Everything the record rules look at besides the record itself.
struct RestoreContext {
    PanelFamily family = PanelFamily::Main;
    FileClass fileClass = FileClass::MainPanel;
    bool mainFile = false; // LAN: the user agreed to send a main panel file
    bool isBrinlet = false;
    bool isCode602 = false;
    std::uint16_t subBase = FamilyBase::Sub3000;

    static RestoreContext of(PanelFamily family, FileClass fileClass, const ConnectionState& state);
};

enum class RecordAction {
    Send,    // write it, after showing status
    Skip,    // leave it out; status, when not empty, is shown all the same
    Unknown, // no catalogue entry: the file is refused from here on
};

struct RecordPlan {
    RecordAction action = RecordAction::Skip;
    QString status;
    bool askEthernet = false; // "Send Ethernet Configuration?" first; No leaves it out silently
    commands::RecordAddress write;
    bool pauseAfter = false; // sub 5000 family: 5 s after Program Code block 5
};

// The decision for one record read from the file. `sendable` is false for records that do not fit
// the transfer buffer; `data` is the record's data.
RecordPlan planRecord(const RestoreContext& context, const BlockRecordHeader& header,
                      QByteArrayView data, bool sendable);

// The data changes a record needs before the rules look at it: the System Status codes of a main
// panel file sent to a LAN controller.
void adaptRecordData(const RestoreContext& context, const BlockRecordHeader& header,
                     QByteArray& data);

// A main panel's System Status block on a LAN controller: every model code of 400 or more in the
// 26-byte entries becomes 490, keeping the flag bits that share the code's high byte.
void rewriteSystemStatusCodes(QByteArray& data);

// The catalogue entry a record of a file read by this family belongs to, as the restore finds it.
std::optional<int> subEntryFor(const BlockRecordHeader& header);
std::optional<int> catalogueEntryOf(PanelFamily family, const BlockRecordHeader& header);

// Each family's message for a record with no catalogue entry, and its caption.
QString unknownRecordMessage(PanelFamily family);

// "Inputs Block 2", or "Command 99 Block 1" for a record with no catalogue entry: the record as a
// message about the file names it.
QString recordName(PanelFamily family, const BlockRecordHeader& header);

} // namespace vtl
