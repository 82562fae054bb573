#include "panels/SubPanelDialog.h"
#include "panels/AddressSpinBox.h"
#include "panels/ModbusSetupDialog.h"
#include "tests/panels/SubPanelRig.h"
#include "tests/support/FindChild.h"
#include "tests/support/WhenModal.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vtl {
namespace {

using sim::Model;
using test::subPanel;
using test::SubPanelRig;

using test::find;
using test::ModbusKey;

QString press(QWidget& window, const char* name) {
    auto* button = find(window, name);
    QTest::mouseClick(button, Qt::LeftButton);
    return button->text();
}

struct SubPanelWindow : ::testing::Test {
    void open(Model model) {
        rig = std::make_unique<SubPanelRig>(subPanel(model, 5, 19200));
        ASSERT_TRUE(rig->connect());
        dialog = std::make_unique<SubPanelDialog>(rig->ops);
        dialog->start();
    }
    std::unique_ptr<SubPanelRig> rig;
    std::unique_ptr<SubPanelDialog> dialog;
};

TEST_F(SubPanelWindow, TextsOfTheWindow) {
    open(Model::Sub3000);
    EXPECT_EQ(dialog->windowTitle(), "Vantrel");
    QStringList groups;
    for (auto* g : dialog->findChildren<QGroupBox*>())
        groups.append(g->title());
    EXPECT_EQ(groups, (QStringList{"Sub Panel Configuration", ""}));
    QStringList buttons;
    for (auto* b : dialog->findChildren<QPushButton*>())
        buttons.append(b->text());
    // Cancel belongs to the progress bar beside the status line, hidden until a backup or restore.
    EXPECT_EQ(buttons,
              (QStringList{"19200", "ModBus Setup", "Panel File Backup", "Panel File Restore",
                           "Cancel", "&Load", "&Send", "Clea&r", "&Close", "&Help"}));
    QStringList labels;
    for (auto* l : dialog->findChildren<QLabel*>())
        labels.append(l->text());
    EXPECT_EQ(labels, (QStringList{"Panel Address", "Panel Baud", "Last Panel",
                                   "Comm LED Must Be In A Rapid Flash To Communicate.", ""}));
    EXPECT_EQ(find<QCheckBox>(*dialog, "lastPanel")->text(), "Yes");
    EXPECT_EQ(find<QCheckBox>(*dialog, "kestrom")->text(), "Kestrom Compatible");
    EXPECT_TRUE(find<QCheckBox>(*dialog, "kestrom")->isHidden());
    EXPECT_TRUE(find(*dialog, "modbus")->isHidden());
    EXPECT_TRUE(find(*dialog, "send")->isDefault());
    EXPECT_TRUE(find<QLineEdit>(*dialog, "status")->isReadOnly());
    EXPECT_EQ(find<AddressSpinBox>(*dialog, "address")->text(), "5");
}

TEST_F(SubPanelWindow, OptionalControlsFollowTheModelAndLoadLeavesModbusAlone) {
    open(Model::Sub4000);
    EXPECT_FALSE(find<QCheckBox>(*dialog, "kestrom")->isHidden());
    EXPECT_TRUE(find(*dialog, "modbus")->isHidden());

    open(Model::Sub6000);
    EXPECT_TRUE(find<QCheckBox>(*dialog, "kestrom")->isHidden());
    EXPECT_FALSE(find(*dialog, "modbus")->isHidden());
    auto v = dialog->view();
    v.modbusShown = false;
    dialog->showView(v);
    press(*dialog, "load");
    EXPECT_TRUE(find(*dialog, "modbus")->isHidden());
    EXPECT_TRUE(rig->s.ui.messages.isEmpty());
}

TEST_F(SubPanelWindow, BaudButtonReachesOnlyThreeRates) {
    open(Model::Sub3000);
    auto v = dialog->view();
    v.baudText = "4800";
    dialog->showView(v);
    EXPECT_EQ(press(*dialog, "baud"), "9600");
    EXPECT_EQ(press(*dialog, "baud"), "19200");
    EXPECT_EQ(press(*dialog, "baud"), "38400");
    EXPECT_EQ(press(*dialog, "baud"), "9600");
    v.baudText = "";
    dialog->showView(v);
    EXPECT_EQ(press(*dialog, "baud"), "9600");
}

TEST_F(SubPanelWindow, ModbusSetupOpensFromItsButton) {
    open(Model::Sub6000);
    rig->s.controller.poke(ModbusKey, QByteArray::fromHex("01003402"));
    rig->forget();
    QString seen;
    test::whenModal<ModbusSetupDialog>([&seen](ModbusSetupDialog* w) {
        seen = w->windowTitle() + " " + w->view().dataText;
        press(*w, "cancel");
    });
    press(*dialog, "modbus");
    EXPECT_EQ(seen, "ModBus Setup E-7-1");
    EXPECT_EQ(rig->requests(), QStringList{"5/50/0/110"}); // Cancel writes nothing
}

struct ModbusWindow : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(rig.connect());
        rig.s.controller.poke(ModbusKey, QByteArray::fromHex("01003402"));
        rig.forget();
        dialog.start();
    }
    SubPanelRig rig{subPanel(Model::Sub6000)};
    ModbusSetupOperations ops{rig.s.session};
    ModbusSetupDialog dialog{ops};
};

TEST_F(ModbusWindow, ModeButtonsResetTheFormatNotTheRate) {
    EXPECT_EQ(dialog.windowTitle(), "ModBus Setup");
    EXPECT_TRUE(find<QRadioButton>(dialog, "ascii")->isChecked());
    EXPECT_EQ(find(dialog, "baud")->text(), "9600");
    EXPECT_EQ(find(dialog, "data")->text(), "E-7-1");
    EXPECT_TRUE(find(dialog, "ok")->isDefault());

    EXPECT_EQ(press(dialog, "baud"), "19200");
    EXPECT_EQ(press(dialog, "baud"), "38400");
    EXPECT_EQ(press(dialog, "baud"), "2400");
    EXPECT_EQ(press(dialog, "baud"), "9600");
    EXPECT_EQ(press(dialog, "baud"), "19200");
    find<QRadioButton>(dialog, "rtu")->click();
    EXPECT_EQ(find(dialog, "data")->text(), "N-8-1");
    EXPECT_EQ(press(dialog, "data"), "E-8-1");
    EXPECT_EQ(press(dialog, "data"), "O-8-1");
    find<QRadioButton>(dialog, "ascii")->click();
    EXPECT_EQ(find(dialog, "data")->text(), "E-7-1");
    EXPECT_EQ(press(dialog, "data"), "O-7-1");
    EXPECT_EQ(press(dialog, "data"), "E-7-1");
    find<QRadioButton>(dialog, "rtu")->click();
    EXPECT_EQ(find(dialog, "data")->text(), "N-8-1");
    EXPECT_EQ(find(dialog, "baud")->text(), "19200");

    // ASCII with an RTU format left from a read: one press gives the first ASCII format.
    dialog.showView({true, "9600", "N-8-1"});
    EXPECT_EQ(press(dialog, "data"), "E-7-1");
}

TEST_F(ModbusWindow, OkWritesWhatTheControlsShowAndCloses) {
    press(dialog, "ok");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(rig.requests(), (QStringList{"5/50/0/110", "5/150/0/110 [01 00 34 02]"}));
    EXPECT_TRUE(rig.violations().isEmpty()) << qPrintable(rig.violations().join('\n'));
}

} // namespace
} // namespace vtl
