#include "tests/panelfile/PanelRig.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

using sim::Model;

// One record of a file, what the restore shows for it and what it writes (empty: nothing).
struct RecordRow {
    FileRecordSpec record;
    const char* status; // nullptr: no text
    const char* write;  // "command/point/table:length", nullptr: not sent
};

// Restores one file of these records and checks the texts and writes, in order.
void expectRecords(RestoreRig& rig, PanelFamily family, std::uint16_t familyCode,
                   const QList<RecordRow>& rows) {
    QList<FileRecordSpec> records;
    QStringList statuses;
    QStringList writes;
    for (const RecordRow& row : rows) {
        records << row.record;
        if (row.status) statuses << QString::fromLatin1(row.status);
        if (row.write) writes << QString::fromLatin1(row.write);
    }
    statuses << Finished;
    const QString path = writePanelFile(rig.dir, familyCode, 0, records);

    EXPECT_EQ(rig.restore(family, path), RestoreOutcome::Finished);
    EXPECT_EQ(rig.ui.statuses, statuses);
    EXPECT_EQ(rig.requests(), writes);
}

TEST(PanelRestoreMainRecords, BlankProgramCodeAndPlainWrites) {
    RestoreRig rig(Model::Main);
    expectRecords(
        rig, PanelFamily::Main, 1005,
        {
            {{1, 0, 0, content(100)}, "Sending Outputs Block 1", "101/0/0:100"},
            {{2, 1, 0, {}}, "NOT Sending Blank Inputs Block 2", nullptr},
            {{16, 3, 0, content(5)}, "NOT Sending Blank Program Code Block 4", nullptr},
            {{16, 4, 0, content(8)}, "Sending Program Code Block 5", "116/4/0:8"},
            // a main panel's blocks are sent whatever their bytes
            {{3, 0, 0, filled(50, 0)}, "Sending Variables Block 1", "103/0/0:50"},
            {{49, 47, 0, filled(300, 255)}, "Sending Array Data Block 48", "149/47/0:300"},
            {{12, 3, 0, content(832)}, "Sending System Status Block 4", "112/3/0:832"},
            // the write command wraps at a byte
            {{154, 0, 0, content(10)}, "Sending Kestrom Configuration Block 1", "254/0/0:10"},
            // too long for the transfer buffer
            {{17, 0, 0, content(10240)},
             "NOT Sending Blank Weekly Schedule Times Block 1",
             nullptr},
            {{18, 2, 0, content(20)}, "Sending Annual Schedule Dates Block 3", "118/2/0:20"},
        });
    EXPECT_EQ(rig.controller.peek({1, 0, 0}), content(100));
    EXPECT_EQ(rig.controller.peek({49, 47, 0}), filled(300, 255));
    EXPECT_TRUE(rig.controller.violations().isEmpty())
        << qPrintable(rig.controller.violations().join(QLatin1Char('\n')));
}

TEST(PanelRestoreMainRecords, EthernetOnlyWhenTheUserAgrees) {
    for (const MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        RestoreRig rig(Model::Main);
        const QString path =
            writePanelFile(rig.dir, 1005, 0, {{71, 0, 0, content(40)}, {1, 0, 0, content(4)}});
        rig.answer(MessageAnswer::No); // no clear
        rig.answer(answer);

        EXPECT_EQ(rig.restore(PanelFamily::Main, path), RestoreOutcome::Finished);

        ASSERT_EQ(rig.ui.messages.size(), 2);
        const auto& question = rig.ui.messages[1];
        EXPECT_EQ(question.brief(), QStringLiteral("[VTL] Send Ethernet Configuration?"));
        EXPECT_EQ(question.buttons, MessageButtons::YesNo);
        EXPECT_EQ(question.icon, MessageIcon::Question);
        if (answer == MessageAnswer::Yes) {
            EXPECT_EQ(rig.requests(), (QStringList{"150/0/21:40", "101/0/0:4"}));
            EXPECT_EQ(rig.ui.statuses, (QStringList{"Sending Ethernet Block 1",
                                                    "Sending Outputs Block 1", Finished}));
            EXPECT_EQ(rig.controller.peek({50, 0, 21}), content(40));
        } else {
            EXPECT_EQ(rig.requests(), QStringList{"101/0/0:4"});
            EXPECT_EQ(rig.ui.statuses, (QStringList{"Sending Outputs Block 1", Finished}));
        }
    }
}

