#include "lan/LanControllerDialog.h"
#include "lan/BacnetDeviceDialog.h"
#include "lan/RangeSpinBox.h"
#include "link/Connect.h"
#include "panels/AddressSpinBox.h"
#include "panels/SubPanelDialog.h"
#include "routing/RoutingTableDialog.h"
#include "shell/ControllerWindows.h"
#include "tests/lan/LanRig.h"
#include "tests/support/WhenModal.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::LanRig;

struct LanWindow {
    explicit LanWindow(sim::Model model, int typeCode = -1) : rig(model, typeCode) {}

    template <typename W = QPushButton> W* find(const char* name) {
        auto* w = dialog.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString press(const char* name) {
        QTest::mouseClick(find(name), Qt::LeftButton);
        return find(name)->text();
    }
    QStringList hidden() {
        QStringList names;
        for (auto* w : dialog.findChildren<QWidget*>())
            if (w->isHidden() && !w->objectName().isEmpty()) names << w->objectName();
        names.sort();
        return names;
    }

    LanRig rig;
    LanControllerDialog dialog{rig.sim.session};
};

TEST(LanControllerWindow, EachFormHidesAndCaptionsItsControls) {
    struct Row {
        sim::Model model;
        int typeCode;
        QString outer, computerB, subLanB, mainNetwork;
        QStringList hidden;
        QString modeText, parityText;
    };
    const QStringList brinletHidden = {"bacnetGroup", "cardsGroup", "computerAGroup", "note"};
    for (const Row& row : {
             Row{sim::Model::Lan490,
                 -1,
                 "LAN Controller Configuration",
                 "Computer B",
                 "Sub LAN B",
                 "Main Network",
                 {"smtpGroup"},
                 "2400",
                 "9600"},
             Row{sim::Model::Lan600, 601, "Brinlet Controller Configuration", "Computer Port",
                 "Sub LAN B", "Main Network",
                 brinletHidden + QStringList{"mainNetworkGroup", "subLanBGroup"}, "2400", "9600"},
             Row{sim::Model::Lan602, -1, "Brinlet Controller Configuration", "Computer Port",
                 "Mode", "Parity", brinletHidden, "RZQ", "N-8-1"},
         }) {
        LanWindow w(row.model, row.typeCode);
        w.dialog.start();
        EXPECT_TRUE(w.rig.sim.ui.messages.isEmpty());
        EXPECT_EQ(w.dialog.windowTitle(), "Vantrel");
        EXPECT_EQ(w.find<QGroupBox>("configuration")->title(), row.outer);
        EXPECT_EQ(w.find<QGroupBox>("computerBGroup")->title(), row.computerB);
        EXPECT_EQ(w.find<QGroupBox>("subLanBGroup")->title(), row.subLanB);
        EXPECT_EQ(w.find<QGroupBox>("mainNetworkGroup")->title(), row.mainNetwork);
        QStringList expected = row.hidden;
        expected.sort();
        EXPECT_EQ(w.hidden(), expected) << row.outer.toStdString();
        EXPECT_EQ(w.find("subLanB")->text(), row.modeText);
        EXPECT_EQ(w.find("mainNetwork")->text(), row.parityText);
        EXPECT_EQ(w.find<QLabel>("firmware")->text(),
                  QStringLiteral("Firmware version : %1.%2")
                      .arg(w.rig.sim.state.PanelTypeCode / 100)
                      .arg(w.rig.sim.state.PanelTypeCode % 100, 2, 10, QLatin1Char('0')));
        EXPECT_FALSE(w.find("ethernet")->isEnabled());
        EXPECT_TRUE(w.find("send")->isEnabled());
    }
}

TEST(LanControllerWindow, ButtonsCycleTheirCaptions) {
    LanWindow w(sim::Model::Lan490);
    QByteArray block = test::richLanBlock();
    block[47] = 0x20;
    w.rig.setSettings(block);
    w.dialog.start();
    EXPECT_EQ(w.find("bacnet")->text(), "????");
    QStringList seen;
    for (int i = 0; i < 10; ++i)
        seen << w.press("bacnet");
    EXPECT_EQ(seen, (QStringList{"9600", "19200", "38400", "57600", "76800", "115200", "153600",
                                 "230400", "460800", "9600"}));
    // Sub LAN A at 4800 goes to 9600 on a click; Sub LAN B outside its cycle stays.
    EXPECT_EQ(w.find("subLanA")->text(), "4800");
    EXPECT_EQ(w.press("subLanA"), "9600");
    w.find("subLanB")->setText("2400");
    EXPECT_EQ(w.press("subLanB"), "2400");
    EXPECT_EQ(w.press("computerB"), "9600"); // 115200 wraps
    EXPECT_EQ(w.press("card1"), "#1 Outputs");
    EXPECT_EQ(w.press("card1"), "#1 Unused");
    EXPECT_EQ(w.press("card1"), "#1 Inputs");

    // The address is held to 1..125 on leaving the field (emptied, it gets back the one it
    // showed), and so it is sent.
    w.dialog.show();
    QApplication::setActiveWindow(&w.dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.dialog));
    auto* address = w.find<AddressSpinBox>("address");
    for (const auto& [typed, kept] :
         std::vector<std::pair<QString, QString>>{{"300", "125"}, {"", "125"}, {"0", "1"}}) {
        address->setFocus();
        address->setText(typed);
        w.find<QLineEdit>("modemString")->setFocus();
        EXPECT_EQ(address->text(), kept) << typed.toStdString();
    }
    address->setText("300");
    QTest::mouseClick(w.find("send"), Qt::LeftButton);
    EXPECT_EQ(std::uint8_t(w.rig.settings()[9]), 125);
    EXPECT_EQ(std::uint8_t(w.rig.settings()[47]), 12);
}

