#include "panels/MainPanelDialog.h"
#include "link/ConnectionState.h"
#include "panels/AddressSpinBox.h"
#include "panels/MainPanelOperations.h"
#include "panels/McQuayPasswordDialog.h"
#include "panels/ModemStringDialog.h"
#include "tests/panels/ScriptedMainPanel.h"
#include "tests/support/ScriptedUserInterface.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vtl {
namespace {

// The snapshot before a write is the history tests' business.
bool keepNoSnapshot(const PlannedWrite&) {
    return true;
}

struct MainPanelWindow : ::testing::Test {
    ConnectionState state;
    TransferBuffers buffers;
    VirtualClock clock;
    test::ScriptedUserInterface ui;
    MainPanelMemory memory;
    test::ScriptedMainPanel panel{buffers, clock};
    MainPanelOperations ops{state, buffers, clock, ui, panel.exchange(), keepNoSnapshot, memory};
    MainPanelDialog dialog{ops};

    void SetUp() override { state.PanelTypeCode = 215; }

    template <typename W = QPushButton> W* find(const char* name) {
        auto* w = dialog.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString press(const char* name) {
        auto* button = find(name);
        QTest::mouseClick(button, Qt::LeftButton);
        return button->text();
    }
    // Answers the next modal window with the given action once it shows.
    void onNextModal(std::function<void(QWidget*)> act) {
        QTimer::singleShot(0, [act] {
            if (auto* w = QApplication::activeModalWidget()) act(w);
        });
    }
};

TEST_F(MainPanelWindow, TextsOfTheWindow) {
    EXPECT_EQ(dialog.windowTitle(), "Vantrel");
    QStringList groups;
    for (auto* g : dialog.findChildren<QGroupBox*>())
        groups.append(g->title());
    EXPECT_EQ(groups, (QStringList{"Main Panel Configuration", "Computer A", "Computer B", "Port C",
                                   "Port D", "Port E", ""}));
    QStringList buttons;
    for (auto* b : dialog.findChildren<QPushButton*>())
        buttons.append(b->text());
    EXPECT_EQ(buttons,
              (QStringList{"19200", "Local", "19200", "Modem", "19200", "Sub A", "19200", "Sub B",
                           "19200", "Main", "&Ethernet", "&McQuay", "Panel File Backup",
                           "Panel File Restore", "Cancel", "&Load", "&Send", "Clea&r", "&Close", "&Help"}));
    QStringList labels;
    for (auto* l : dialog.findChildren<QLabel*>())
        labels.append(l->text());
    for (const char* text : {"Address", "In Cards", "Out Cards", "This program assumes",
                             "the current PC connection", "is through Port A."})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(text))) << text;
    EXPECT_EQ(find<QCheckBox>("lastPanel")->text(), "Last Panel");
    EXPECT_TRUE(find("send")->isDefault());
    EXPECT_EQ(find<QComboBox>("inCards")->count(), 9);
    EXPECT_EQ(find<QComboBox>("outCards")->itemText(8), "8");
    EXPECT_TRUE(find<QLineEdit>("status")->isReadOnly());
}

TEST_F(MainPanelWindow, StartFillsTheControls) {
    dialog.start();
    EXPECT_EQ(find<QLabel>("firmware")->text(), "Firmware version : 2.15");
    EXPECT_EQ(find<AddressSpinBox>("address")->text(), "5");
    EXPECT_EQ(find<QComboBox>("inCards")->currentText(), "3");
    EXPECT_EQ(find("portEBaud")->text(), "115200");
    EXPECT_EQ(find("portDRole")->text(), "Local");

    panel.settings[0] = 9;
    dialog.load();
    EXPECT_EQ(find<QComboBox>("inCards")->currentIndex(), -1);
    panel.calls.clear();
    QTest::mouseClick(find("send"), Qt::LeftButton);
    EXPECT_TRUE(panel.calls.empty());
    EXPECT_EQ(ui.messages.last().caption, "Configuration Error");
}

TEST_F(MainPanelWindow, ButtonsCycleTheirCaptions) {
    EXPECT_EQ(press("portCBaud"), "38400");
    EXPECT_EQ(press("portCBaud"), "1200");
    EXPECT_EQ(press("computerABaud"), "38400");
    EXPECT_EQ(press("computerABaud"), "57600");
    EXPECT_EQ(press("computerABaud"), "1200");
    EXPECT_EQ(press("portEBaud"), "38400");
    EXPECT_EQ(press("portEBaud"), "57600");
    EXPECT_EQ(press("portEBaud"), "115200");
    EXPECT_EQ(press("portEBaud"), "1200");
}

