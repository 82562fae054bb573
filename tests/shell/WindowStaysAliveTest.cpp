// A backup from a window on the real clock: the window's event loop runs during the exchanges,
// its buttons are disabled meanwhile, message boxes come up on the window's thread, and Cancel
// stops the backup at a record boundary as Abort would.
#include "link/PipeTransport.h"
#include "link/PortRegistry.h"
#include "link/Session.h"
#include "panels/MainPanelDialog.h"
#include "panels/OperationProgressBar.h"
#include "panels/SubPanelDialog.h"
#include "panels/WindowOperationRunner.h"
#include "shell/ConnectionDialog.h"
#include "shell/ControllerWindows.h"
#include "shell/PanelFileActions.h"
#include "shell/QtUserInterface.h"
#include "shell/Settings.h"
#include "sim/SimulatedController.h"
#include "tests/shell/RealTimeRig.h"
#include "tests/support/WhenModal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::options;
using test::RealTimeRig;

// What a user would do while the backup runs, checked every 20 ms on the window's thread.
struct Watcher {
    QWidget* window = nullptr;
    QPushButton* backupButton = nullptr;
    OperationProgressBar* progress = nullptr;
    int cancelAtRecord = 0;
    QString screenshot; // a grab of the window at the first progress shown, when named
    // When given, the line goes silent at that record, and Cancel comes 300 ms later.
    std::atomic<bool>* silence = nullptr;

    int ticks = 0;
    int ticksWhileBackupDisabled = 0;
    bool cancelClicked = false;
    bool onWindowThread = true;
    QStringList boxes;
    QElapsedTimer silent;
    QElapsedTimer sinceCancel;
    qint64 msFromCancelToFirstBox = -1;

    void tick() {
        ++ticks;
        onWindowThread = onWindowThread && QThread::currentThread() == qApp->thread();
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (boxes.isEmpty() && cancelClicked) msFromCancelToFirstBox = sinceCancel.elapsed();
            boxes << box->text();
            // "Make the file specific to this address?" Yes; an OK box is acknowledged; a
            // failed read is given up.
            QAbstractButton* answer = box->button(QMessageBox::Yes);
            if (!answer) answer = box->button(QMessageBox::Ok);
            if (!answer) answer = box->button(QMessageBox::Abort);
            // Clicked as a user clicks: the work's own boxes take input while it runs.
            if (answer) QTest::mouseClick(answer, Qt::LeftButton);
            return;
        }
        if (!backupButton->isEnabled()) ++ticksWhileBackupDisabled;
        const QString text = progress->text();
        if (!screenshot.isEmpty() &&
            text.startsWith(QStringLiteral("%1 of").arg(cancelAtRecord - 1))) {
            window->grab().save(screenshot);
            screenshot.clear();
        }
        const bool atRecord = text.startsWith(QStringLiteral("%1 of").arg(cancelAtRecord));
        if (silence && atRecord && !silent.isValid()) {
            *silence = true;
            silent.start();
        }
        const bool cancelNow = silence ? silent.isValid() && silent.elapsed() >= 300 : atRecord;
        if (!cancelClicked && cancelNow) {
            QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
            cancelClicked = true;
            sinceCancel.start();
        }
    }
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct BackupFromWindow : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("PANEL.PNL"));
    const QByteArray oldBytes = QByteArray("an earlier backup that must survive");

    void SetUp() override {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(oldBytes);
    }

    // Runs the backup as the button does and watches it; returns when it is over.
    Watcher backUp(RealTimeRig& rig, QDialog& dialog, WindowOperationRunner& runner,
                   PanelFamily family, int cancelAtRecord, const QString& screenshot = {},
                   bool silenceFirst = false) {
        rig.ui.setTitleWindow(&dialog);
        StatusLineScope status(
            rig.ui, statusLineOf(dialog.findChild<QLineEdit*>(QStringLiteral("status"))));
        dialog.show();
        PanelFileActions files(rig.session, family, &dialog, &runner);
        files.setChoosers([this] { return path; }, [] { return QString(); });

        Watcher w;
        w.window = &dialog;
        w.backupButton = dialog.findChild<QPushButton*>(QStringLiteral("backup"));
        w.progress = runner.progressBar();
        w.cancelAtRecord = cancelAtRecord;
        w.screenshot = screenshot;
        if (silenceFirst) w.silence = &rig.silent;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&w] { w.tick(); });
        timer.start(20);
        files.backup();
        timer.stop();
        return w;
    }
};

TEST_F(BackupFromWindow, TheWindowLivesAndCancelKeepsTheOldFile) {
    RealTimeRig rig(options(sim::Model::Main, 3, 115200));
    rig.state.LinkMode = LinkModeLan;
    rig.state.PanelTypeCode = std::uint32_t(rig.controller.typeCode());
    MainPanelDialog dialog(rig.session);
    dialog.start();
    const Watcher w = backUp(rig, dialog, dialog.runner(), PanelFamily::Main, 4,
                             qEnvironmentVariable("VTL_BACKUP_SCREENSHOT"));

    EXPECT_TRUE(w.cancelClicked);
    EXPECT_TRUE(w.onWindowThread);
    // The timer kept firing while the exchanges ran, with the other buttons disabled.
    EXPECT_GT(w.ticksWhileBackupDisabled, 3);
    EXPECT_EQ(w.boxes, QStringList{QStringLiteral("Panel File Creation Aborted.")});
    EXPECT_EQ(readAll(path), oldBytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("PANEL.PNL")});
    // Afterwards: buttons back, the progress bar gone, the status line empty as after Abort.
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("backup"))->isEnabled());
    EXPECT_TRUE(dialog.runner().progressBar()->isHidden());
    EXPECT_EQ(dialog.statusLine()->text(), QString());
    EXPECT_FALSE(dialog.runner().busy());
}

