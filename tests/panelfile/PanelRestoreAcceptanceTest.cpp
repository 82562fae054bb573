#include "tests/panelfile/PanelRig.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

using sim::Model;

const QString ClearQuestion =
    QStringLiteral("[Confirmation] Clear Controller Before Sending Panel File?");

struct AcceptanceRow {
    PanelFamily reader;
    Model connected;
    std::uint16_t familyCode; // every file is for address 5, the controller's own
    const char* refusal;      // nullptr: accepted
};

std::ostream& operator<<(std::ostream& os, const AcceptanceRow& row) {
    return os << "reader " << int(row.reader) << " model " << int(row.connected) << " code "
              << row.familyCode;
}

// The file carries one plain Outputs record, so an accepted file shows in the controller.
class AcceptanceTable : public ::testing::TestWithParam<AcceptanceRow> {};

TEST_P(AcceptanceTable, AcceptsOrRefusesByFileClass) {
    const AcceptanceRow& row = GetParam();
    RestoreRig rig(row.connected);
    const QString path = writePanelFile(rig.dir, row.familyCode, 0, {{1, 0, 0, content(40)}});

    const RestoreOutcome outcome = rig.restore(row.reader, path);

    if (row.refusal) {
        EXPECT_EQ(outcome, RestoreOutcome::WrongFamily);
        ASSERT_EQ(rig.messages(), QStringList{QStringLiteral("[VTL] ") + row.refusal});
        EXPECT_EQ(rig.ui.messages[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(rig.ui.messages[0].icon, MessageIcon::None);
        EXPECT_TRUE(rig.requests().isEmpty());
        EXPECT_TRUE(rig.ui.statuses.isEmpty());
        return;
    }
    EXPECT_EQ(outcome, RestoreOutcome::Finished);
    const QStringList expected =
        row.reader == PanelFamily::Sub ? QStringList{} : QStringList{ClearQuestion};
    EXPECT_EQ(rig.messages(), expected);
    EXPECT_EQ(rig.requests(), QStringList{QStringLiteral("101/0/0:40")});
    EXPECT_EQ(rig.ui.statuses.last(), Finished);
}

constexpr const char* Rzq41 = "Panel File Is For RZQ-41X.";
constexpr const char* Rzq63 = "Panel File Is For RZQ-63X (8X8).";
constexpr const char* Rzq68 = "Panel File Is For RZQ-68X (8X8).";
constexpr const char* Rzq2x = "Panel File Is For RZQ-2XXX. (4X4)";
constexpr const char* Rzq1x = "Panel File Is For RZQ-1XXX. (4X4)";
constexpr const char* Rzq69 = "Panel File Is For RZQ-69X (16X12).";
constexpr const char* Rzq47 = "Panel File Is For RZQ-47X.";
constexpr const char* Rzq32 = "Panel File Is For RZQ-32X (Plurinet).";

// Each row: the model connected, the file's family code, the refusal (nullptr: accepted).
AcceptanceRow main(Model m, std::uint16_t code, const char* refusal) {
    return {PanelFamily::Main, m, code, refusal};
}
AcceptanceRow lan(Model m, std::uint16_t code, const char* refusal) {
    return {PanelFamily::Lan, m, code, refusal};
}
AcceptanceRow sub(Model m, std::uint16_t code, const char* refusal) {
    return {PanelFamily::Sub, m, code, refusal};
}
constexpr Model M = Model::Main, L490 = Model::Lan490, S3 = Model::Sub3000, S4 = Model::Sub4000,
                S5 = Model::Sub5000, S6 = Model::Sub6000, S7 = Model::Sub7000;

INSTANTIATE_TEST_SUITE_P(MainPanel, AcceptanceTable,
                         ::testing::Values(main(M, 1005, nullptr), main(M, 2005, Rzq41),
                                           main(M, 3005, Rzq63), main(M, 4005, Rzq68),
                                           main(M, 5005, Rzq2x), main(M, 6005, Rzq1x),
                                           main(M, 7005, Rzq69), main(M, 8005, nullptr),
                                           main(M, 10005, nullptr), main(M, 11005, nullptr),
                                           main(M, 65005, nullptr)));

INSTANTIATE_TEST_SUITE_P(LanController, AcceptanceTable,
                         ::testing::Values(lan(L490, 2005, nullptr), lan(L490, 3005, Rzq63),
                                           lan(L490, 4005, Rzq68), lan(L490, 5005, Rzq2x),
                                           lan(L490, 6005, Rzq1x), lan(L490, 7005, Rzq69),
                                           lan(L490, 9005, nullptr),
                                           lan(Model::Lan602, 10005, nullptr),
                                           lan(Model::Lan600, 11005, nullptr)));

// Each sub panel family takes its own files, the 7000 family also those of the 4000 family (not
// the reverse), and no other family's.
INSTANTIATE_TEST_SUITE_P(
    SubPanel, AcceptanceTable,
    ::testing::Values(sub(S4, 1005, Rzq32), sub(S4, 2005, Rzq41), sub(S4, 8005, nullptr),
                      sub(S4, 10005, Rzq47), sub(S4, 11005, Rzq47), sub(S3, 3005, nullptr),
                      sub(S4, 4005, nullptr), sub(S5, 5005, nullptr), sub(S6, 6005, nullptr),
                      sub(S7, 7005, nullptr), sub(S7, 4005, nullptr), sub(S4, 7005, Rzq69),
                      sub(S4, 3005, Rzq63), sub(S3, 4005, Rzq68), sub(S6, 5005, Rzq2x),
                      sub(S5, 6005, Rzq1x), sub(S7, 3005, Rzq63), sub(S7, 5005, Rzq2x),
                      sub(S7, 6005, Rzq1x)));

// No closes the file without a word; Yes goes on to the clear question.
TEST(PanelRestoreMainFileOnLan, AsksToSendAnyway) {
    const QString question =
        QStringLiteral("Panel File Is For RZQ-310.\nWould You Like To Send Anyway?");
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        RestoreRig rig(Model::Lan490);
        const QString path = writePanelFile(rig.dir, 1005, 0, {{1, 0, 0, content(40)}});
        rig.answer(answer);
        const bool yes = answer == MessageAnswer::Yes;

        EXPECT_EQ(rig.restore(PanelFamily::Lan, path),
                  yes ? RestoreOutcome::Finished : RestoreOutcome::WrongFamily);

        const QStringList asked{"[VTL] " + question};
        EXPECT_EQ(rig.messages(), yes ? asked + QStringList{ClearQuestion} : asked);
        EXPECT_EQ(rig.ui.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(rig.ui.messages[0].icon, MessageIcon::Question);
        EXPECT_EQ(rig.requests(), yes ? QStringList{"101/0/0:40"} : QStringList{});
        EXPECT_EQ(rig.ui.statuses.isEmpty(), !yes);
    }
}

struct AddressRow {
    PanelFamily reader;
    Model connected;
    std::uint16_t familyCode; // for address 7; the controller is at 5
    const char* refusal;
    MessageIcon icon;
};

std::ostream& operator<<(std::ostream& os, const AddressRow& row) {
    return os << "reader " << int(row.reader) << " code " << row.familyCode;
}

// A main panel file on a LAN controller: the address check comes after "send anyway".
bool asksToSendAnyway(const AddressRow& row) {
    return row.reader == PanelFamily::Lan && row.familyCode <= 2000;
}

class AddressCheck : public ::testing::TestWithParam<AddressRow> {};

TEST_P(AddressCheck, OnlyItsOwnAddressUnlessAnyAddress) {
    const AddressRow& row = GetParam();
    for (const std::uint8_t anyAddress : {0, 1}) {
        RestoreRig rig(row.connected);
        const QString path =
            writePanelFile(rig.dir, row.familyCode, anyAddress, {{1, 0, 0, content(9)}});
        if (asksToSendAnyway(row)) rig.answer(MessageAnswer::Yes);

        const RestoreOutcome outcome = rig.restore(row.reader, path);
        if (anyAddress) {
            EXPECT_EQ(outcome, RestoreOutcome::Finished);
            EXPECT_EQ(rig.requests(), QStringList{QStringLiteral("101/0/0:9")});
            continue;
        }
        EXPECT_EQ(outcome, RestoreOutcome::WrongAddress);
        const auto& refusal = rig.ui.messages.last();
        EXPECT_EQ(refusal.brief(), QStringLiteral("[VTL] ") + row.refusal);
        EXPECT_EQ(refusal.buttons, MessageButtons::Ok);
        EXPECT_EQ(refusal.icon, row.icon);
        EXPECT_TRUE(rig.requests().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllFamilies, AddressCheck,
    ::testing::Values(AddressRow{PanelFamily::Main, Model::Main, 1007,
                                 "Panel File Is Only Meant For Main Panel #7.", MessageIcon::Stop},
                      AddressRow{PanelFamily::Lan, Model::Lan490, 2007,
                                 "Panel File Is Only Meant For Main Panel #7.", MessageIcon::Stop},
                      AddressRow{PanelFamily::Lan, Model::Lan490, 1007,
                                 "Panel File Is Only Meant For Main Panel #7.", MessageIcon::Stop},
                      AddressRow{PanelFamily::Sub, Model::Sub4000, 4007,
                                 "Panel File Is Only Meant For Sub Panel #7.", MessageIcon::None}));

struct HeaderRow {
    const char* name;
    QByteArray bytes;
    RestoreOutcome outcome;
};

// The reader's own tests go through every way a header can be bad; here, what the restore makes of
// it.
TEST(PanelRestoreHeader, RefusesBadFilesBeforeSendingAnything) {
    const QByteArray signature("QTZ PANEL FILE VERSION 01.00", 29);
    const QByteArray stamps("3:07:45 PM\0"
                            "6/9/08\0",
                            18);
    const QByteArray record("\x01\x00\x00\x01\x00\x2a", 6);
    const QList<HeaderRow> rows = {
        {"other version digits",
         QByteArray("QTZ PANEL FILE VERSION 02.00", 29) + stamps + QByteArray("\xed\x03\0\0\0", 5) +
             record,
         RestoreOutcome::Finished},
        {"signature differs",
         QByteArray("QTZ PANEL FILE VERSIoN 01.00", 29) + stamps + QByteArray("\xed\x03\0\0\0", 5),
         RestoreOutcome::InvalidFile},
        {"family code 1000", signature + stamps + QByteArray("\xe8\x03\0\0\0", 5),
         RestoreOutcome::InvalidFile},
    };
    for (const HeaderRow& row : rows) {
        SCOPED_TRACE(row.name);
        RestoreRig rig(Model::Main);
        const QString path = rig.dir.filePath(QStringLiteral("H.PNL"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(row.bytes);
        file.close();

        EXPECT_EQ(rig.restore(PanelFamily::Main, path), row.outcome);
        if (row.outcome == RestoreOutcome::Finished) {
            EXPECT_EQ(rig.requests(), QStringList{QStringLiteral("101/0/0:1")});
        } else {
            EXPECT_EQ(rig.messages(), QStringList{QStringLiteral("[Error] Invalid Panel File.")});
            EXPECT_TRUE(rig.requests().isEmpty());
            EXPECT_TRUE(rig.ui.statuses.isEmpty());
        }
    }
}

TEST(PanelRestoreHeader, MissingFileAndCancelledDialog) {
    RestoreRig rig(Model::Main);
    EXPECT_EQ(rig.restore(PanelFamily::Main, rig.dir.filePath(QStringLiteral("NONE.PNL"))),
              RestoreOutcome::FileError);
    EXPECT_EQ(rig.messages(), QStringList{QStringLiteral("[Error] Error Reading File.")});

    EXPECT_EQ(rig.restore(PanelFamily::Main, QString()), RestoreOutcome::Cancelled);
    EXPECT_EQ(rig.messages().size(), 1);
    EXPECT_TRUE(rig.requests().isEmpty());
}

} // namespace
} // namespace vtl::test
