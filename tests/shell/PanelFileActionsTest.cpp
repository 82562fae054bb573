#include "shell/PanelFileActions.h"

#include "panelfile/PanelFileHeader.h"
#include "tests/support/SimSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

struct PanelFileButtons : ::testing::Test {
    SimSession s{simOptions(sim::Model::Lan600, 4, 38400)};
    QTemporaryDir dir;
    PanelFileActions actions{s.session, PanelFamily::Lan, nullptr};

    void SetUp() override {
        s.state.BaudRate = 38400;
        s.state.LinkMode = LinkModeLan;
        s.state.PanelAddress = 4;
        s.state.PanelTypeCode = 600;
        s.state.IsLanController = s.state.IsBrinlet = 1;
    }
};

TEST_F(PanelFileButtons, BackupWritesTheChosenFileAndRestoreSendsItBack) {
    const QString path = dir.filePath(QStringLiteral("PANEL4.PNL"));
    actions.setChoosers([&] { return path; }, [&] { return path; });
    actions.backup();
    ASSERT_EQ(s.ui.statuses.last(), QStringLiteral("Finished Creating Panel File"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto header = readHeader(file, PanelFamily::Lan);
    ASSERT_TRUE(header.ok());
    EXPECT_EQ(header.header.familyCode, 10004);

    s.ui.answer(MessageAnswer::No); // no clearing first
    s.ui.answer(MessageAnswer::No); // nor the Ethernet configuration
    actions.restore();
    EXPECT_EQ(s.ui.statuses.last(), QStringLiteral("Finished Sending Panel File."));
    EXPECT_TRUE(s.controller.violations().isEmpty());
}

TEST_F(PanelFileButtons, ACancelledFileChoiceTouchesNothing) {
    actions.setChoosers([] { return QString(); }, [] { return QString(); });
    actions.backup();
    actions.restore();
    EXPECT_TRUE(s.ui.messages.isEmpty());
    EXPECT_TRUE(s.ui.statuses.isEmpty());
    EXPECT_TRUE(s.controller.frames().isEmpty());
}

} // namespace
} // namespace vtl::test

namespace vtl::test {
namespace {

TEST_F(PanelFileButtons, VerifyAfterRestoreReadsTheControllerBackAndSaysItMatches) {
    const QString path = dir.filePath(QStringLiteral("PANEL4.PNL"));
    actions.setChoosers([&] { return path; }, [&] { return path; });
    actions.backup();
    const int framesBefore = int(s.controller.framesNoted(QStringLiteral("request")).size());
    s.ui.answer(MessageAnswer::No); // no clearing first
    s.ui.answer(MessageAnswer::No); // nor the Ethernet configuration
    actions.setVerifyAfterRestore(true);
    actions.restore();

    ASSERT_FALSE(s.ui.messages.isEmpty());
    const auto& shown = s.ui.messages.last();
    EXPECT_TRUE(shown.text.startsWith(
        QStringLiteral("The Controller Holds What The Panel File Holds.\n\n")))
        << qPrintable(shown.text);
    EXPECT_TRUE(shown.text.contains(QStringLiteral(" records match, 0 differ, ")))
        << qPrintable(shown.text);
    EXPECT_EQ(shown.caption, QStringLiteral("VTL"));
    EXPECT_EQ(shown.icon, MessageIcon::Information);
    EXPECT_EQ(s.ui.statuses.last(), QStringLiteral("Finished Sending Panel File."));
    EXPECT_GT(int(s.controller.framesNoted(QStringLiteral("request")).size()), framesBefore);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"PANEL4.PNL"});
}

TEST(RestoreFileDialog, OffersVerifyAfterRestoreAndReportsTheChoice) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PANEL4.PNL"));
    QFile(path).open(QIODevice::WriteOnly);
    bool verify = false;
    QString boxText;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* box = dialog->findChild<QCheckBox*>();
        ASSERT_NE(box, nullptr);
        boxText = box->text();
        box->setChecked(true);
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(PanelFileActions::askOpenFile(nullptr, &verify), path);
    EXPECT_EQ(boxText, QStringLiteral("Verify After Restore"));
    EXPECT_TRUE(verify);
}

} // namespace
} // namespace vtl::test
