// Cancel at a record boundary of a backup, a restore and the clear before it: the same ending as
// Abort, the progress reports that lead there, and nothing sent after it.
#include "tests/panelfile/PanelRig.h"

namespace vtl::test {
namespace {

using sim::Model;

int progressTotal(const ScriptedUserInterface& ui) {
    return ui.progress.isEmpty() ? -1 : ui.progress.first().total;
}

TEST(PanelFileCancel, ABackupCancelledLeavesTheOldFileByteForByte) {
    BackupRig rig(simOptions(Model::Main, 3, 38400));
    rig.connectLan();
    QFile old(rig.path());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    const QByteArray oldBytes("an earlier backup, kept as it is");
    old.write(oldBytes);
    old.close();

    rig.ui.cancelAfter = 5;
    EXPECT_EQ(rig.backup(PanelFamily::Main, rig.path()), BackupOutcome::Aborted);
    EXPECT_EQ(readAll(rig.path()), oldBytes);
    EXPECT_EQ(rig.dirEntries(), QStringList{QStringLiteral("PANEL.PNL")}); // no temporary left
    EXPECT_EQ(rig.messages(), QStringList{QStringLiteral("[VTL] Panel File Creation Aborted.")});
    EXPECT_EQ(rig.ui.statuses.last(), QString());
    // Five records read, none after Cancel; the display ends.
    EXPECT_EQ(rig.requests().size(), 5);
    ASSERT_EQ(rig.ui.progress.size(), 7);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(rig.ui.progress[i].done, i);
        EXPECT_EQ(rig.ui.progress[i].baudRate, 38400);
    }
    EXPECT_GT(progressTotal(rig.ui), 100);
    EXPECT_EQ(rig.ui.progress.last().total, 0);
}

TEST(PanelFileCancel, ACancelledSubPanelBackupHandsTheBusBack) {
    BackupRig rig(simOptions(Model::Sub3000, 5, 19200));
    ASSERT_TRUE(rig.connectSub());
    rig.ui.answer(MessageAnswer::Yes);
    rig.ui.cancelAfter = 3;
    EXPECT_EQ(rig.backup(PanelFamily::Sub, rig.path()), BackupOutcome::Aborted);
    EXPECT_TRUE(rig.dirEntries().isEmpty());
    EXPECT_EQ(rig.messages().last(), QStringLiteral("[VTL] Panel File Creation Aborted."));
    EXPECT_FALSE(rig.controller.busHeldByPc());
    EXPECT_EQ(rig.controller.framesNoted(QStringLiteral("release")).size(), 1);
    EXPECT_TRUE(rig.controller.violations().isEmpty());
}

struct RestoreCase {
    const char* name;
    Model model;
    PanelFamily family;
    MessageAnswer clearFirst;
    int cancelAfter;
    int requests; // what the controller heard before Cancel took effect
    QString firstRequest;
    int firstTotal; // records in the file, or the clear's writes and pauses
};

TEST(PanelFileCancel, ARestoreCancelledStopsSending) {
    const QList<FileRecordSpec> records = {
        {1, 0, 0, content(20, 1)}, {2, 0, 0, content(21, 2)}, {3, 0, 0, content(22, 3)}};
    const RestoreCase cases[] = {
        {"main panel, after two records", Model::Main, PanelFamily::Main, MessageAnswer::No, 2, 2,
         QStringLiteral("101/0/0:20"), 3},
        {"main panel, during the clear's pauses", Model::Main, PanelFamily::Main,
         MessageAnswer::Yes, 2, 1, QStringLiteral("128/0/0:0"), 4},
        {"sub panel, after one record", Model::Sub3000, PanelFamily::Sub, MessageAnswer::No, 1, 1,
         QString(), 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreRig rig(c.model);
        const std::uint16_t family = c.family == PanelFamily::Sub ? 3005 : 1005;
        const QString path = writePanelFile(rig.dir, family, 0, records);
        if (c.family != PanelFamily::Sub) rig.answer(c.clearFirst);
        rig.ui.cancelAfter = c.cancelAfter;
        EXPECT_EQ(rig.restore(c.family, path), RestoreOutcome::Aborted);
        const QStringList heard = rig.requests();
        EXPECT_EQ(heard.size(), c.requests) << heard.join(QLatin1Char(' ')).toStdString();
        if (!c.firstRequest.isEmpty() && !heard.isEmpty()) {
            EXPECT_EQ(heard.first(), c.firstRequest);
        }
        EXPECT_EQ(rig.messages().last(), QStringLiteral("[VTL] Panel File Send Aborted."));
        EXPECT_EQ(progressTotal(rig.ui), c.firstTotal);
        EXPECT_EQ(rig.ui.progress.last().total, 0);
        EXPECT_FALSE(rig.controller.busHeldByPc());
    }
}

// Cancel while the controller is silent: the wait for it ends within one read's time-out (110 ms
// on the virtual clock), and the operation ends as Abort does without asking about the exchange.
struct SilentCase {
    const char* name;
    Model model;
    PanelFamily family;
    enum Run { Backup, Restore, Verify } run;
    std::int64_t cancelAfterMs; // after the controller fell silent
    QList<MessageAnswer> answers;
    QStringList messages;
    std::int64_t withinMs; // from Cancel to the end
};

TEST(PanelFileCancel, CancelWhileTheControllerIsSilentEndsAsAbortAtOnce) {
    const QString creation = QStringLiteral("[VTL] Panel File Creation Aborted.");
    const QString problem = QStringLiteral("[VTL] Problem Retrieving Data.");
    const QString addressQuestion = QStringLiteral("[VTL] Make Panel File Address Specific?");
    const SilentCase cases[] = {
        {"main panel backup",
         Model::Main,
         PanelFamily::Main,
         SilentCase::Backup,
         500,
         {},
         {creation},
         110},
        // One failed read takes 0.3 s and 25 reads; Cancel comes during the one retried.
        {"main panel backup, Cancel after a Retry",
         Model::Main,
         PanelFamily::Main,
         SilentCase::Backup,
         4000,
         {MessageAnswer::Retry},
         {problem, creation},
         110},
        // The Sub LAN bus is handed back on the way out.
        {"sub panel backup",
         Model::Sub3000,
         PanelFamily::Sub,
         SilentCase::Backup,
         500,
         {MessageAnswer::Yes},
         {addressQuestion, creation},
         400},
        // A LAN controller takes its data without handshakes: the wait is for the 0x01.
        {"LAN controller restore, waiting for the acknowledgement",
         Model::Lan490,
         PanelFamily::Lan,
         SilentCase::Restore,
         500,
         {MessageAnswer::No},
         {QStringLiteral("[Confirmation] Clear Controller Before Sending Panel File?"),
          QStringLiteral("[VTL] Panel File Send Aborted.")},
         110},
        {"verification after a restore",
         Model::Main,
         PanelFamily::Main,
         SilentCase::Verify,
         500,
         {},
         {QStringLiteral("[VTL] Panel File Verification Aborted.")},
         110},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreRig rig(c.model);
        const QByteArray oldBytes("an earlier backup, kept as it is");
        QFile old(rig.path());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(oldBytes);
        old.close();
        const std::uint16_t familyCode = c.family == PanelFamily::Sub   ? 3005
                                         : c.family == PanelFamily::Lan ? 2005
                                                                        : 1005;
        const QString file = writePanelFile(
            rig.dir, familyCode, 0,
            {{1, 0, 0, content(20, 1)}, {2, 0, 0, content(21, 2)}, {3, 0, 0, content(22, 3)}});
        for (MessageAnswer a : c.answers)
            rig.answer(a);
        // The controller falls silent at the third record.
        int records = 0;
        rig.ui.onStatus = [&](const QString& text) {
            if (!text.startsWith(QLatin1String("Reading")) &&
                !text.startsWith(QLatin1String("Sending")))
                return;
            if (++records != 3) return;
            rig.controller.faults.noAnswer = true;
            rig.controller.faults.count = -1;
            rig.ui.cancelAtUs = rig.clock.nowUs() + c.cancelAfterMs * 1000;
        };

        if (c.run == SilentCase::Backup) {
            EXPECT_EQ(rig.backup(c.family, rig.path()), BackupOutcome::Aborted);
        } else if (c.run == SilentCase::Restore) {
            EXPECT_EQ(rig.restore(c.family, file), RestoreOutcome::Aborted);
        } else {
            QByteArray image;
            EXPECT_EQ(PanelBackup(rig.session, c.family).runInMemory(image),
                      BackupOutcome::Aborted);
        }
        ASSERT_GE(rig.ui.cancelAtUs, 0);
        EXPECT_LE(rig.clock.nowUs() - rig.ui.cancelAtUs, c.withinMs * 1000);
        EXPECT_EQ(rig.messages(), c.messages);
        EXPECT_EQ(readAll(rig.path()), oldBytes);
        EXPECT_FALSE(rig.controller.busHeldByPc());
        if (c.model == Model::Sub3000) {
            QString lastHeard;
            for (const auto& f : rig.controller.frames())
                if (f.direction == sim::FrameRecord::Direction::Heard) lastHeard = f.note;
            EXPECT_EQ(lastHeard, QStringLiteral("release"));
        }
    }
}

// The time a failed read and its question took is reported apart, so that the time left stays
// what the records that went through say.
TEST(PanelFileCancel, TimeLostToARetriedRecordIsReportedApart) {
    RestoreRig rig(Model::Main);
    rig.answer(MessageAnswer::Retry);
    int records = 0;
    rig.ui.onStatus = [&](const QString& text) {
        if (!text.startsWith(QLatin1String("Reading")) || ++records != 3) return;
        rig.controller.faults.noAnswer = true;
        rig.controller.faults.count = 1;
    };
    rig.ui.cancelAfter = 4;
    EXPECT_EQ(rig.backup(PanelFamily::Main, rig.path()), BackupOutcome::Aborted);
    ASSERT_GE(rig.ui.progress.size(), 4);
    EXPECT_EQ(rig.ui.progress[2].stalledMs, 0);
    // The pause before the frame and 25 silent reads of 110 ms.
    EXPECT_NEAR(double(rig.ui.progress[3].stalledMs), 300 + 25 * 110, 50);
}

} // namespace
} // namespace vtl::test
