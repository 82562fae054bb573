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

} // namespace
} // namespace vtl::test