// 32 entries of 26 bytes; byte 2 and the low 3 bits of byte 3 hold a model code.
QByteArray systemStatus(const QList<std::pair<int, int>>& codesAndFlags) {
    QByteArray data = content(832, 3);
    for (int e = 0; e < 32; ++e) {
        const auto [code, flags] = e < codesAndFlags.size() ? codesAndFlags[e] : std::pair{0, 0};
        data[e * 26 + 2] = char(code & 0xff);
        data[e * 26 + 3] = char((code >> 8) | flags);
    }
    return data;
}

TEST(PanelRestoreLanRecords, MainPanelFileAfterSendAnyway) {
    RestoreRig rig(Model::Lan490);
    const QByteArray status =
        systemStatus({{399, 0xf8}, {400, 0xf8}, {2047, 0x50}, {490, 0}, {1000, 0x08}});
    const QByteArray expected =
        systemStatus({{399, 0xf8}, {490, 0xf8}, {490, 0x50}, {490, 0}, {490, 0x08}});
    const QString path = writePanelFile(rig.dir, 1005, 0,
                                        {{12, 0, 0, status},
                                         {12, 1, 0, content(832)},
                                         {71, 0, 0, content(40)},
                                         {1, 0, 0, content(20)}});
    rig.answer(MessageAnswer::Yes); // send anyway
    rig.answer(MessageAnswer::No);  // no clear

    EXPECT_EQ(rig.restore(PanelFamily::Lan, path), RestoreOutcome::Finished);

    // No Ethernet question: a main panel's network settings are left out.
    EXPECT_EQ(rig.messages().size(), 2);
    EXPECT_EQ(rig.requests(), (QStringList{"112/0/0:832", "101/0/0:20"}));
    EXPECT_EQ(rig.ui.statuses, (QStringList{"Sending System Status Block 1",
                                            "NOT Sending Blank System Status Block 2",
                                            "Sending Outputs Block 1", Finished}));
    EXPECT_EQ(rig.controller.peek({12, 0, 0}).toHex(' '), expected.toHex(' '));
}

TEST(PanelRestoreLanRecords, LanFileKeepsItsSystemStatusCodes) {
    RestoreRig rig(Model::Lan490);
    const QByteArray status = systemStatus({{400, 0xf8}, {2047, 0x50}});
    const QString path = writePanelFile(rig.dir, 2005, 0, {{12, 0, 0, status}});

    EXPECT_EQ(rig.restore(PanelFamily::Lan, path), RestoreOutcome::Finished);
    EXPECT_EQ(rig.controller.peek({12, 0, 0}), status);
}

TEST(PanelRestoreLanRecords, BlankRules) {
    RestoreRig rig(Model::Lan490);
    QByteArray oneByte = filled(128, 0);
    oneByte[127] = 1;
    expectRecords(
        rig, PanelFamily::Lan, 2005,
        {
            {{1, 0, 0, filled(128, 0)}, "NOT Sending Blank Outputs Block 1", nullptr},
            {{1, 1, 0, filled(128, 255)}, "NOT Sending Blank Outputs Block 2", nullptr},
            {{1, 2, 0, oneByte}, "Sending Outputs Block 3", "101/2/0:128"},
            {{2, 0, 0, {}}, "NOT Sending Blank Inputs Block 1", nullptr},
            {{16, 0, 0, content(7)}, "NOT Sending Blank Program Code Block 1", nullptr},
            {{16, 1, 0, content(8)}, "Sending Program Code Block 2", "116/1/0:8"},
            // the second System Status block is never sent, whatever it holds
            {{12, 1, 0, content(832)}, "NOT Sending Blank System Status Block 2", nullptr},
            {{12, 0, 0, content(832)}, "Sending System Status Block 1", "112/0/0:832"},
            {{49, 20, 0, content(64)}, "Sending Array Data Block 21", "149/20/0:64"},
            {{17, 0, 0, content(10240)},
             "NOT Sending Blank Weekly Schedule Times Block 1",
             nullptr},
            {{100, 0, 0, content(64)}, "NOT Sending Graphic File 1", nullptr},
            {{100, 6, 0, {}}, "NOT Sending Graphic File 7", nullptr},
            {{3, 6, 0, content(30)}, "Sending Variables Block 7", "103/6/0:30"},
        });
}