TEST_F(MainPanelWindow, RoleButtons) {
    QStringList seen;
    for (int i = 0; i < 4; ++i)
        seen.append(press("portDRole"));
    EXPECT_EQ(seen, (QStringList{"Local", "McQuay", "Liebert", "Sub B"}));
    EXPECT_EQ(press("portERole"), "Local");
    EXPECT_EQ(press("portERole"), "Main");
    // The fixed roles stay as they are.
    EXPECT_EQ(press("computerARole"), "Local");
    EXPECT_EQ(press("portCRole"), "Sub A");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainPanelWindow, ModemButtonOpensTheModemEditor) {
    memory.setModemStringText("ATZ");
    QString title, shown;
    onNextModal([&](QWidget* w) {
        title = w->windowTitle();
        auto* field = w->findChild<QLineEdit*>();
        shown = field->text();
        field->setText("AT&F");
        QTest::mouseClick(w->findChildren<QPushButton*>().at(0), Qt::LeftButton);
    });
    EXPECT_EQ(press("computerBRole"), "Modem");
    EXPECT_EQ(title, "Modem Initialization");
    EXPECT_EQ(shown, "ATZ");
    EXPECT_EQ(memory.modemStringText(), "AT&F");
}

TEST_F(MainPanelWindow, EditorsOkAndCancel) {
    ModemStringDialog modem(memory);
    EXPECT_EQ(modem.findChild<QLabel*>()->text(), "Enter New Modem Initialization String :");
    QStringList texts;
    for (auto* b : modem.findChildren<QPushButton*>())
        texts.append(b->text());
    EXPECT_EQ(texts, (QStringList{"&OK", "&Cancel"}));
    modem.field()->setText(QString(40, u'x'));
    modem.reject();
    EXPECT_EQ(memory.modemStringText(), "");
    modem.accept();
    EXPECT_EQ(memory.modemStringText(), QString(32, u'x'));

    memory.setPasswordText("12345678");
    McQuayPasswordDialog password(memory);
    EXPECT_EQ(password.windowTitle(), "McQuay");
    EXPECT_EQ(password.findChild<QLabel*>()->text(), "Enter New McQuay Password :");
    EXPECT_EQ(password.field()->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(password.field()->text(), "12345678");
    texts.clear();
    for (auto* b : password.findChildren<QPushButton*>())
        texts.append(b->text());
    EXPECT_EQ(texts, (QStringList{"OK", "Cancel"}));
    password.field()->setText("abc");
    password.accept();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(memory.PasswordField.data()), 9).toHex(),
              "616263003536373800");
}

TEST_F(MainPanelWindow, AddressClampedOnLeavingTheField) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* address = find<AddressSpinBox>("address");
    for (const auto& [typed, expected] : std::vector<std::pair<QString, QString>>{
             {"0", "1"}, {"", "1"}, {"ab", "1"}, {"200", "125"}, {"42", "42"}}) {
        address->setFocus();
        address->setText(typed);
        find<QCheckBox>("lastPanel")->setFocus();
        EXPECT_EQ(address->text(), expected) << typed.toStdString();
    }
    address->setText("125");
    address->stepBy(1);
    EXPECT_EQ(address->text(), "125");
    address->setText("1");
    address->stepBy(-1);
    EXPECT_EQ(address->text(), "1");
    address->stepBy(3);
    EXPECT_EQ(address->text(), "4");
}

TEST_F(MainPanelWindow, EnterInTheAddressFieldSends) {
    dialog.start();
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* address = find<AddressSpinBox>("address");
    address->setFocus();
    address->setText("300");
    panel.calls.clear();
    QTest::keyClick(address, Qt::Key_Return);
    ASSERT_EQ(panel.calls.size(), 2u);
    EXPECT_EQ(panel.written(49).at(7), char(125));
    EXPECT_EQ(state.PanelAddress, 125u);
}

TEST_F(MainPanelWindow, HooksForOtherWindowsDoNothingElse) {
    QSignalSpy ethernet(&dialog, &MainPanelDialog::ethernetRequested);
    QSignalSpy backup(&dialog, &MainPanelDialog::backupRequested);
    QSignalSpy restore(&dialog, &MainPanelDialog::restoreRequested);
    press("ethernet");
    press("backup");
    press("backup");
    press("restore");
    EXPECT_EQ(ethernet.count(), 1);
    EXPECT_EQ(backup.count(), 2);
    EXPECT_EQ(restore.count(), 1);
    EXPECT_TRUE(panel.calls.empty());
    dialog.setStatusText("Reading Points 1 of 3");
    EXPECT_EQ(find<QLineEdit>("status")->text(), "Reading Points 1 of 3");
}

} // namespace
} // namespace vtl
