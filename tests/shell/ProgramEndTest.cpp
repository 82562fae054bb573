// The desktop program told to end from outside (a signal): the work on the line stops at its safe
// point as Cancel stops it, no question waits for an answer, and the windows close as their Close
// buttons close them; run as a process, it leaves no temporary file behind.
#include "shell/ProgramEnd.h"
#include "panels/MainPanelDialog.h"
#include "panels/OperationProgressBar.h"
#include "panels/WindowOperationRunner.h"
#include "shell/PanelFileActions.h"
#include "tests/shell/RealTimeRig.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <signal.h>

namespace vtl::test {
namespace {

TEST(ProgramEnd, ABoxShowingWhenTheEndComesClosesWithItsSafeAnswer) {
    QtUserInterface ui;
    QTimer::singleShot(50, [&ui] { ui.endProgram(); });
    EXPECT_EQ(ui.message(QStringLiteral("Problem Retrieving Data."), QStringLiteral("VTL"),
                         MessageButtons::AbortRetryIgnore, MessageIcon::Exclamation),
              MessageAnswer::Abort);
    // From then on nothing waits for an answer.
    EXPECT_EQ(ui.message(QStringLiteral("Problem Sending Data."), QStringLiteral("VTL"),
                         MessageButtons::RetryCancel, MessageIcon::Exclamation),
              MessageAnswer::Cancel);
    EXPECT_TRUE(ui.cancelRequested());
}

TEST(ProgramEnd, ABackupEndsAsAbortAndTheWindowCloses) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PANEL.PNL"));
    const QByteArray oldBytes("an earlier backup that must survive");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(oldBytes);
    old.close();

    RealTimeRig rig(options(sim::Model::Main, 3, 115200));
    rig.state.LinkMode = LinkModeLan;
    rig.state.PanelTypeCode = std::uint32_t(rig.controller.typeCode());
    MainPanelDialog dialog(rig.session);
    rig.ui.setTitleWindow(&dialog);
    StatusLineScope status(rig.ui, statusLineOf(dialog.statusLine()));
    dialog.start();
    dialog.show();
    PanelFileActions files(rig.session, PanelFamily::Main, &dialog, &dialog.runner());
    files.setChoosers([&] { return path; }, [] { return QString(); });

    bool asked = false;
    ProgramEnd end(rig.ui, [&] { return asked; });
    int boxes = 0;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++boxes;
            box->reject();
        }
        if (dialog.runner().progressBar()->text().startsWith(QLatin1String("4 of"))) asked = true;
    });
    user.start(10);
    files.backup();
    const QDeadlineTimer deadline(5000);
    while (dialog.isVisible() && !deadline.hasExpired())
        QTest::qWait(20);

    EXPECT_TRUE(asked);
    EXPECT_TRUE(end.ending());
    EXPECT_EQ(boxes, 0);
    EXPECT_FALSE(dialog.isVisible());
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), oldBytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("PANEL.PNL")});
}

// vtl on its first run shows the Sub LAN warning and waits; a signal ends it as Close would:
// the settings saved, the run's line trace (a temporary file) gone.
TEST(ProgramEnd, SigtermOrSighupEndTheProgramAsCloseDoes) {
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("tmp"));
        QDir(dir.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(dir.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), dir.filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
        QProcess vtl;
        vtl.setProcessEnvironment(env);
        vtl.start(QStringLiteral(VTL_GUI_EXE), {});
        ASSERT_TRUE(vtl.waitForStarted(5000));
        const QDir tmp(dir.filePath(QStringLiteral("tmp")));
        const QDeadlineTimer deadline(10000);
        while (tmp.entryList(QDir::Files).isEmpty() && !deadline.hasExpired())
            QTest::qWait(20);
        ASSERT_EQ(tmp.entryList(QDir::Files).size(), 1);
        QTest::qWait(300); // the window and its warning are up

        ::kill(pid_t(vtl.processId()), signal);
        ASSERT_TRUE(vtl.waitForFinished(10000));
        EXPECT_EQ(vtl.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(vtl.exitCode(), 0) << vtl.readAllStandardError().constData();
        EXPECT_TRUE(tmp.entryList(QDir::Files | QDir::Hidden).isEmpty());
        EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("config/QTZ/VTL.conf"))));
    }
}

} // namespace
} // namespace vtl::test
