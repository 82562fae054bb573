#include "shell/PanelFileActions.h"

#include "panelfile/PanelFileHeader.h"
#include "tests/support/SimSession.h"

#include <QFile>
#include <QTemporaryDir>

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
