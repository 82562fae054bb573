#include "shell/ConnectionDialog.h"
#include "link/PipeTransport.h"
#include "link/PortRegistry.h"
#include "shell/QtUserInterface.h"
#include "tests/link/ScriptedLinePeer.h"
#include "tests/support/ScriptedUserInterface.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace vtl {
namespace {

const QString SubLanWarning =
    QStringLiteral("Sub LAN Controllers MUST\nBe Disconnected From The Network.\n\n"
                   "Failure To Do So May Result In Data Loss.\n\n\n"
                   "COM LED MUST Be In A Rapid Flash.");

struct DialogFixture : ::testing::Test {
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("VTL.conf")), QSettings::IniFormat};
    ConnectionState state;
    std::unique_ptr<TransferBuffers> buffers = std::make_unique<TransferBuffers>();
    VirtualClock clock;
    test::ScriptedLinePeer peer; // nobody answers; its ports refuse to open
    test::ScriptedUserInterface ui;
    Session session{state, *buffers, clock, ui};
    // Real serial devices of the machine come first in the list; ours follow them.
    int firstFake = 0;

    void SetUp() override {
        PortRegistry::instance().clear();
        firstFake = int(listPorts().size());
        for (const char* name : {"fake-a", "fake-b", "fake-c"}) {
            PortRegistry::instance().add(
                {QString::fromLatin1(name), QStringLiteral("Test line"), QStringLiteral("QTZ"),
                 QStringLiteral("SN-") + QString::fromLatin1(name).right(1)},
                [this](const QString&) {
                    auto line = std::make_unique<PipeTransport>(peer, clock);
                    line->failOpen = true;
                    return line;
                });
        }
    }
    void TearDown() override { PortRegistry::instance().clear(); }

    void store(const StoredSettings& v) {
        writeSettings(settings, v);
        settings.sync();
    }
    std::unique_ptr<ConnectionDialog> open() {
        auto dialog = std::make_unique<ConnectionDialog>(session, settings);
        dialog->show();
        return dialog;
    }
    static void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(DialogFixture, FirstRunSelectsSubLanWarnsAtOnceAndShowsItsControls) {
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Vantrel"));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].brief(), QStringLiteral("[Warning!] ") + SubLanWarning);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);

    EXPECT_TRUE(dialog->subLanButton()->isChecked());
    EXPECT_FALSE(dialog->lanButton()->isChecked());
    EXPECT_EQ(dialog->baudList()->currentText(), QStringLiteral("Auto Detect"));
    EXPECT_EQ(dialog->portList()->currentIndex(), 0);
    EXPECT_TRUE(dialog->delayBox()->isChecked());
    EXPECT_FALSE(dialog->usbBox()->isChecked());
    EXPECT_EQ(state.AddDelay, 1u);
    EXPECT_EQ(state.UsbMode, 0u);

    QStringList bauds;
    for (int i = 0; i < dialog->baudList()->count(); ++i)
        bauds.append(dialog->baudList()->itemText(i));
    EXPECT_EQ(bauds, (QStringList{"Auto Detect", "115200", "57600", "38400", "19200", "9600",
                                  "4800", "2400", "1200"}));
    EXPECT_EQ(dialog->okButton()->text(), QStringLiteral("&OK"));
    EXPECT_TRUE(dialog->okButton()->isDefault());
    EXPECT_EQ(dialog->closeButton()->text(), QStringLiteral("&Close"));
    EXPECT_EQ(dialog->usbBox()->text(), QStringLiteral("USB (may help older driver issues)"));
    EXPECT_EQ(dialog->delayBox()->text(), QStringLiteral("Add Delay (may help LAN comm. issues)"));
    EXPECT_EQ(dialog->aboutAction()->text(), QStringLiteral("&About VTL..."));
    EXPECT_EQ(dialog->accessCodeBox()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog->accessCodeBox()->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(dialog->portList()->itemText(firstFake + 1), QStringLiteral("fake-b"));
    EXPECT_EQ(dialog->portList()->itemData(firstFake + 1, Qt::ToolTipRole).toString(),
              QStringLiteral("Test line, QTZ, serial number SN-b"));
}

TEST_F(DialogFixture, SavedValuesAreRestoredWithoutAWarningForLan) {
    store({5, firstFake + 2, 0, 0, 1});
    auto dialog = open();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(dialog->lanButton()->isChecked());
    EXPECT_EQ(dialog->baudList()->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(dialog->portList()->currentText(), QStringLiteral("fake-c"));
    EXPECT_TRUE(dialog->usbBox()->isChecked());
    EXPECT_FALSE(dialog->delayBox()->isChecked());
    EXPECT_EQ(state.UsbMode, 1u);
    EXPECT_EQ(state.AddDelay, 0u);
}

TEST_F(DialogFixture, ClicksWarnOnSubLanAndChangeTheStateAtOnce) {
    store({0, 0, 1, 0, 0});
    auto dialog = open();
    click(dialog->subLanButton());
    click(dialog->subLanButton());
    click(dialog->lanButton());
    ASSERT_EQ(ui.messages.size(), 2);
    for (const auto& m : ui.messages)
        EXPECT_EQ(m.brief(), QStringLiteral("[Warning!] ") + SubLanWarning);
    EXPECT_TRUE(dialog->lanButton()->isChecked());

    click(dialog->usbBox());
    EXPECT_EQ(state.UsbMode, 1u);
    click(dialog->delayBox());
    EXPECT_EQ(state.AddDelay, 0u);
    click(dialog->usbBox());
    EXPECT_EQ(state.UsbMode, 0u);
}

TEST_F(DialogFixture, CloseButtonOrWindowStoresEveryChoice) {
    auto dialog = open();
    dialog->baudList()->setCurrentIndex(3);
    dialog->portList()->setCurrentIndex(firstFake + 1);
    click(dialog->lanButton());
    click(dialog->usbBox());
    click(dialog->delayBox());
    click(dialog->closeButton());
    EXPECT_FALSE(dialog->isVisible());

    const StoredSettings v = readSettings(settings);
    EXPECT_EQ((std::array{v.Baud, v.Port, v.PanelType, v.USB, v.Delay}),
              (std::array{3, firstFake + 1, 0, 1, 0}));

    dialog = open();
    dialog->baudList()->setCurrentIndex(8);
    dialog->close();
    EXPECT_EQ(readSettings(settings).Baud, 8);
}

// Only positions in the list are remembered: none, or a typed name, is stored as -1 and restored
// as no selection.
TEST_F(DialogFixture, ATypedDeviceServerIsUsedAndRememberedByItsAddress) {
    for (const QString& server :
         {QStringLiteral("tcp://10.0.0.5:4001"), QStringLiteral("rfc2217://10.0.0.6:4002")}) {
        store({0, 0, 1, 0, 0});
        {
            auto dialog = open();
            dialog->portList()->setCurrentIndex(-1);
            QTest::keyClicks(dialog->portList()->lineEdit(), server);
            EXPECT_EQ(dialog->request().portName, server);
            click(dialog->closeButton());
        }
        EXPECT_EQ(readSettings(settings).Port, -1);
        EXPECT_EQ(readDeviceServer(settings), server);

        auto dialog = open();
        EXPECT_EQ(dialog->portList()->currentText(), server);
        EXPECT_EQ(dialog->portList()->count(), firstFake + 4); // listed once, after the ports
        // Choosing a port again keeps the server listed but selects the port next time.
        dialog->portList()->setCurrentIndex(firstFake + 1);
        click(dialog->closeButton());
        EXPECT_EQ(readSettings(settings).Port, firstFake + 1);
        EXPECT_EQ(open()->portList()->currentText(), QStringLiteral("fake-b"));
    }
}

TEST_F(DialogFixture, ATypedNameThatIsNoServerIsStoredAsNoSelection) {
    store({0, 0, 1, 0, 0});
    settings.setValue(QStringLiteral("DeviceServer"), QStringLiteral("/dev/ttyS9"));
    {
        auto dialog = open();
        dialog->portList()->setCurrentIndex(-1);
        QTest::keyClicks(dialog->portList()->lineEdit(), QStringLiteral("/dev/ttyUSB7"));
        click(dialog->closeButton());
    }
    EXPECT_EQ(readSettings(settings).Port, -1);
    auto dialog = open();
    EXPECT_EQ(dialog->portList()->currentIndex(), -1);
    EXPECT_TRUE(dialog->portList()->currentText().isEmpty());
    EXPECT_EQ(dialog->portList()->findText(QStringLiteral("/dev/ttyS9")), -1);
}

TEST_F(DialogFixture, StoredPositionsOutsideTheListsSelectNothingOrAutoDetect) {
    store({12, firstFake + 3, 1, 0, 0});
    auto dialog = open();
    EXPECT_EQ(dialog->baudList()->currentText(), QStringLiteral("Auto Detect"));
    EXPECT_EQ(dialog->request().baudPosition, 0);
    EXPECT_EQ(dialog->portList()->currentIndex(), -1);
    QTest::keyClicks(dialog->accessCodeBox(), QStringLiteral("QOV"));
    click(dialog->okButton());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].brief(), QStringLiteral("[VTL] No Port Selected."));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(dialog->isVisible());
}