TEST(LanControllerWindow, ModeAndParityButtons) {
    LanWindow w(sim::Model::Lan602);
    w.dialog.start();
    EXPECT_EQ(w.press("subLanB"), "Modbus");
    EXPECT_EQ(w.press("subLanB"), "RZQ");
    EXPECT_EQ(w.press("mainNetwork"), "E-8-1");
    EXPECT_EQ(w.press("mainNetwork"), "O-8-1");
    QTest::mouseClick(w.find("send"), Qt::LeftButton);
    EXPECT_EQ(w.rig.sim.ui.briefs(), QStringList{"[VTL] Configuration Sent"});
    EXPECT_EQ(w.rig.settings().toHex().mid(2 * 49, 2), "00");
    EXPECT_EQ(w.rig.settings().toHex().mid(2 * 53, 2), "01");
}

TEST(LanControllerWindow, SendWaitsForAGoodRead) {
    LanWindow w(sim::Model::Lan490);
    w.rig.sim.controller.faults = {.noAnswer = true, .count = 1};
    w.dialog.start();
    EXPECT_EQ(w.rig.sim.ui.briefs(), QStringList{"[Error] Communication Error"});
    EXPECT_FALSE(w.find("send")->isEnabled());
    EXPECT_EQ(w.find<QLabel>("firmware")->text(), "Firmware version : 4.90");
    QTest::mouseClick(w.find("load"), Qt::LeftButton);
    EXPECT_TRUE(w.find("send")->isEnabled());
    EXPECT_EQ(w.find<AddressSpinBox>("address")->text(), "12");
}

