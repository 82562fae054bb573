#include "lan/BacnetDeviceOperations.h"
#include "tests/lan/LanRig.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::LanRig;

// A BACnet block: instance 260001, "SIM Device", "Plant Room", "Simulated controller", byte 157
// = 0x9D, APDU 3000, max master 127, token 20, then 0xC0 + n up to `size`.
QByteArray bacnetBlock(int size = 200) {
    QByteArray b(std::max(size, 164), '\0');
    b.replace(0, 4, QByteArray::fromHex("0003f7a1"));
    b.replace(4, 10, "SIM Device");
    b.replace(35, 10, "Plant Room");
    b.replace(96, 20, "Simulated controller");
    b[157] = char(0x9D);
    b.replace(158, 6, QByteArray::fromHex("00000bb87f14"));
    for (int i = 164; i < b.size(); ++i)
        b[i] = char(0xC0 + i);
    return b.left(size);
}

struct BacnetRig : LanRig {
    BacnetRig() { sim.state.PanelAddress = 12; }
    QByteArray written() const { return sim.controller.peek(BacnetKey); }
    BacnetDeviceOperations ops{sim.session};
};

TEST(Bacnet, ShowsTheBlockAndWritesItBackWholeWithTheFieldsReplaced) {
    BacnetRig rig;
    rig.sim.controller.poke(LanRig::BacnetKey, bacnetBlock());
    BacnetDeviceView view;
    ASSERT_TRUE(rig.ops.open(view));
    EXPECT_EQ(view, (BacnetDeviceView{"260001", "SIM Device", "Plant Room", "Simulated controller",
                                      "3000", "20", "127"}));
    view.instance = "4194303";
    view.name = QString(40, u'N');
    view.location = "";
    view.apduTimeout = "60000";
    view.tokenTimeout = "100";
    view.maxMaster = "0";
    ASSERT_EQ(rig.ops.ok(view), BacnetDeviceOperations::Outcome::Sent);
    EXPECT_EQ(rig.sim.ui.briefs(), QStringList{"[VTL] BACnet Configuration Sent"});
    EXPECT_EQ(rig.sim.ui.messages.last().icon, MessageIcon::None);

    QByteArray expected = bacnetBlock();
    expected.replace(0, 4, QByteArray::fromHex("003fffff"));
    expected.replace(4, 31, QByteArray(30, 'N') + '\0');
    expected.replace(35, 61, QByteArray(61, '\0'));
    expected.replace(158, 6, QByteArray::fromHex("0000ea600064"));
    EXPECT_EQ(rig.written().toHex(' '), expected.toHex(' '));
}

TEST(Bacnet, ChecksInOrderWithTheirMessages) {
    struct Row {
        BacnetDeviceView view;
        const char* message;
    };
    const BacnetDeviceView good{"5", "n", "", "", "50", "20", "0"};
    auto with = [&](auto change) {
        BacnetDeviceView v = good;
        change(v);
        return v;
    };
    const Row rows[] = {
        {with([](auto& v) { v.instance = "4194304"; }),
         "Invalid Device Number. Configuration NOT Sent."},
        {with([](auto& v) { v.instance = "-1"; }),
         "Invalid Device Number. Configuration NOT Sent."},
        // An emptied number field is no number, not a 0.
        {with([](auto& v) {
             v.instance = "";
             v.name = "";
         }),
         "Invalid Device Number. Configuration NOT Sent."},
        {with([](auto& v) {
             v.name = "";
             v.apduTimeout = "49";
         }),
         "Device Must Be Assigned A Name. Configuration NOT Sent."},
        {with([](auto& v) {
             v.apduTimeout = "60001";
             v.maxMaster = "128";
         }),
         "Invalid APDU Timeout. Configuration NOT Sent."},
        {with([](auto& v) { v.tokenTimeout = "19"; }),
         "Invalid Token Timeout. Configuration NOT Sent."},
        {with([](auto& v) { v.tokenTimeout = "101"; }),
         "Invalid Token Timeout. Configuration NOT Sent."},
        {with([](auto& v) { v.maxMaster = "128"; }), "Invalid Max Master. Configuration NOT Sent."},
        {with([](auto& v) { v.maxMaster = ""; }), "Invalid Max Master. Configuration NOT Sent."},
    };
    BacnetRig rig;
    BacnetDeviceView view;
    ASSERT_TRUE(rig.ops.open(view));
    const QByteArray before = rig.written();
    for (const Row& row : rows) {
        rig.sim.ui.messages.clear();
        EXPECT_EQ(rig.ops.ok(row.view), BacnetDeviceOperations::Outcome::Refused) << row.message;
        ASSERT_EQ(rig.sim.ui.messages.size(), 1);
        EXPECT_EQ(rig.sim.ui.messages[0].brief(), QStringLiteral("[VTL] %1").arg(row.message));
        EXPECT_EQ(rig.sim.ui.messages[0].icon, MessageIcon::Stop);
    }
    EXPECT_EQ(rig.requestsWithCommand(150), 0);
    EXPECT_EQ(rig.written(), before);

    // Instance 0 may go without a name.
    EXPECT_EQ(rig.ops.ok(with([](auto& v) {
        v.instance = "0";
        v.name = "";
    })),
              BacnetDeviceOperations::Outcome::Sent);
    EXPECT_EQ(rig.written().left(5).toHex(), "0000000000");
    EXPECT_EQ(rig.written().mid(158, 6).toHex(), "000000320014");
}

