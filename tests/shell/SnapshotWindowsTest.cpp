// The windows' side of the snapshots: the connection window's "Snapshots" menu sends one back,
// and the restore file dialog's "Back Up First" makes a backup before the restore starts.
#include "history/SnapshotUndo.h"
#include "lan/LanControllerOperations.h"
#include "panelfile/PanelBackup.h"
#include "shell/ConnectionDialog.h"
#include "shell/PanelFileActions.h"
#include "shell/SnapshotMenu.h"
#include "tests/history/HistoryRig.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

// A LAN controller at address 4 whose Computer B rate was changed by a Send: one snapshot kept.
struct ChangedController : ::testing::Test {
    HistoryRig r{controllerAt(sim::Model::Lan600, 4)};
    QByteArray original;

    void SetUp() override {
        original = r.controller.peek({38, 0, 0});
        ASSERT_TRUE(r.connect());
        LanControllerOperations ops(r.session);
        LanControllerView view;
        ASSERT_TRUE(ops.load(view));
        view.computerB = QStringLiteral("19200");
        ASSERT_TRUE(ops.send(view));
        ASSERT_NE(r.controller.peek({38, 0, 0}), original);
        r.ui.messages.clear();
    }
};

TEST_F(ChangedController, TheConnectionWindowListsTheSnapshotsAndSendsOneBackAfterAsking) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("VTL.conf")), QSettings::IniFormat);
    ConnectionDialog dialog(r.session, settings);
    dialog.accessCodeBox()->setText(QStringLiteral("QOV"));
    dialog.baudList()->setCurrentIndex(4); // 19200
    SnapshotMenu snapshots(dialog, r.session, r.history());
    EXPECT_TRUE(dialog.actions().contains(snapshots.action()));
    EXPECT_EQ(snapshots.action()->text(), QStringLiteral("Snapshots"));

    snapshots.fill();
    const QList<QAction*> entries = snapshots.menu()->actions();
    ASSERT_EQ(entries.size(), 1);
    const Snapshot kept = r.snapshots().front();
    EXPECT_EQ(entries[0]->text(), undo::describe(kept));
    EXPECT_TRUE(entries[0]->isEnabled());

    r.ui.answer(MessageAnswer::Yes);
    entries[0]->trigger();
    EXPECT_EQ(r.controller.peek({38, 0, 0}), original);
    ASSERT_GE(r.ui.messages.size(), 2);
    EXPECT_EQ(r.ui.messages[r.ui.messages.size() - 2].brief(),
              QStringLiteral("[Confirmation] Send The Snapshot Back To The Controller?"));
    EXPECT_EQ(r.ui.messages.last().brief(), QStringLiteral("[VTL] Configuration Sent"));

    // The menu now holds the snapshot that sending back kept, newest first.
    snapshots.fill();
    EXPECT_EQ(snapshots.menu()->actions().size(), 2);
}

TEST_F(ChangedController, BackUpFirstMakesABackupBeforeTheRestore) {
    const QString file = r.dir.filePath(QStringLiteral("PANEL4.PNL"));
    ASSERT_EQ(PanelBackup(r.session, PanelFamily::Lan).run(file), BackupOutcome::Finished);
    PanelFileActions actions(r.session, PanelFamily::Lan, nullptr);
    const QString backups = r.dir.filePath(QStringLiteral("backups"));
    actions.setBackUpFolder(backups);
    actions.setBackUpFirst(true);
    actions.setChoosers([] { return QString(); }, [&] { return file; });
    r.ui.answer(MessageAnswer::No); // no clearing first
    r.ui.answer(MessageAnswer::No); // nor the Ethernet configuration
    actions.restore();

    EXPECT_EQ(r.ui.statuses.last(), QStringLiteral("Finished Sending Panel File."));
    const QStringList made = QDir(backups).entryList(QDir::Files);
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(made[0].startsWith(QStringLiteral("lan-controller-4-"))) << qPrintable(made[0]);
    const Snapshot restoreSnapshot = r.snapshots().front();
    EXPECT_EQ(restoreSnapshot.operation, WriteOperation::Restore);
    EXPECT_EQ(restoreSnapshot.backup, QDir(backups).filePath(made[0]));
    EXPECT_TRUE(restoreSnapshot.records.empty());
}

TEST(RestoreFileDialog, OffersBackUpFirstBesideVerifyAfterRestore) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PANEL4.PNL"));
    QFile(path).open(QIODevice::WriteOnly);
    bool verify = false;
    bool backUp = false;
    QStringList boxes;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            boxes << box->text();
            if (box->text() == QStringLiteral("Back Up First")) box->setChecked(true);
        }
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(PanelFileActions::askOpenFile(nullptr, &verify, &backUp), path);
    EXPECT_EQ(boxes, (QStringList{"Verify After Restore", "Back Up First"}));
    EXPECT_TRUE(backUp);
    EXPECT_FALSE(verify);
}

} // namespace
} // namespace vtl::test