TEST(LanControllerWindow, BacnetConfigurationOpensTheBacnetWindow) {
    LanWindow w(sim::Model::Lan490);
    w.dialog.start();
    bool seen = false;
    test::whenModal<BacnetDeviceDialog>([&](BacnetDeviceDialog* bacnet) {
        seen = true;
        EXPECT_EQ(bacnet->windowTitle(), "BACnet");
        EXPECT_EQ(bacnet->findChild<QGroupBox*>()->title(), "Configuration");
        EXPECT_EQ(bacnet->findChild<QLineEdit*>("name")->text(), "SIM Device");
        EXPECT_EQ(bacnet->findChild<RangeSpinBox*>("apduTimeout")->text(), "3000");
        QTest::mouseClick(bacnet->findChild<QPushButton*>("clear"), Qt::LeftButton);
        EXPECT_EQ(bacnet->findChild<QLineEdit*>("name")->text(), "");
        EXPECT_EQ(bacnet->findChild<RangeSpinBox*>("maxMaster")->text(), "127");
        bacnet->findChild<RangeSpinBox*>("tokenTimeout")->stepBy(-1); // held at 20
        EXPECT_EQ(bacnet->findChild<RangeSpinBox*>("tokenTimeout")->text(), "20");
        bacnet->findChild<QLineEdit*>("instance")->setText("5");
        QTest::mouseClick(bacnet->findChild<QPushButton*>("ok"), Qt::LeftButton);
        EXPECT_TRUE(bacnet->isVisible()); // refused: no name
        bacnet->findChild<QLineEdit*>("name")->setText("AHU");
        QTest::mouseClick(bacnet->findChild<QPushButton*>("ok"), Qt::LeftButton);
        EXPECT_FALSE(bacnet->isVisible());
    });
    QTest::mouseClick(w.find("bacnetConfiguration"), Qt::LeftButton);
    EXPECT_TRUE(seen);
    EXPECT_EQ(w.rig.sim.ui.briefs(),
              (QStringList{"[VTL] Device Must Be Assigned A Name. Configuration NOT Sent.",
                           "[VTL] BACnet Configuration Sent"}));
    EXPECT_EQ(w.rig.sim.controller.peek(LanRig::BacnetKey).mid(0, 7).toHex(), "00000005414855");
}

} // namespace
} // namespace vtl

namespace vtl {
namespace {

TEST(LanControllerWindow, TheConnectSequenceOpensItForEveryLanTypeCode) {
    for (const auto& [model, typeCode] : {std::pair{sim::Model::Lan490, 499},
                                          {sim::Model::Lan600, 600},
                                          {sim::Model::Lan602, 699}}) {
        LanRig rig(model, typeCode);
        const auto window = windowForTypeCode(std::uint32_t(typeCode));
        ASSERT_EQ(window, ControllerWindow::LanController) << typeCode;
        QString seen;
        test::whenModal<LanControllerDialog>([&](LanControllerDialog* dialog) {
            seen = dialog->findChild<QLabel*>("firmware")->text();
            dialog->reject();
        });
        openControllerWindow(rig.sim.session, window, nullptr);
        EXPECT_EQ(seen, QStringLiteral("Firmware version : %1.%2")
                            .arg(typeCode / 100)
                            .arg(typeCode % 100, 2, 10, QLatin1Char('0')));
        EXPECT_EQ(rig.sim.state.PanelAddress, 12u);
    }
}

} // namespace
} // namespace vtl

namespace vtl {
namespace {

// The window the connect sequence opens, then the one its button opens; each answered at once.
template <typename First, typename Second>
void openTwoWindows(Session& session, ControllerWindow window, const char* button, bool& sawFirst,
                    bool& sawSecond) {
    test::whenModal<First>([&](First* first) {
        sawFirst = true;
        test::whenModal<Second>([&, first](Second* second) {
            sawSecond = true;
            second->close();
            first->reject();
        });
        if (auto* b = first->template findChild<QPushButton*>(button); b && b->isEnabled())
            b->click();
        else
            first->reject();
    });
    openControllerWindow(session, window, nullptr);
}

TEST(LanControllerWindow, EthernetConfigurationOpensTheRoutingTableWindow) {
    LanRig rig(sim::Model::Lan490, 490);
    bool lanWindow = false, routingWindow = false;
    openTwoWindows<LanControllerDialog, RoutingTableDialog>(
        rig.sim.session, ControllerWindow::LanController, "ethernet", lanWindow, routingWindow);
    EXPECT_TRUE(lanWindow);
    EXPECT_TRUE(routingWindow);
}

TEST(SubPanelWindow, TheConnectSequenceOpensItForASubPanel) {
    test::SimSession sim(test::simOptions(sim::Model::Sub4000, 7, 19200));
    ASSERT_TRUE(Connect(sim.session,
                        {QStringLiteral("QOV"), QStringLiteral("sim"), AutoDetectPosition, true},
                        [&](ControllerWindow window) {
                            EXPECT_EQ(window, ControllerWindow::SubPanel);
                            QString address;
                            test::whenModal<SubPanelDialog>([&](SubPanelDialog* dialog) {
                                address = dialog->findChild<AddressSpinBox*>()->text();
                                dialog->reject();
                            });
                            openControllerWindow(sim.session, window, nullptr);
                            EXPECT_EQ(address, QStringLiteral("7"));
                        }));
}

} // namespace
} // namespace vtl
