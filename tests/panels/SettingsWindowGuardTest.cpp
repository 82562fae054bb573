// The sub panel, ModBus Setup and main panel windows as real widgets against the simulated
// controllers: what they could not read they do not offer to send, and their fields take only what
// can be sent.
#include "panels/AddressSpinBox.h"
#include "panels/MainPanelDialog.h"
#include "panels/ModbusSetupDialog.h"
#include "panels/ModemStringDialog.h"
#include "panels/SubPanelDialog.h"
#include "tests/panels/SubPanelRig.h"
#include "tests/support/FindChild.h"
#include "tests/support/WhenModal.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace vtl {
namespace {

using sim::Model;
using test::subPanel;
using test::SubPanelRig;

using test::find;
using test::ModbusKey;

void click(QWidget& window, const char* name) {
    find<QAbstractButton>(window, name)->click();
}

// "command/point/table" of every write the controller heard, in either framing.
QStringList writesHeard(const sim::SimulatedController& controller) {
    QStringList writes;
    const int header = controller.subLan() ? 5 : 10; // after "EEE" 0x0E 0x0F, or "AAAAA12345"
    for (const auto& f : controller.framesNoted(QStringLiteral("request"))) {
        const auto at = [&f, header](int i) { return std::uint8_t(f.bytes[header + i]); };
        if (at(2) >= 100) writes << QStringLiteral("%1/%2/%3").arg(at(2)).arg(at(3)).arg(at(4));
    }
    return writes;
}

TEST(SubPanelWindowGuard, AnUnreadCompatibilityFlagIsShownUnknownAndCannotBeSent) {
    SubPanelRig rig(subPanel(Model::Sub4000, 5, 19200));
    ASSERT_TRUE(rig.connect());
    rig.s.controller.faults = {.noAnswer = true, .count = 1};
    SubPanelDialog dialog(rig.ops);
    dialog.start(); // the one read is given up: Cancel is the safe answer
    EXPECT_EQ(rig.s.ui.briefs(), QStringList{"[VTL] Problem Retrieving Panel Information."});
    auto* kestrom = find<QCheckBox>(dialog, "kestrom");
    EXPECT_FALSE(kestrom->isHidden());
    EXPECT_EQ(kestrom->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(kestrom->isEnabled());
    EXPECT_FALSE(find(dialog, "send")->isEnabled());
    EXPECT_EQ(dialog.view().kestromCompatible, std::nullopt);
    dialog.send(); // as Enter would try
    EXPECT_EQ(writesHeard(rig.s.controller), QStringList{});

    // A Load that reads the flag offers Send again.
    rig.s.controller.poke({50, 0, 104}, QByteArray(1, 1));
    click(dialog, "load");
    EXPECT_EQ(kestrom->checkState(), Qt::Checked);
    EXPECT_TRUE(kestrom->isEnabled());
    EXPECT_TRUE(find(dialog, "send")->isEnabled());
    EXPECT_TRUE(rig.violations().isEmpty()) << qPrintable(rig.violations().join('\n'));
}

struct ModbusWindowGuard : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(rig.connect());
        rig.forget();
    }
    SubPanelRig rig{subPanel(Model::Sub6000)};
    ModbusSetupOperations ops{rig.s.session};
    ModbusSetupDialog dialog{ops};
};

TEST_F(ModbusWindowGuard, AReadGivenUpLeavesOnlyCancel) {
    rig.s.controller.faults = {.noAnswer = true, .count = 1};
    dialog.start();
    // The zeroed record of the read given up is not shown as the controller's.
    EXPECT_FALSE(find<QRadioButton>(dialog, "rtu")->isChecked());
    EXPECT_FALSE(find<QRadioButton>(dialog, "ascii")->isChecked());
    EXPECT_EQ(find(dialog, "baud")->text(), "???");
    EXPECT_EQ(find(dialog, "data")->text(), "???");
    for (const char* control : {"rtu", "ascii", "baud", "data", "ok"})
        EXPECT_FALSE(find<QWidget>(dialog, control)->isEnabled()) << control;
    dialog.accept(); // as Enter would try
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(writesHeard(rig.s.controller), QStringList{});
}

TEST_F(ModbusWindowGuard, OkWritesBackWhatReadAsUnknown) {
    // ASCII, a divisor the window does not know, a format it does not know.
    rig.s.controller.poke(ModbusKey, QByteArray::fromHex("05016309"));
    dialog.start();
    EXPECT_EQ(dialog.view(), (ModbusView{true, "???", "???"}));
    click(dialog, "ok");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(rig.s.controller.peek(ModbusKey).toHex(), "05016309");
    EXPECT_EQ(writesHeard(rig.s.controller), QStringList{"150/0/110"});
}

