// F1 and the Help button of every window, where they lead, and the manual they lead into.
#include "lan/BacnetDeviceDialog.h"
#include "lan/LanControllerDialog.h"
#include "link/HelpPages.h"
#include "panels/MainPanelDialog.h"
#include "panels/ModbusSetupDialog.h"
#include "panels/ModbusSetupOperations.h"
#include "panels/SubPanelDialog.h"
#include "panels/SubPanelOperations.h"
#include "routing/RoutingTableDialog.h"
#include "shell/ConnectionDialog.h"
#include "shell/HelpFile.h"
#include "tests/support/SimSession.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vtl {
namespace {

const QString SourceManual = QStringLiteral(VTL_SOURCE_MANUAL);

struct WindowCase {
    const char* name;
    QLatin1String page;
    sim::Model model;
    std::function<std::unique_ptr<QDialog>(test::SimSession&)> make;
};

// Each window as its opener makes it, on a session it never uses: F1 needs no controller.
std::vector<WindowCase> windows() {
    static SubPanelMemory subMemory;
    return {
        {"connection", help::Connecting, sim::Model::Main,
         [](test::SimSession& s) {
             static QTemporaryDir dir;
             static QSettings settings(dir.filePath(QStringLiteral("VTL.conf")),
                                       QSettings::IniFormat);
             settings.setValue(QStringLiteral("PanelType"), 0); // no Sub LAN warning
             return std::make_unique<ConnectionDialog>(s.session, settings);
         }},
        {"main panel", help::MainPanel, sim::Model::Main,
         [](test::SimSession& s) { return std::make_unique<MainPanelDialog>(s.session); }},
        {"sub panel", help::SubPanel, sim::Model::Sub4000,
         [](test::SimSession& s) {
             static std::unique_ptr<SubPanelOperations> ops;
             ops = std::make_unique<SubPanelOperations>(s.session, subMemory);
             return std::make_unique<SubPanelDialog>(*ops);
         }},
        {"ModBus setup", help::ModbusSetup, sim::Model::Sub4000,
         [](test::SimSession& s) {
             static std::unique_ptr<ModbusSetupOperations> ops;
             ops = std::make_unique<ModbusSetupOperations>(s.session);
             return std::make_unique<ModbusSetupDialog>(*ops);
         }},
        {"LAN controller", help::LanController, sim::Model::Lan602,
         [](test::SimSession& s) { return std::make_unique<LanControllerDialog>(s.session); }},
        {"BACnet", help::Bacnet, sim::Model::Lan602,
         [](test::SimSession& s) { return std::make_unique<BacnetDeviceDialog>(s.session); }},
        {"routing table", help::RoutingTable, sim::Model::Lan602,
         [](test::SimSession& s) { return std::make_unique<RoutingTableDialog>(s.session); }},
    };
}

TEST(HelpKey, F1AndTheHelpButtonOfEveryWindowAskForItsPage) {
    for (const WindowCase& c : windows()) {
        SCOPED_TRACE(c.name);
        test::SimSession s(test::simOptions(c.model, 5, 19200));
        s.connectLan();
        auto dialog = c.make(s);
        dialog->show();
        // F1 on a control that has no use for it travels up to the window.
        auto* help = dialog->findChild<QPushButton*>(QStringLiteral("help"));
        ASSERT_NE(help, nullptr);
        QPushButton* other = nullptr;
        for (auto* b : dialog->findChildren<QPushButton*>())
            if (b != help && b->isEnabled()) other = b;
        ASSERT_NE(other, nullptr);
        QTest::keyClick(other, Qt::Key_F1);
        QTest::keyClick(dialog.get(), Qt::Key_F1);
        QTest::mouseClick(help, Qt::LeftButton);
        EXPECT_EQ(help->text(), QStringLiteral("&Help"));
        EXPECT_EQ(s.ui.helpPages, QStringList(3, QString(c.page)));
        EXPECT_TRUE(s.ui.messages.isEmpty());
        EXPECT_TRUE(s.controller.framesNoted(QStringLiteral("request")).isEmpty());
    }
}

// The modem string and McQuay password editors are described on the main panel's page.
TEST(HelpKey, F1InTheMainPanelsEditorsAsksForTheMainPanelPage) {
    test::SimSession s(test::simOptions(sim::Model::Main, 5, 19200));
    MainPanelDialog dialog(s.session);
    dialog.show();
    for (const char* opener : {"computerBRole", "mcquay"}) {
        SCOPED_TRACE(opener);
        QString editor;
        QTimer::singleShot(0, [&editor] {
            auto* w = QApplication::activeModalWidget();
            if (!w) return;
            editor = w->windowTitle();
            QTest::keyClick(w->findChild<QLineEdit*>(), Qt::Key_F1);
            QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
        });
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(opener));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_FALSE(editor.isEmpty());
    }
    EXPECT_EQ(s.ui.helpPages, QStringList(2, QStringLiteral("main-panel.html")));
}

