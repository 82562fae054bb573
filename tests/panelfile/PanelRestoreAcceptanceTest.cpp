#include "tests/panelfile/PanelRestoreRig.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

using sim::Model;

const QString Finished = QStringLiteral("Finished Sending Panel File.");
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
        EXPECT_EQ(rig.ui.script.messages[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(rig.ui.script.messages[0].icon, MessageIcon::None);
        EXPECT_TRUE(rig.requests().isEmpty());
        EXPECT_TRUE(rig.statuses().isEmpty());
        return;
    }
    EXPECT_EQ(outcome, RestoreOutcome::Finished);
    const QStringList expected =
        row.reader == PanelFamily::Sub ? QStringList{} : QStringList{ClearQuestion};
    EXPECT_EQ(rig.messages(), expected);
    EXPECT_EQ(rig.requests(), QStringList{QStringLiteral("101/0/0:40")});
    EXPECT_EQ(rig.statuses().last(), Finished);
}

constexpr const char* Rzq41 = "Panel File Is For RZQ-41X.";
constexpr const char* Rzq63 = "Panel File Is For RZQ-63X (8X8).";
constexpr const char* Rzq68 = "Panel File Is For RZQ-68X (8X8).";
constexpr const char* Rzq2x = "Panel File Is For RZQ-2XXX. (4X4)";
constexpr const char* Rzq1x = "Panel File Is For RZQ-1XXX. (4X4)";
constexpr const char* Rzq69 = "Panel File Is For RZQ-69X (16X12).";
constexpr const char* Rzq47 = "Panel File Is For RZQ-47X.";
constexpr const char* Rzq32 = "Panel File Is For RZQ-32X (Plurinet).";

INSTANTIATE_TEST_SUITE_P(
    MainPanel, AcceptanceTable,
    ::testing::Values(AcceptanceRow{PanelFamily::Main, Model::Main, 1005, nullptr},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 2005, Rzq41},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 3005, Rzq63},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 4005, Rzq68},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 5005, Rzq2x},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 6005, Rzq1x},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 7005, Rzq69},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 8005, nullptr},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 10005, nullptr},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 11005, nullptr},
                      AcceptanceRow{PanelFamily::Main, Model::Main, 65005, nullptr}));

INSTANTIATE_TEST_SUITE_P(
    LanController, AcceptanceTable,
    ::testing::Values(AcceptanceRow{PanelFamily::Lan, Model::Lan490, 2005, nullptr},
                      AcceptanceRow{PanelFamily::Lan, Model::Lan490, 3005, Rzq63},
                      AcceptanceRow{PanelFamily::Lan, Model::Lan490, 4005, Rzq68},
                      AcceptanceRow{PanelFamily::Lan, Model::Lan490, 5005, Rzq2x},
                      AcceptanceRow{PanelFamily::Lan, Model::Lan490, 6005, Rzq1x},
                      AcceptanceRow{PanelFamily::Lan, Model::Lan490, 7005, Rzq69},
                      AcceptanceRow{PanelFamily::Lan, Model::Lan490, 9005, nullptr},
                      AcceptanceRow{PanelFamily::Lan, Model::Lan602, 10005, nullptr},
                      AcceptanceRow{PanelFamily::Lan, Model::Lan600, 11005, nullptr}));

INSTANTIATE_TEST_SUITE_P(
    SubPanel, AcceptanceTable,
    ::testing::Values(AcceptanceRow{PanelFamily::Sub, Model::Sub4000, 1005, Rzq32},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub4000, 2005, Rzq41},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub4000, 8005, nullptr},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub4000, 10005, Rzq47},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub4000, 11005, Rzq47},
                      // each sub panel family takes its own files...
                      AcceptanceRow{PanelFamily::Sub, Model::Sub3000, 3005, nullptr},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub4000, 4005, nullptr},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub5000, 5005, nullptr},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub6000, 6005, nullptr},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub7000, 7005, nullptr},
                      // ...the 7000 family also those of the 4000 family, not the reverse...
                      AcceptanceRow{PanelFamily::Sub, Model::Sub7000, 4005, nullptr},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub4000, 7005, Rzq69},
                      // ...and no other family's.
                      AcceptanceRow{PanelFamily::Sub, Model::Sub4000, 3005, Rzq63},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub3000, 4005, Rzq68},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub6000, 5005, Rzq2x},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub5000, 6005, Rzq1x},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub7000, 3005, Rzq63},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub7000, 5005, Rzq2x},
                      AcceptanceRow{PanelFamily::Sub, Model::Sub7000, 6005, Rzq1x}));