// Typing arrives in upper case and the text goes on as it is, trailing blank and all; Enter
// connects too.
TEST_F(DialogFixture, TheCodeBoxUpperCasesTypingAndPassesItOn) {
    store({6, firstFake + 1, 1, 0, 0});
    auto dialog = open();
    QTest::keyClicks(dialog->accessCodeBox(), QStringLiteral("qov"));
    EXPECT_EQ(dialog->accessCodeBox()->text(), QStringLiteral("QOV"));
    click(dialog->okButton());
    EXPECT_FALSE(ui.briefs().contains(QStringLiteral("[VTL] Invalid Access Code.")));
    EXPECT_EQ(state.PortName, QStringLiteral("fake-b"));
    EXPECT_EQ(state.Privileged, 0);
    EXPECT_EQ(state.BaudRate, 4800);
    EXPECT_TRUE(dialog->isVisible());

    state = ConnectionState{};
    ui.messages.clear();
    QTest::keyClicks(dialog->accessCodeBox(), QStringLiteral(" "));
    click(dialog->okButton());
    EXPECT_EQ(ui.briefs(), QStringList{QStringLiteral("[VTL] Invalid Access Code.")});
    EXPECT_TRUE(state.PortName.isEmpty());

    dialog->accessCodeBox()->clear();
    QTest::keyClicks(dialog->accessCodeBox(), QStringLiteral("QO"));
    QTest::keyClick(dialog->accessCodeBox(), Qt::Key_Return);
    EXPECT_EQ(ui.briefs(), QStringList(2, QStringLiteral("[VTL] Invalid Access Code.")));
    EXPECT_TRUE(dialog->isVisible());
}