// Four InterProtocol Setup blocks as a 602-699 backup keeps them, and one under its own command.
const QList<FileRecordSpec> InterProtocolFile = {
    {50, 0, 162, content(64, 1)}, {50, 3, 162, content(64, 2)}, {212, 1, 0, content(64, 3)},
    {3, 2, 0, content(30)},       {3, 3, 0, content(30)},
};

// Sent on a 602-699 only; left out silently elsewhere, and a 600-601 takes no Variables blocks
// beyond the third.
TEST(PanelRestoreLanRecords, InterProtocolSetupOn602Only) {
    const QString variables3 = QStringLiteral("Sending Variables Block 3");
    const QString variables4 = QStringLiteral("Sending Variables Block 4");
    struct Row {
        Model model;
        QStringList writes, statuses;
    };
    for (const Row& row :
         {Row{Model::Lan602,
              {"150/0/162:64", "150/3/162:64", "150/1/162:64", "103/2/0:30", "103/3/0:30"},
              {"Sending InterProtocol Setup Block 1", "Sending InterProtocol Setup Block 4",
               "Sending InterProtocol Setup Block 2", variables3, variables4, Finished}},
          Row{Model::Lan490, {"103/2/0:30", "103/3/0:30"}, {variables3, variables4, Finished}},
          Row{Model::Lan600, {"103/2/0:30"}, {variables3, Finished}}}) {
        SCOPED_TRACE(int(row.model));
        RestoreRig rig(row.model);
        const QString path = writePanelFile(rig.dir, 11005, 0, InterProtocolFile);
        EXPECT_EQ(rig.restore(PanelFamily::Lan, path), RestoreOutcome::Finished);
        EXPECT_EQ(rig.requests(), row.writes);
        EXPECT_EQ(rig.ui.statuses, row.statuses);
        if (row.model == Model::Lan602) {
            EXPECT_EQ(rig.controller.peek({50, 3, 162}), content(64, 2));
        }
    }
}

TEST(PanelRestoreLanRecords, FileOf600ModelsKeepsEightArrayDataBlocks) {
    RestoreRig rig(Model::Lan602);
    expectRecords(rig, PanelFamily::Lan, 10005,
                  {
                      {{49, 7, 0, content(64)}, "Sending Array Data Block 8", "149/7/0:64"},
                      {{49, 8, 0, content(64)}, "Sending Array Data Block 9", nullptr},
                      {{48, 0, 0, content(64)}, "Sending Arrays Block 1", "148/0/0:64"},
                  });
}

TEST(PanelRestoreLanRecords, EthernetQuestionWithoutMainFile) {
    RestoreRig rig(Model::Lan602);
    const QString path = writePanelFile(rig.dir, 11005, 0, {{71, 0, 0, content(40)}});
    rig.answer(MessageAnswer::No);
    rig.answer(MessageAnswer::Yes);

    EXPECT_EQ(rig.restore(PanelFamily::Lan, path), RestoreOutcome::Finished);

    EXPECT_EQ(rig.messages().last(), QStringLiteral("[VTL] Send Ethernet Configuration?"));
    EXPECT_EQ(rig.requests(), QStringList{"150/0/21:40"});
}