TEST(PanelRestoreMainFileOnLan, NoClosesTheFileWithoutAWord) {
    RestoreRig rig(Model::Lan490);
    const QString path = writePanelFile(rig.dir, 1005, 0, {{1, 0, 0, content(40)}});
    rig.answer(MessageAnswer::No);

    EXPECT_EQ(rig.restore(PanelFamily::Lan, path), RestoreOutcome::WrongFamily);

    ASSERT_EQ(rig.ui.script.messages.size(), 1);
    const auto& question = rig.ui.script.messages[0];
    EXPECT_EQ(question.text,
              QStringLiteral("Panel File Is For RZQ-310.\nWould You Like To Send Anyway?"));
    EXPECT_EQ(question.caption, QStringLiteral("VTL"));
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_TRUE(rig.requests().isEmpty());
    EXPECT_TRUE(rig.statuses().isEmpty());
}

TEST(PanelRestoreMainFileOnLan, YesGoesOnToTheClearQuestion) {
    RestoreRig rig(Model::Lan490);
    const QString path = writePanelFile(rig.dir, 1005, 0, {{1, 0, 0, content(40)}});
    rig.answer(MessageAnswer::Yes);

    EXPECT_EQ(rig.restore(PanelFamily::Lan, path), RestoreOutcome::Finished);

    EXPECT_EQ(rig.messages(),
              (QStringList{QStringLiteral("[VTL] Panel File Is For RZQ-310.\nWould You Like To "
                                          "Send Anyway?"),
                           ClearQuestion}));
    EXPECT_EQ(rig.requests(), QStringList{QStringLiteral("101/0/0:40")});
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
    {
        RestoreRig rig(row.connected);
        const QString path = writePanelFile(rig.dir, row.familyCode, 0, {{1, 0, 0, content(9)}});
        if (asksToSendAnyway(row)) rig.answer(MessageAnswer::Yes);

        EXPECT_EQ(rig.restore(row.reader, path), RestoreOutcome::WrongAddress);

        const auto& refusal = rig.ui.script.messages.last();
        EXPECT_EQ(refusal.brief(), QStringLiteral("[VTL] ") + row.refusal);
        EXPECT_EQ(refusal.buttons, MessageButtons::Ok);
        EXPECT_EQ(refusal.icon, row.icon);
        EXPECT_TRUE(rig.requests().isEmpty());
    }
    {
        RestoreRig rig(row.connected);
        const QString path = writePanelFile(rig.dir, row.familyCode, 1, {{1, 0, 0, content(9)}});
        if (asksToSendAnyway(row)) rig.answer(MessageAnswer::Yes);

        EXPECT_EQ(rig.restore(row.reader, path), RestoreOutcome::Finished);
        EXPECT_EQ(rig.requests(), QStringList{QStringLiteral("101/0/0:9")});
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
        {"ends in the stamps", signature + QByteArray("3:07:45", 7), RestoreOutcome::InvalidFile},
        {"time stamp of 22 characters",
         signature + QByteArray(22, '1') + QByteArray(1, '\0') +
             QByteArray("6/9/08\0\xed\x03\0\0\0", 12),
         RestoreOutcome::InvalidFile},
        {"family code 1000", signature + stamps + QByteArray("\xe8\x03\0\0\0", 5),
         RestoreOutcome::InvalidFile},
        {"family code 2000", signature + stamps + QByteArray("\xd0\x07\0\0\0", 5),
         RestoreOutcome::InvalidFile},
        {"ends in the family block", signature + stamps + QByteArray("\xed\x03", 2),
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
            EXPECT_TRUE(rig.statuses().isEmpty());
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