// Answers the next real modal box after looking at it.
QString answerNextBox(QMessageBox::StandardButton button, QStringList* seen) {
    QTimer::singleShot(0, [button, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen->append(box->windowTitle());
        seen->append(box->text());
        seen->append(QString::number(int(box->icon())));
        seen->append(QString::number(int(box->standardButtons())));
        seen->append(box->iconPixmap().isNull() ? QStringLiteral("no pixmap")
                                                : QStringLiteral("pixmap"));
        box->button(button)->click();
    });
    return {};
}

TEST_F(DialogFixture, AboutBoxShowsTheVersion) {
    store({0, 0, 1, 0, 0});
    auto dialog = open();
    QStringList seen;
    answerNextBox(QMessageBox::Ok, &seen);
    dialog->aboutAction()->trigger();
    ASSERT_EQ(seen.size(), 5);
    EXPECT_EQ(seen[0], QStringLiteral("About Vantrel"));
    EXPECT_EQ(seen[1], QStringLiteral("VTL Version 1.3.0"));
    EXPECT_EQ(seen[3], QString::number(int(QMessageBox::Ok)));
    EXPECT_EQ(seen[4], QStringLiteral("pixmap"));
}

TEST(QtUserInterfaceTest, ShowsRealBoxesAndReturnsTheButtonChosen) {
    QtUserInterface qtUi;
    QStringList seen;
    answerNextBox(QMessageBox::Retry, &seen);
    EXPECT_EQ(qtUi.message(QStringLiteral("Problem Retrieving Panel Information."),
                           QStringLiteral("VTL"), MessageButtons::RetryCancel,
                           MessageIcon::Exclamation),
              MessageAnswer::Retry);
    ASSERT_EQ(seen.size(), 5);
    EXPECT_EQ(seen[0], QStringLiteral("VTL"));
    EXPECT_EQ(seen[1], QStringLiteral("Problem Retrieving Panel Information."));
    EXPECT_EQ(seen[2], QString::number(int(QMessageBox::Warning)));
    EXPECT_EQ(seen[3], QString::number(int(QMessageBox::Retry | QMessageBox::Cancel)));

    seen.clear();
    answerNextBox(QMessageBox::Ignore, &seen);
    EXPECT_EQ(qtUi.message(QStringLiteral("x"), QStringLiteral("Error"),
                           MessageButtons::AbortRetryIgnore, MessageIcon::Stop),
              MessageAnswer::Ignore);
    EXPECT_EQ(seen[2], QString::number(int(QMessageBox::Critical)));
}

TEST(QtUserInterfaceTest, TitleCursorAndStatusLine) {
    QtUserInterface qtUi;
    QWidget window;
    qtUi.setTitleWindow(&window);
    qtUi.setTitle(QStringLiteral("VTL - Trying 38400 Baud"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("VTL - Trying 38400 Baud"));

    qtUi.setWaitCursor(true);
    qtUi.setWaitCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    qtUi.setWaitCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    QLineEdit outer, inner;
    qtUi.setStatusLine(&outer);
    {
        StatusLineScope scope(qtUi, statusLineOf(&inner));
        qtUi.setStatus(QStringLiteral("Reading Block 1 of 4"));
    }
    qtUi.setStatus(QStringLiteral("Finished Creating Panel File"));
    EXPECT_EQ(inner.text(), QStringLiteral("Reading Block 1 of 4"));
    EXPECT_EQ(outer.text(), QStringLiteral("Finished Creating Panel File"));
}

} // namespace
} // namespace vtl