TEST_F(ModbusWindowGuard, OnlyAChangeOfModeResetsTheFormat) {
    rig.s.controller.poke(ModbusKey, QByteArray::fromHex("00001a13")); // RTU, 19200, O-8-1
    dialog.start();
    click(dialog, "rtu");
    EXPECT_EQ(find(dialog, "data")->text(), "O-8-1");
    click(dialog, "ascii");
    EXPECT_EQ(find(dialog, "data")->text(), "E-7-1");
    click(dialog, "ascii");
    click(dialog, "data");
    click(dialog, "ascii");
    EXPECT_EQ(find(dialog, "data")->text(), "O-7-1");
    click(dialog, "rtu");
    EXPECT_EQ(find(dialog, "data")->text(), "N-8-1");
    click(dialog, "ok");
    EXPECT_EQ(rig.s.controller.peek(ModbusKey).toHex(), "00001a00");
}

struct MainPanelWindowGuard : ::testing::Test {
    explicit MainPanelWindowGuard(QList<sim::RecordKey> silent = {})
        : s(options(std::move(silent))) {
        s.state.BaudRate = 19200;
        s.state.PanelAddress = 127;
        s.connectLan();
    }
    static sim::ControllerOptions options(QList<sim::RecordKey> silent) {
        auto o = test::simOptions(Model::Main, 9, 19200);
        o.silentReads = std::move(silent);
        return o;
    }
    test::SimSession s;
};

TEST_F(MainPanelWindowGuard, NoSendWithoutTheSettingsRead) {
    s.controller.faults = {.noAnswer = true, .count = 1};
    MainPanelDialog dialog(s.session);
    dialog.start();
    EXPECT_EQ(s.ui.briefs().first(), "[Error] Communication Error");
    EXPECT_FALSE(find(dialog, "send")->isEnabled());
    dialog.send();
    EXPECT_EQ(writesHeard(s.controller), QStringList{});
    click(dialog, "load");
    EXPECT_TRUE(find(dialog, "send")->isEnabled());
}

struct MainPanelModemStringUnread : MainPanelWindowGuard {
    MainPanelModemStringUnread() : MainPanelWindowGuard({{38, 31, 252}}) {}
};

TEST_F(MainPanelModemStringUnread, SendLeavesTheControllersStringAlone) {
    MainPanelDialog dialog(s.session);
    dialog.start();
    EXPECT_EQ(s.ui.briefs(), QStringList{"[Error] Communication Error"});
    EXPECT_TRUE(find(dialog, "send")->isEnabled());
    // The editor shows no string from another window.
    QString shown;
    test::whenModal<ModemStringDialog>([&shown](ModemStringDialog* editor) {
        shown = find<QLineEdit>(*editor, "modemString")->text();
        editor->reject();
    });
    click(dialog, "computerBRole");
    EXPECT_EQ(shown, "");
    click(dialog, "send");
    EXPECT_EQ(writesHeard(s.controller), QStringList{"138/49/0"});
    EXPECT_EQ(s.controller.peek({38, 31, 252}).left(4), QByteArray("ATZ\0", 4));

    // Entered in the editor, it is meant: it goes out. A paste with a tab, or of more than fits,
    // is taken only as far as the controller keeps it.
    test::whenModal<ModemStringDialog>([](ModemStringDialog* editor) {
        auto* field = find<QLineEdit>(*editor, "modemString");
        field->insert("AT&F\tX");
        field->insert("AT&F" + QString(40, u'X'));
        editor->accept();
    });
    click(dialog, "computerBRole");
    s.controller.clearFrames();
    click(dialog, "send");
    EXPECT_EQ(writesHeard(s.controller), (QStringList{"138/31/252", "138/49/0"}));
    EXPECT_EQ(s.controller.peek({38, 31, 252}), QByteArray("AT&F") + QByteArray(28, 'X'));
    EXPECT_TRUE(s.controller.violations().isEmpty());
}

TEST(AddressFields, TakeDigitsOnlyAndAnEmptyOneGetsItsAddressBack) {
    struct Row {
        const char* typed;
        const char* shown; // after leaving the field
    };
    for (const Row& r : {Row{"7", "7"}, Row{"x", "12"}, Row{"1a2", "12"}, Row{"", "12"},
                         Row{"0", "1"}, Row{"999", "125"}, Row{"12345", "123"}}) {
        AddressSpinBox field;
        field.setText("12");
        field.setText("");
        QTest::keyClicks(&field, r.typed);
        field.commit();
        EXPECT_EQ(field.text(), r.shown) << r.typed;
    }
}

} // namespace
} // namespace vtl