TEST(PanelRestoreSubRecords, WriteCommandsAndProgressTexts) {
    RestoreRig rig(Model::Sub4000);
    expectRecords(
        rig, PanelFamily::Sub, 4005,
        {
            {{154, 0, 0, content(30)}, "Sending Kestrom Configuration Block 1", "150/0/104:30"},
            {{55, 40, 0, {}}, "Sending Sub Panel Type Block 1", "150/253/5:0"},
            {{55, 254, 0, {}}, "Sending Sub Panel Type Block 1", "150/253/5:0"},
            {{55, 128, 0, {}}, "Sending Sub Panel Type Block 1", "150/128/5:0"},
            {{57, 0, 0, content(16)}, "Sending Sub Panel Name Block 1", "150/0/7:16"},
            {{24, 82, 121, content(1002)},
             "Sending Sub Panel Descriptors Block 1",
             "124/82/121:1002"},
            {{24, 60, 125, content(692)},
             "Sending Sub Panel Descriptors Block 1",
             "124/60/125:692"},
            {{177, 0, 0, content(50)},
             "Sending Sub Panel Extended Descriptors Block 1",
             "150/0/127:50"},
            {{170, 0, 0, content(50)},
             "Sending Sub Panel Extended Descriptors Block 1",
             "150/0/120:50"},
            {{24, 249, 120, content(89)}, "Sending Custom Units Block 1", "124/249/120:89"},
            {{73, 0, 0, content(20)}, "Sending Net Sensor Block 1", "150/0/23:20"},
            {{4, 1, 0, content(36)}, "Sending PID Controllers Block 2", "104/1/0:36"},
            {{10, 1, 0, content(44)}, "Sending Trend Logs Block 2", "110/1/0:44"},
            // no blank rule on a sub panel
            {{16, 0, 0, {}}, "Sending Program Code Block 1", "116/0/0:0"},
            {{1, 0, 0, filled(40, 0)}, "Sending Outputs Block 1", "101/0/0:40"},
            {{16, 1, 0, content(3)}, "Sending Program Code Block 2", "116/1/0:3"},
            {{16, 2, 0, content(10240)}, nullptr, nullptr},
        });
    EXPECT_EQ(rig.controller.peek({50, 0, 7}), content(16));
    // The bus goes back to the sub panel once, after the last write.
    const auto releases = rig.controller.framesNoted(QStringLiteral("release"));
    ASSERT_EQ(releases.size(), 1);
    EXPECT_GT(releases[0].timeUs,
              rig.controller.framesNoted(QStringLiteral("request")).last().endUs);
    EXPECT_TRUE(rig.controller.violations().isEmpty())
        << qPrintable(rig.controller.violations().join(QLatin1Char('\n')));
}

TEST(PanelRestoreSubRecords, UnknownFirstRecordSendsNothing) {
    RestoreRig rig(Model::Sub4000);
    const QString path = writePanelFile(rig.dir, 4005, 0, {{99, 0, 0, content(4)}});

    EXPECT_EQ(rig.restore(PanelFamily::Sub, path), RestoreOutcome::UnknownRecord);
    EXPECT_TRUE(rig.controller.frames().isEmpty() ||
                rig.controller.framesNoted(QStringLiteral("request")).isEmpty());
    EXPECT_TRUE(rig.controller.framesNoted(QStringLiteral("release")).isEmpty());
}

// A record no writer knows refuses the whole file before the first write (and before the question
// about clearing the controller), with the message that once stopped the restore at it.
TEST(PanelRestoreRecords, UnknownRecordAnywhereSendsNothing) {
    struct Row {
        Model model;
        PanelFamily family;
        std::uint16_t code;
        FileRecordSpec unknown;
        const char* message;
    };
    for (const Row& row : {Row{Model::Main,
                               PanelFamily::Main,
                               1005,
                               {99, 0, 0, content(4)},
                               "[VTL] Invalid Panel File."},
                           // its write would wrap to 56, a read frame carrying data
                           Row{Model::Main,
                               PanelFamily::Main,
                               1005,
                               {212, 0, 0, content(4)},
                               "[VTL] Invalid Panel File."},
                           Row{Model::Lan490,
                               PanelFamily::Lan,
                               2005,
                               {24, 82, 121, content(4)},
                               "[VTL] Unknown Command In File."},
                           Row{Model::Sub4000,
                               PanelFamily::Sub,
                               4005,
                               {24, 1, 1, content(4)},
                               "[VTL] Invalid Panel File."}}) {
        SCOPED_TRACE(row.unknown.command);
        RestoreRig rig(row.model);
        const QString path = writePanelFile(
            rig.dir, row.code, 0, {{1, 0, 0, content(4)}, row.unknown, {2, 0, 0, content(4)}});

        EXPECT_EQ(rig.restore(row.family, path), RestoreOutcome::UnknownRecord);

        EXPECT_EQ(rig.messages(), QStringList{QString::fromLatin1(row.message)});
        EXPECT_EQ(rig.ui.messages[0].detail,
                  QStringLiteral("Record 2 of the file: command %1, point %2, table %3.")
                      .arg(row.unknown.command)
                      .arg(row.unknown.point)
                      .arg(row.unknown.table));
        EXPECT_TRUE(rig.requests().isEmpty());
        EXPECT_TRUE(rig.ui.statuses.isEmpty());
        EXPECT_TRUE(rig.controller.framesNoted(QStringLiteral("release")).isEmpty());
    }
}

} // namespace
} // namespace vtl::test