TEST(HelpKey, OtherKeysStayWithTheWindow) {
    test::SimSession s(test::simOptions(sim::Model::Main, 5, 19200));
    MainPanelDialog dialog(s.session);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_F2);
    QTest::keyClick(&dialog, Qt::Key_F1, Qt::ShiftModifier); // "What's This?", not the manual
    EXPECT_EQ(s.ui.helpPages, QStringList{QStringLiteral("main-panel.html")});
}

struct HelpPlace : ::testing::Test {
    QTemporaryDir dir;
    test::ScriptedUserInterface ui;
    QList<QUrl> opened;
    std::function<bool(const QUrl&)> open = [this](const QUrl& url) {
        opened.append(url);
        return true;
    };
    QString make(const QString& name) {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }
};

TEST_F(HelpPlace, CompiledHelpFileBesideTheProgramComesFirst) {
    const QString chm = make(QStringLiteral("VTL.chm"));
    make(QStringLiteral("manual/bacnet.html"));
    showHelpPage(ui, {chm, dir.filePath(QStringLiteral("manual"))}, help::Bacnet, open);
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(chm)});
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(HelpPlace, WithoutOneThePageOfTheManualOpens) {
    const QString page = make(QStringLiteral("manual/bacnet.html"));
    showHelpPage(ui,
                 {dir.filePath(QStringLiteral("VTL.chm")), dir.filePath(QStringLiteral("manual"))},
                 help::Bacnet, open);
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(page)});
}

TEST_F(HelpPlace, APageNoBrowserOpensIsReportedWithItsPath) {
    const QString page = make(QStringLiteral("manual/bacnet.html"));
    open = [](const QUrl&) { return false; };
    showHelpPage(ui, {QString(), dir.filePath(QStringLiteral("manual"))}, help::Bacnet, open);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].brief(), QStringLiteral("[VTL] Unable To Open Help Page."));
    EXPECT_EQ(ui.messages[0].detail, page);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(HelpPlace, AMissingManualIsReportedWithThePathThePageShouldHave) {
    const QString folder = dir.filePath(QStringLiteral("manual"));
    showHelpPage(ui, {dir.filePath(QStringLiteral("VTL.chm")), folder}, help::Bacnet, open);
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("HTML Help File Not Found"));
    EXPECT_EQ(ui.messages[0].caption, folder + QStringLiteral("/bacnet.html"));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Stop);
}

TEST(HelpFile, SitsBesideTheProgramWithTheChmExtension) {
    EXPECT_EQ(helpFilePath(QStringLiteral("C:/Tools/VTL.EXE")), QStringLiteral("C:/Tools/VTL.chm"));
    EXPECT_EQ(helpFilePath(QStringLiteral("/opt/vtl/bin/vtl")),
              QStringLiteral("/opt/vtl/bin/vtl.chm"));
}

TEST(Manual, InstalledBesideTheProgramsFolderAndLinkedSoInABuildTree) {
    EXPECT_EQ(help::manualFolder(QStringLiteral("/usr/bin")),
              QStringLiteral("/usr/share/doc/vtl/manual"));
    // The desktop program of this build tree finds the pages of the source tree.
    const QString built = help::manualFolder(QStringLiteral(VTL_BUILD_SHELL_DIR));
    EXPECT_TRUE(QFileInfo::exists(QDir(built).filePath(help::MainPanel))) << built.toStdString();
}

TEST(Manual, HoldsEveryPageAWindowOpens) {
    for (const QLatin1String page : help::WindowPages)
        EXPECT_TRUE(QFileInfo::exists(QDir(SourceManual).filePath(page))) << page.data();
}

// Every link and picture of every page leads to a file of the manual. The serial device server
// page comes with the support for those servers and may still be missing.
TEST(Manual, EveryLinkAndPictureLeadsToAFileOfTheManual) {
    const QDir manual(SourceManual);
    const QRegularExpression reference(
        QStringLiteral(R"re((?:href|src)="([^"#:]+)(?:#[^"]*)?")re"));
    int links = 0;
    for (const QString& name : manual.entryList({QStringLiteral("*.html")})) {
        QFile page(manual.filePath(name));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll());
        EXPECT_TRUE(text.contains(QStringLiteral("<title>"))) << name.toStdString();
        for (const auto& m : reference.globalMatch(text)) {
            const QString target = m.captured(1);
            ++links;
            if (target == QLatin1String("device-servers.html")) continue;
            EXPECT_TRUE(QFileInfo::exists(manual.filePath(target)))
                << name.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_GT(links, 40);
}

} // namespace
} // namespace vtl