TEST(Bacnet, ShortLongAndOddReplies) {
    struct Row {
        const char* name;
        QByteArray read;
        BacnetDeviceView shown;
        QByteArray sent; // with the fields as shown
    };
    QByteArray oddInstance = bacnetBlock();
    oddInstance.replace(0, 4, QByteArray::fromHex("01000005"));
    QByteArray sentOdd = oddInstance;
    sentOdd.replace(0, 4, QByteArray(4, '\0'));
    const BacnetDeviceView zeros{"0", "", "", "", "0", "0", "0"};
    // A reply of 100 bytes: past its end everything reads as zero, and 164 bytes go back.
    const QByteArray hundred = bacnetBlock(100);
    QByteArray sentHundred = hundred + QByteArray(64, '\0');
    sentHundred.replace(158, 6, QByteArray::fromHex("000000320014"));
    const Row rows[] = {
        {"oddInstance",
         oddInstance,
         {"0", "SIM Device", "Plant Room", "Simulated controller", "3000", "20", "127"},
         sentOdd},
        {"hundredBytes",
         hundred,
         {"260001", "SIM Device", "Plant Room", "Simu", "0", "0", "0"},
         {}},
        {"over1000", bacnetBlock(1001), zeros, {}},
    };
    for (const Row& row : rows) {
        BacnetRig rig;
        rig.sim.controller.poke(LanRig::BacnetKey, row.read);
        BacnetDeviceView view;
        ASSERT_TRUE(rig.ops.open(view)) << row.name;
        EXPECT_EQ(view, row.shown) << row.name;
        if (row.sent.isEmpty()) continue;
        ASSERT_EQ(rig.ops.ok(view), BacnetDeviceOperations::Outcome::Sent) << row.name;
        EXPECT_EQ(rig.written().toHex(' '), row.sent.toHex(' ')) << row.name;
    }

    // Fields brought into range on a short or oversized read go back as 164 bytes.
    for (const QByteArray& read : {hundred, bacnetBlock(1001)}) {
        BacnetRig rig;
        rig.sim.controller.poke(LanRig::BacnetKey, read);
        BacnetDeviceView view;
        ASSERT_TRUE(rig.ops.open(view));
        view.apduTimeout = "50";
        view.tokenTimeout = "20";
        ASSERT_EQ(rig.ops.ok(view), BacnetDeviceOperations::Outcome::Sent);
        EXPECT_EQ(rig.written().size(), 164);
        const QByteArray expected =
            read.size() == 100 ? sentHundred
                               : QByteArray(158, '\0') + QByteArray::fromHex("000000320014");
        EXPECT_EQ(rig.written().toHex(' '), expected.toHex(' '));
    }
}

TEST(Bacnet, AFailedReadLeavesTheFieldsEmptyAndWritesNothing) {
    BacnetRig rig;
    rig.sim.controller.poke(LanRig::BacnetKey, bacnetBlock());
    rig.sim.buffers.ReplyBuffer.fill(0x55);
    rig.sim.controller.faults = {.corruptSum = true, .count = 1};
    BacnetDeviceView view;
    EXPECT_FALSE(rig.ops.open(view));
    EXPECT_EQ(view, BacnetDeviceView{});
    EXPECT_EQ(rig.sim.ui.briefs(), QStringList{"[VTL] Communication Error"});
    EXPECT_EQ(rig.sim.ui.messages[0].icon, MessageIcon::Exclamation);

    // OK would write a block of zeros with the fields over it: refused without a word (the window
    // offers no OK).
    EXPECT_FALSE(rig.ops.canSend());
    view = clearedBacnetView();
    EXPECT_EQ(view, (BacnetDeviceView{"0", "", "", "", "50", "20", "127"}));
    rig.sim.ui.messages.clear();
    EXPECT_EQ(rig.ops.ok(view), BacnetDeviceOperations::Outcome::Refused);
    EXPECT_TRUE(rig.sim.ui.messages.isEmpty());
    EXPECT_EQ(rig.requestsWithCommand(150), 0);
    EXPECT_EQ(rig.written(), bacnetBlock());
}

TEST(Bacnet, AFailedWriteKeepsTheWindowOpen) {
    BacnetRig rig;
    BacnetDeviceView view;
    ASSERT_TRUE(rig.ops.open(view));
    rig.sim.controller.faults = {.dropAnswer = true, .count = 1};
    EXPECT_EQ(rig.ops.ok(view), BacnetDeviceOperations::Outcome::Failed);
    EXPECT_EQ(rig.sim.ui.briefs(), QStringList{"[VTL] Communication Error"});
    EXPECT_EQ(rig.sim.ui.messages[0].icon, MessageIcon::Exclamation);
}

} // namespace
} // namespace vtl
