#include "tests/routing/RoutingRig.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

// A table edited away from what the controller holds, with marks, an odd interval, mask and MTU.
void editTable(RoutingTable& t, RoutingMode mode) {
    t.rows[0].ip = QStringLiteral("172.16.5.1");
    t.rows[0].mac = QStringLiteral("12-34-56-78-9A-BC");
    t.subnetMask = QStringLiteral("255.255.252.0");
    t.mtu = QStringLiteral("1400");
    if (mode == RoutingMode::Lan) {
        t.rows[0].broadcast = true;
        t.rows[9].broadcast = true;
        t.rows[0].intervalMs = 7000;
        t.rows[1].intervalMs = 60000;
        t.rows[1].gateway = QStringLiteral("172.16.5.254");
    }
}

TEST(RoutingTableFile, SaveThenOpenInTheSameModeGivesTheSameTableWithoutTheController) {
    for (const RoutingMode mode : {RoutingMode::Lan, RoutingMode::MainPanel}) {
        SCOPED_TRACE(routingModeName(mode).toStdString());
        RoutingRig rig(mode);
        rig.ops.open();
        editTable(rig.ops.table(), mode);
        const RoutingTable saved = rig.ops.table();
        ASSERT_TRUE(rig.ops.saveFile(rig.path()));

        const QByteArray bytes = rig.fileBytes(rig.path());
        const auto block = buildRoutingTableBlock(mode, saved, 3);
        if (mode == RoutingMode::Lan) {
            ASSERT_EQ(bytes.size(), 2502);
            EXPECT_EQ(bytes.left(2), QByteArray("\x5A\x14"));
            EXPECT_EQ(bytes.mid(2, 2100),
                      QByteArray(reinterpret_cast<const char*>(block.data()), 2100));
        } else {
            ASSERT_EQ(bytes.size(), 2500);
            EXPECT_EQ(bytes.left(1276),
                      QByteArray(reinterpret_cast<const char*>(block.data()), 1276));
        }

        const int served = rig.sim.controller.requestsServed();
        rig.ops.clear();
        ASSERT_NE(rig.ops.table(), saved);
        ASSERT_TRUE(rig.ops.openFile(rig.path()));
        EXPECT_EQ(rig.ops.table(), saved);
        EXPECT_EQ(rig.ops.broadcastCount(), mode == RoutingMode::Lan ? 2 : 0);
        EXPECT_EQ(rig.sim.controller.requestsServed(), served);
        EXPECT_TRUE(rig.sim.ui.messages.isEmpty()) << rig.sim.ui.briefs().join('\n').toStdString();
    }
}

struct Refusal {
    const char* name;
    RoutingMode savedIn;
    const char* gateway; // the first row's address when saved
    RoutingMode openedIn;
    const char* message; // empty: accepted
    const char* reason;
};

TEST(RoutingTableFile, AFileIsReadOnlyInTheModeItWasWrittenIn) {
    const Refusal cases[] = {
        {"main panel file in LAN mode", RoutingMode::MainPanel, "10.0.0.1", RoutingMode::Lan,
         "This File Is Not For A RZQ-410.", "the file holds a RZQ-320 table"},
        // Marked by its gateway, but two bytes short of a LAN file.
        {"main panel file whose gateway begins 90.20, in LAN mode", RoutingMode::MainPanel,
         "90.20.0.0", RoutingMode::Lan, "This File Is Not For A RZQ-410.",
         "the file holds a RZQ-320 table"},
        {"LAN file in LAN mode", RoutingMode::Lan, "10.0.0.1", RoutingMode::Lan, "", ""},
        {"LAN file in main panel mode", RoutingMode::Lan, "10.0.0.1", RoutingMode::MainPanel,
         "This File Is Not For A RZQ-320.", "the file holds a RZQ-410 table"},
        {"main panel file whose gateway begins 90.20, in main panel mode", RoutingMode::MainPanel,
         "90.20.0.0", RoutingMode::MainPanel, "This File Is Not For A RZQ-320.",
         "its GW address begins 90.20, the mark of a RZQ-410 file"},
        {"main panel file whose gateway begins 90.2, in main panel mode", RoutingMode::MainPanel,
         "90.2.0.0", RoutingMode::MainPanel, "", ""},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        RoutingRig writer(c.savedIn);
        writer.ops.open();
        writer.ops.table().rows[0].ip = QString::fromLatin1(c.gateway);
        ASSERT_TRUE(writer.ops.saveFile(writer.path()));
        // Saved, with a word that it will not open again.
        const bool marked = c.savedIn == RoutingMode::MainPanel &&
                            QString::fromLatin1(c.gateway).startsWith(QLatin1String("90.20."));
        EXPECT_EQ(writer.sim.ui.briefs(),
                  marked ? QStringList{"[Warning!] The GW Address Begins 90.20, The Mark Of A "
                                       "RZQ-410 File: The File Is Saved, But File Open Will "
                                       "Refuse It."}
                         : QStringList{});

        RoutingRig reader(c.openedIn);
        reader.ops.open();
        const RoutingTable before = reader.ops.table();
        const bool accepted = reader.ops.openFile(writer.path());
        EXPECT_EQ(accepted, *c.message == 0);
        if (accepted) continue;
        EXPECT_EQ(reader.ops.table(), before);
        ASSERT_EQ(reader.sim.ui.messages.size(), 1);
        EXPECT_EQ(reader.sim.ui.messages[0].brief(), QStringLiteral("[Error] %1").arg(c.message));
        EXPECT_EQ(reader.sim.ui.messages[0].detail, c.reason);
        EXPECT_EQ(reader.sim.ui.messages[0].icon, MessageIcon::Stop);
    }
}

