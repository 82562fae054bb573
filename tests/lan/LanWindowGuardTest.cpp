// The LAN controller and BACnet windows as real widgets against the simulated controller: fields
// take only what can be sent, a half-typed address is refused, and what was not read is not
// offered for sending.
#include "lan/BacnetDeviceDialog.h"
#include "lan/LanControllerDialog.h"
#include "tests/lan/LanRig.h"
#include "tests/support/FindChild.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::LanRig;

using test::find;

// What a field holds after the user typed `typed` into it, or pasted it when `paste`.
QString enter(QLineEdit* field, const QString& typed, bool paste = false) {
    field->clear();
    if (paste)
        field->insert(typed);
    else
        QTest::keyClicks(field, typed);
    return field->text();
}

TEST(LanWindowGuard, SmtpAddressTakesOnlyOctetsAndAHalfTypedOneIsRefused) {
    LanRig rig(sim::Model::Lan600);
    LanControllerDialog dialog(rig.sim.session);
    dialog.start();
    auto* smtp = find<QLineEdit>(dialog, "smtp");
    struct Row {
        const char* typed;
        const char* held;
    };
    for (const Row& r : {Row{"300.1.999.4", "30.1.99.4"}, Row{"10.20.30.40", "10.20.30.40"},
                         Row{"1.2.3.4.5", "1.2.3.45"}, Row{"a10,2", "102"}})
        EXPECT_EQ(enter(smtp, r.typed), r.held) << r.typed;

    const QByteArray before = rig.settings();
    for (const char* halfTyped : {"10.2", "10.2.0.", ""}) {
        rig.sim.ui.messages.clear();
        rig.sim.controller.clearFrames();
        enter(smtp, halfTyped);
        QTest::mouseClick(find(dialog, "send"), Qt::LeftButton);
        EXPECT_EQ(rig.sim.ui.briefs(),
                  QStringList{"[VTL] Invalid SMTP IP Address. Configuration NOT Sent."})
            << halfTyped;
        EXPECT_EQ(rig.requestsWithCommand(138), 0) << halfTyped;
    }
    EXPECT_EQ(rig.settings(), before);

    enter(smtp, "10.2.0.255");
    QTest::mouseClick(find(dialog, "send"), Qt::LeftButton);
    EXPECT_EQ(rig.settings().mid(43, 4).toHex(), "0a0200ff");
}

TEST(LanWindowGuard, TextFieldsTakeWhatTheControllerKeeps) {
    LanRig rig;
    LanControllerDialog dialog(rig.sim.session);
    dialog.start();
    struct Row {
        const char* field;
        QString pasted;
        QString held;
    };
    const QString fifty(50, u'x');
    for (const Row& r :
         {Row{"modemString", fifty, fifty.left(32)}, Row{"modemString", "AT\tZ", ""},
          Row{"modemString", "AT\u00e9", ""}, Row{"modemString", "AT&F1 S0=0", "AT&F1 S0=0"}})
        EXPECT_EQ(enter(find<QLineEdit>(dialog, r.field), r.pasted, true), r.held) << r.field;

    BacnetDeviceDialog bacnet(rig.sim.session);
    bacnet.start();
    for (const Row& r :
         {Row{"name", fifty, fifty.left(30)}, Row{"name", "AHU\n1", ""},
          Row{"location", fifty + fifty, (fifty + fifty).left(60)},
          Row{"description", "Chaufferie \u00e9t\u00e9", ""}, Row{"instance", "12x", ""},
          Row{"instance", "12345678", ""}, Row{"instance", "4194303", "4194303"}})
        EXPECT_EQ(enter(find<QLineEdit>(bacnet, r.field), r.pasted, true), r.held) << r.field;
}

TEST(LanWindowGuard, BacnetReadGivenUpLeavesOnlyCancel) {
    LanRig rig;
    rig.sim.state.PanelAddress = 12;
    rig.sim.controller.faults = {.noAnswer = true, .count = 1};
    BacnetDeviceDialog dialog(rig.sim.session);
    dialog.start();
    EXPECT_EQ(rig.sim.ui.briefs(), QStringList{"[VTL] Communication Error"});
    EXPECT_FALSE(find(dialog, "ok")->isEnabled());
    QTest::mouseClick(find(dialog, "clear"), Qt::LeftButton);
    dialog.ok(); // as Enter would try
    EXPECT_EQ(rig.requestsWithCommand(150), 0);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

} // namespace
} // namespace vtl