// Cancel while the controller is silent does not wait for the exchange to give up, nor ask
// whether to retry it: it ends as Abort does within one read's time-out.
TEST_F(BackupFromWindow, CancelWhileTheControllerIsSilentEndsAtOnce) {
    RealTimeRig rig(options(sim::Model::Main, 3, 115200));
    rig.state.LinkMode = LinkModeLan;
    rig.state.PanelTypeCode = std::uint32_t(rig.controller.typeCode());
    MainPanelDialog dialog(rig.session);
    dialog.start();
    const Watcher w = backUp(rig, dialog, dialog.runner(), PanelFamily::Main, 4, {}, true);

    EXPECT_TRUE(w.cancelClicked);
    EXPECT_EQ(w.boxes, QStringList{QStringLiteral("Panel File Creation Aborted.")});
    // A silent LAN exchange gives up after 25 reads of 110 ms; Cancel needs one read at most.
    EXPECT_GE(w.msFromCancelToFirstBox, 0);
    EXPECT_LT(w.msFromCancelToFirstBox, 1200);
    EXPECT_EQ(readAll(path), oldBytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("PANEL.PNL")});
}

TEST_F(BackupFromWindow, CancelHandsTheSubLanBusBack) {
    RealTimeRig rig(options(sim::Model::Sub3000, 5, 38400));
    // As the connect procedure leaves it: the status read made and the bus handed back.
    rig.state.LinkMode = LinkModeSubLan;
    rig.state.PollPending = 1;
    rig.state.ReleasePending = 1;
    ASSERT_TRUE(rig.session.exchange.PanelTransaction(5, 0, 38, 0, 0));
    SubPanelOperations operations(rig.session);
    SubPanelDialog dialog(operations);
    const Watcher w = backUp(rig, dialog, dialog.runner(), PanelFamily::Sub, 3);

    EXPECT_TRUE(w.cancelClicked);
    EXPECT_EQ(w.boxes.last(), QStringLiteral("Panel File Creation Aborted."));
    EXPECT_EQ(readAll(path), oldBytes);
    EXPECT_FALSE(rig.controller.busHeldByPc());
    EXPECT_FALSE(rig.controller.framesNoted(QStringLiteral("release")).isEmpty());
    EXPECT_TRUE(rig.controller.violations().isEmpty())
        << rig.controller.violations().join(QLatin1Char('\n')).toStdString();
}

// OK in the connection window: the speed search runs with the window's event loop running, the
// main panel's window opens once a controller is found, and the port is closed after it.
TEST(ConnectFromWindow, TheSearchLeavesTheWindowAliveAndOpensTheControllerWindow) {
    RealTimeRig rig(options(sim::Model::Main, 3, 38400));
    PortRegistry::instance().clear();
    const int position = int(listPorts().size());
    PortRegistry::instance().add(
        {QStringLiteral("sim-line"), QStringLiteral("Simulated line"), {}, {}},
        [&rig](const QString&) {
            return std::make_unique<PipeTransport>(rig.controller, RealClock::instance());
        });
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("VTL.conf")), QSettings::IniFormat);
    writeSettings(settings, {AutoDetectPosition, position, 0, 0, 0}); // LAN, no delay
    ConnectionDialog window(rig.session, settings);
    rig.ui.setTitleWindow(&window);
    window.show();
    std::optional<ControllerWindow> opened;
    window.setWindowOpener([&](ControllerWindow which) {
        opened = which;
        openControllerWindow(rig.session, which, &window);
    });
    QString firmware;
    test::whenModal<MainPanelDialog>([&](MainPanelDialog* panel) {
        firmware = panel->findChild<QLabel*>(QStringLiteral("firmware"))->text();
        panel->reject();
    });
    QStringList titles;
    int ticksWhileOkDisabled = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!titles.contains(window.windowTitle())) titles << window.windowTitle();
        if (!window.okButton()->isEnabled()) ++ticksWhileOkDisabled;
    });
    timer.start(5);

    QTest::keyClicks(window.accessCodeBox(), QStringLiteral("QOV"));
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    timer.stop();
    PortRegistry::instance().clear();

    EXPECT_EQ(opened, ControllerWindow::MainPanel);
    EXPECT_TRUE(firmware.startsWith(QStringLiteral("Firmware version : ")))
        << firmware.toStdString();
    EXPECT_TRUE(titles.contains(QStringLiteral("VTL - Trying 38400 Baud")))
        << titles.join(QLatin1Char('|')).toStdString();
    EXPECT_GT(ticksWhileOkDisabled, 0);
    EXPECT_TRUE(window.okButton()->isEnabled());
    EXPECT_FALSE(rig.session.link.isOpen());
    EXPECT_TRUE(rig.controller.violations().isEmpty());
}

} // namespace
} // namespace vtl