struct BadFile {
    const char* name;
    QByteArray bytes; // empty: no file
    const char* message;
    const char* reason;
};

// A routing table file has exactly the size of its block and filler; anything else is refused
// whole, whatever its first bytes say.
TEST(RoutingTableFile, AFileOfAnyOtherSizeIsRefusedWithItsSizeAndChangesNothing) {
    RoutingRig rig(RoutingMode::Lan);
    rig.ops.open();
    const RoutingTable before = rig.ops.table();
    ASSERT_TRUE(rig.ops.saveFile(rig.path("FULL.NET")));
    const QByteArray full = rig.fileBytes(rig.path("FULL.NET"));
    QByteArray random(2560, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    const char* sizeReason = " bytes; a routing table file holds 2502 bytes that begin 90, 20 "
                             "(RZQ-410) or 2500 bytes (RZQ-320)";
    const BadFile cases[] = {
        {"SHORT.NET", full.left(2101), "Error In Reading The File.", "the file holds 2101"},
        {"ONE.NET", full.left(1), "Error In Reading The File.", "the file holds 1"},
        {"LONG.NET", full + 'x', "Error In Reading The File.", "the file holds 2503"},
        {"RANDOM.NET", QByteArray("\x5A\x14") + random, "Error In Reading The File.",
         "the file holds 2562"},
        {"PANEL.NET", QByteArray("RZQ Panel File").leftJustified(4000, '\x01'),
         "Error In Reading The File.", "the file holds 4000"},
        {"MAIN.NET", QByteArray(2500, '\x01'), "This File Is Not For A RZQ-410.",
         "the file holds a RZQ-320 table"},
        {"MISSING.NET", {}, "Error In Reading The File.", "No such file or directory"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bytes.isEmpty()) rig.writeFile(rig.path(c.name), c.bytes);
        rig.sim.ui.messages.clear();
        EXPECT_FALSE(rig.ops.openFile(rig.path(c.name)));
        EXPECT_EQ(rig.ops.table(), before);
        ASSERT_EQ(rig.sim.ui.messages.size(), 1);
        EXPECT_EQ(rig.sim.ui.messages[0].brief(), QStringLiteral("[Error] %1").arg(c.message));
        const QString reason = QString::fromLatin1(c.reason);
        EXPECT_EQ(rig.sim.ui.messages[0].detail,
                  reason.back().isDigit() ? reason + QLatin1String(sizeReason) : reason);
    }
    EXPECT_FALSE(QFile::exists(rig.path("MISSING.NET")));
}

TEST(RoutingTableFile, AFailedSaveLeavesTheOldFileAsItWas) {
    RoutingRig rig(RoutingMode::MainPanel);
    rig.ops.open();
    const QByteArray old("an older routing table");
    for (const qint64 budget : {0, 1000, 2499}) {
        SCOPED_TRACE(budget);
        rig.writeFile(rig.path(), old);
        rig.sim.ui.messages.clear();
        FailingSaveFile file(rig.path(), budget);
        EXPECT_FALSE(rig.ops.saveFile(file));
        EXPECT_EQ(rig.fileBytes(rig.path()), old);
        EXPECT_EQ(rig.dirEntries(), QStringList{"TABLE.NET"});
        ASSERT_EQ(rig.sim.ui.messages.size(), 1);
        EXPECT_EQ(rig.sim.ui.messages[0].brief(),
                  "[Error] Error In Writing To The File. File May Be Marked As Read-Only.");
        EXPECT_FALSE(rig.sim.ui.messages[0].detail.isEmpty());
        EXPECT_EQ(rig.sim.ui.messages[0].icon, MessageIcon::Stop);
    }
    // A folder that is not there cannot take the file either.
    EXPECT_FALSE(rig.ops.saveFile(rig.path("none/TABLE.NET")));
}

} // namespace
} // namespace vtl::test
