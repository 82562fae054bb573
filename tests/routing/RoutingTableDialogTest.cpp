#include "routing/RoutingTableDialog.h"
#include "tests/routing/RoutingRig.h"
#include "tests/support/Processes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

// The window as real widgets on the offscreen platform, over a simulated controller.
struct RoutingWindow {
    // `before` runs before the window opens (a controller that will not answer).
    explicit RoutingWindow(RoutingMode mode, const std::function<void(RoutingRig&)>& before = {})
        : rig(mode), dialog(rig.sim.session) {
        if (before) before(rig);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.start();
    }
    template <typename W = QPushButton> W* find(const QString& name) {
        auto* w = dialog.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    template <typename W> W* at(const char* name, int row) {
        return find<W>(QString::fromLatin1(name) + QString::number(row));
    }
    void press(const char* name) {
        QTest::mouseClick(find<QAbstractButton>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    // Types into an edit as a user does, then moves on to another control.
    void type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        find(QStringLiteral("close"))->setFocus();
    }
    // The page as the user picks it: by its number, or with PgUp/PgDn in whatever has the focus.
    void turnTo(int page) {
        auto* spin = find<QSpinBox>(QStringLiteral("page"));
        spin->setFocus();
        spin->setValue(page);
    }
    void pageKey(Qt::Key key, int times = 1) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &dialog;
        for (int i = 0; i < times; ++i)
            QTest::keyClick(target, key);
    }
    int shownPage() { return find<QSpinBox>(QStringLiteral("page"))->value(); }
    QStringList shownLabels() {
        QStringList labels;
        for (int i = 0; i < 4; ++i)
            if (at<QLineEdit>("ip", i)->isVisible()) labels << at<QLabel>("label", i)->text();
        return labels;
    }

    RoutingRig rig;
    RoutingTableDialog dialog;
};

TEST(RoutingTableWindow, TextsOfTheWindow) {
    RoutingWindow w(RoutingMode::Lan);
    EXPECT_EQ(w.dialog.windowTitle(), "IP Routing Table");
    QStringList buttons;
    for (auto* b : w.dialog.findChildren<QPushButton*>())
        buttons << b->text();
    EXPECT_EQ(buttons, (QStringList{"File &Open", "File Sa&ve", "&Load", "&Send", "Clea&r",
                                    "&Close", "&Help"}));
    EXPECT_EQ(w.find<QGroupBox>("gatewayGroup")->title(), "Gateway");
    QStringList intervals;
    for (int i = 0; i < w.at<QComboBox>("interval", 0)->count(); ++i)
        intervals << w.at<QComboBox>("interval", 0)->itemText(i);
    EXPECT_EQ(intervals, (QStringList{"0.5 sec.", "5 sec.", "10 sec.", "15 sec.", "20 sec.",
                                      "30 sec.", "45 sec.", "60 sec."}));
    EXPECT_EQ(w.shownLabels(), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(w.at<QLineEdit>("ip", 1)->text(), "192.168.1.2");
    EXPECT_EQ(w.find<QLineEdit>("mtu")->text(), "1500");
    EXPECT_EQ(w.find<QLineEdit>("subnetMask")->text(), "255.255.255.0");
    EXPECT_TRUE(w.find("send")->isEnabled());
    EXPECT_TRUE(w.find("fileSave")->isEnabled());
    // The opening read: panel 127, command 50, point 0, table 21.
    const auto heard = w.rig.sim.controller.framesNoted(QStringLiteral("request"));
    ASSERT_EQ(heard.size(), 1);
    EXPECT_EQ(heard[0].bytes.mid(10, 5), QByteArray("\x7F\x00\x32\x00\x15", 5));
}

TEST(RoutingTableWindow, MainPanelModeShowsAddressesOnly) {
    RoutingWindow w(RoutingMode::MainPanel);
    EXPECT_EQ(w.shownLabels(), (QStringList{"GW", "Self", "1", "2"}));
    EXPECT_FALSE(w.find<QGroupBox>("gatewayGroup")->isEnabled());
    EXPECT_FALSE(w.find<QGroupBox>("broadcastGroup")->isEnabled());
    EXPECT_FALSE(w.at<QLineEdit>("mac", 0)->isEnabled());
    EXPECT_TRUE(w.at<QLineEdit>("ip", 0)->isEnabled());
    w.pageKey(Qt::Key_PageDown, 40);
    EXPECT_EQ(w.shownPage(), 32);
    EXPECT_EQ(w.shownLabels(), (QStringList{"123", "124", "125"}));
}

TEST(RoutingTableWindow, PagingToTheLastLanPageShowsOnlyController125) {
    RoutingWindow w(RoutingMode::Lan);
    w.pageKey(Qt::Key_PageUp);
    EXPECT_EQ(w.shownLabels(), (QStringList{"1", "2", "3", "4"}));
    w.turnTo(32);
    EXPECT_EQ(w.shownLabels(), QStringList{"125"});
    w.pageKey(Qt::Key_PageUp);
    EXPECT_EQ(w.shownLabels(), (QStringList{"121", "122", "123", "124"}));
    EXPECT_EQ(w.shownPage(), 31);

    // Clear shows the empty LAN table and sends nothing.
    const int served = w.rig.sim.controller.requestsServed();
    w.press("clear");
    EXPECT_EQ(w.rig.sim.controller.requestsServed(), served);
    EXPECT_EQ(w.at<QLineEdit>("ip", 0)->text(), "255.255.255.255");
    EXPECT_EQ(w.at<QLineEdit>("mac", 0)->text(), "FF-FF-FF-FF-FF-FF");
    EXPECT_EQ(w.at<QComboBox>("interval", 0)->currentIndex(), -1);
    EXPECT_FALSE(w.at<QCheckBox>("broadcast", 0)->isEnabled());
    EXPECT_EQ(w.find<QLineEdit>("mtu")->text(), "65535");
}

TEST(RoutingTableWindow, EditsReachTheControllerOnSend) {
    RoutingWindow w(RoutingMode::Lan);
    // Controller 3 is a broadcast server with an interval outside the list.
    QByteArray table = w.rig.controllerTable();
    table.replace(24 + 16 * 2 + 10, 2, QByteArray("\x1B\x58", 2)); // 7000 ms
    table.replace(2024, 4, QByteArray("\xC0\xA8\x01\x03", 4));
    w.rig.sim.controller.poke({50, 0, 21}, table);
    w.press("load");
    EXPECT_TRUE(w.at<QCheckBox>("broadcast", 2)->isChecked());
    EXPECT_EQ(w.at<QComboBox>("interval", 2)->currentIndex(), -1);

    w.type(w.at<QLineEdit>("mac", 0), QStringLiteral("1:2:3"));
    EXPECT_EQ(w.at<QLineEdit>("mac", 0)->text(), "01-02-03-00-00-00");
    w.type(w.at<QLineEdit>("ip", 1), QStringLiteral("10.0.0.2"));
    QTest::mouseClick(w.at<QCheckBox>("broadcast", 1), Qt::LeftButton);
    w.at<QComboBox>("interval", 1)->activated(7);
    w.type(w.find<QLineEdit>("mtu"), QStringLiteral("1400"));
    // An address that cannot be a server takes the mark and the box away.
    w.type(w.at<QLineEdit>("ip", 3), QStringLiteral("0.0.0.0"));
    EXPECT_FALSE(w.at<QCheckBox>("broadcast", 3)->isEnabled());

    w.rig.sim.controller.clearFrames();
    w.press("send");
    EXPECT_EQ(w.rig.sim.ui.briefs(), QStringList{"[VTL] Routing Table Sent"});
    // To PanelAddress: panel 3, command 150, point 0, table 21.
    const auto heard = w.rig.sim.controller.framesNoted(QStringLiteral("request"));
    ASSERT_EQ(heard.size(), 1);
    EXPECT_EQ(heard[0].bytes.mid(10, 5), QByteArray("\x03\x00\x96\x00\x15", 5));
    const QByteArray sent = w.rig.controllerTable();
    EXPECT_EQ(sent.mid(24 + 4, 6), QByteArray("\x01\x02\x03\x00\x00\x00", 6));
    EXPECT_EQ(sent.mid(24 + 16 + 10, 2), QByteArray("\xEA\x60", 2)); // 60000 ms
    EXPECT_EQ(sent.mid(24 + 32 + 10, 2), QByteArray("\x1B\x58", 2)); // 7000 ms, as read
    EXPECT_EQ(sent.mid(2024, 12),
              QByteArray("\x0A\x00\x00\x02\xC0\xA8\x01\x03\xFF\xFF\xFF\xFF", 12));
    EXPECT_EQ(sent.mid(2092, 2), QByteArray("\x05\x78"));
    EXPECT_TRUE(w.rig.sim.controller.violations().isEmpty());

    // Read back, the window shows what it sent.
    w.press("load");
    EXPECT_EQ(w.at<QLineEdit>("mac", 0)->text(), "01-02-03-00-00-00");
    EXPECT_EQ(w.at<QComboBox>("interval", 1)->currentIndex(), 7);
    EXPECT_EQ(w.find<QLineEdit>("mtu")->text(), "1400");
}

TEST(RoutingTableWindow, FilesThroughTheButtonsAndClear) {
    RoutingWindow w(RoutingMode::MainPanel);
    const QString path = w.rig.path();
    w.dialog.setFileChoosers([path] { return path; }, [path] { return path; });
    w.type(w.at<QLineEdit>("ip", 0), QStringLiteral("10.0.0.1"));
    w.press("fileSave");
    w.press("clear");
    EXPECT_EQ(w.at<QLineEdit>("ip", 0)->text(), "0.0.0.0");
    EXPECT_EQ(w.find<QLineEdit>("mtu")->text(), "0");
    w.press("fileOpen");
    EXPECT_EQ(w.at<QLineEdit>("ip", 0)->text(), "10.0.0.1");
    EXPECT_EQ(w.find<QLineEdit>("mtu")->text(), "1500");
    EXPECT_TRUE(w.rig.sim.ui.messages.isEmpty()) << w.rig.sim.ui.briefs().join('\n').toStdString();
}

TEST(RoutingTableWindow, FailedExchangesAndShortRepliesLeaveNothingOld) {
    RoutingWindow w(RoutingMode::MainPanel);
    w.type(w.at<QLineEdit>("ip", 0), QStringLiteral("1.2.3.4"));
    const QByteArray held = w.rig.controllerTable();
    w.rig.sim.controller.faults.noAnswer = true;
    w.press("load");
    w.press("send");
    EXPECT_EQ(w.at<QLineEdit>("ip", 0)->text(), "1.2.3.4");
    EXPECT_EQ(w.rig.controllerTable(), held);
    ASSERT_EQ(w.rig.sim.ui.messages.size(), 2);
    for (const auto& m : w.rig.sim.ui.messages) {
        EXPECT_EQ(m.brief(), "[Error] Communication Error.");
        EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    }

    // A reply of one entry: the rest reads as zeros, not as the reply before it.
    w.rig.sim.controller.faults = {};
    w.rig.sim.controller.poke({50, 0, 21}, QByteArray(10, char(1)));
    w.press("load");
    EXPECT_EQ(w.at<QLineEdit>("ip", 0)->text(), "1.1.1.1");
    EXPECT_EQ(w.at<QLineEdit>("ip", 1)->text(), "0.0.0.0");
    EXPECT_EQ(w.find<QLineEdit>("mtu")->text(), "0");
}

TEST(RoutingTableWindow, TheSeventeenthServerIsWarnedOfButStaysMarked) {
    RoutingWindow w(RoutingMode::Lan);
    for (int box = 0; box < 17; ++box) {
        if (box > 0 && box % 4 == 0) w.pageKey(Qt::Key_PageDown);
        QTest::mouseClick(w.at<QCheckBox>("broadcast", box % 4), Qt::LeftButton);
    }
    EXPECT_TRUE(w.at<QCheckBox>("broadcast", 0)->isChecked());
    ASSERT_EQ(w.rig.sim.ui.messages.size(), 1);
    EXPECT_EQ(w.rig.sim.ui.messages[0].brief(),
              "[Warning!] Maximum Of 16 Broadcast Servers Are Allowed.");
    EXPECT_EQ(w.rig.sim.ui.messages[0].icon, MessageIcon::Exclamation);

    // Send lists the first sixteen and leaves the last out without a word.
    w.press("send");
    const QByteArray kept = w.rig.controllerTable();
    EXPECT_EQ(kept.mid(2024, 4), QByteArray("\xC0\xA8\x01\x01"));
    EXPECT_EQ(kept.mid(2084, 4), QByteArray("\xC0\xA8\x01\x10"));
}

// After a failed opening read the rows are blank, not the controller's: nothing of them is sent
// or saved until the user reads, opens a file or clears on purpose.
TEST(RoutingTableWindow, AFailedOpeningReadWritesNothing) {
    RoutingWindow w(RoutingMode::Lan,
                    [](RoutingRig& rig) { rig.sim.controller.faults.noAnswer = true; });
    const QString path = w.rig.path();
    w.rig.writeFile(path, "an older table");
    w.dialog.setFileChoosers([path] { return path; }, [path] { return path; });
    EXPECT_EQ(w.rig.sim.ui.briefs(), QStringList{"[Error] Communication Error."});
    EXPECT_FALSE(w.find("send")->isEnabled());
    EXPECT_FALSE(w.find("fileSave")->isEnabled());

    w.rig.sim.controller.faults = {};
    w.rig.sim.controller.clearFrames();
    const QByteArray held = w.rig.controllerTable();
    w.press("send");
    w.press("fileSave");
    EXPECT_TRUE(w.rig.sim.controller.framesNoted(QStringLiteral("request")).isEmpty());
    EXPECT_EQ(w.rig.controllerTable(), held);
    EXPECT_EQ(w.rig.fileBytes(path), "an older table");

    // Cleared on purpose, the empty table is the user's: it may be sent.
    w.press("clear");
    ASSERT_TRUE(w.find("send")->isEnabled());
    w.press("send");
    EXPECT_EQ(w.rig.controllerTable().mid(24, 2000), QByteArray(2000, char(0xFF)));
}

struct Typed {
    const char* field; // object name without the row
    int row;           // -1: subnet mask or MTU
    const char* text;
    const char* refusal; // empty: sent
};

TEST(RoutingTableWindow, ATextThatDoesNotFitItsFieldIsRefusedAndNothingIsSentOrSaved) {
    const Typed cases[] = {
        {"ip", 1, "192.168",
         "[VTL] IP Address \"192.168\" Of Panel 2 Is Not Valid: Enter Four Numbers From 0 To 255."},
        {"ip", 0, "",
         "[VTL] IP Address \"\" Of Panel 1 Is Not Valid: Enter Four Numbers From 0 To "
         "255."},
        {"gateway", 3, "10.2",
         "[VTL] Gateway \"10.2\" Of Panel 4 Is Not Valid: Enter Four Numbers From 0 To 255."},
        {"subnetMask", -1, "255.255.255",
         "[VTL] Subnet Mask \"255.255.255\" Is Not Valid: Enter Four Numbers From 0 To 255."},
        {"mtu", -1, "99999", "[VTL] MTU \"99999\" Is Not Valid: Enter A Number From 0 To 65535."},
        {"mtu", -1, "", "[VTL] MTU \"\" Is Not Valid: Enter A Number From 0 To 65535."},
        {"mtu", -1, "65535", ""},
        {"ip", 2, "0.0.0.0", ""},
    };
    for (const Typed& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.text);
        RoutingWindow w(RoutingMode::Lan);
        const QString path = w.rig.path();
        w.rig.writeFile(path, "an older table");
        w.dialog.setFileChoosers([path] { return path; }, [path] { return path; });
        auto* edit = c.row < 0 ? w.find<QLineEdit>(QString::fromLatin1(c.field))
                               : w.at<QLineEdit>(c.field, c.row);
        w.type(edit, QString::fromLatin1(c.text));
        w.turnTo(9);
        w.rig.sim.controller.clearFrames();
        const QByteArray held = w.rig.controllerTable();

        w.press("send");
        if (!*c.refusal) {
            EXPECT_EQ(w.rig.sim.ui.briefs(), QStringList{"[VTL] Routing Table Sent"});
            continue;
        }
        w.press("fileSave");
        EXPECT_EQ(w.rig.sim.ui.briefs(), (QStringList{c.refusal, c.refusal}));
        EXPECT_EQ(w.rig.sim.ui.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_TRUE(w.rig.sim.controller.framesNoted(QStringLiteral("request")).isEmpty());
        EXPECT_EQ(w.rig.controllerTable(), held);
        EXPECT_EQ(w.rig.fileBytes(path), "an older table");
        // The window shows the text that was refused.
        EXPECT_EQ(w.shownPage(), c.row < 0 ? 9 : 1);
        EXPECT_EQ(QApplication::focusWidget(), edit);
    }
}

TEST(RoutingTableWindow, OnTheLastPageEachSlotKeepsItsRow) {
    for (const RoutingMode mode : {RoutingMode::Lan, RoutingMode::MainPanel}) {
        SCOPED_TRACE(routingModeName(mode).toStdString());
        RoutingWindow w(mode);
        const auto middle = [&w](const char* name, int row) {
            QWidget* control = w.at<QWidget>(name, row);
            return control->mapTo(&w.dialog, control->rect().center()).y();
        };
        std::array<int, 4> rowY{};
        for (int row = 0; row < 4; ++row)
            rowY[std::size_t(row)] = middle("ip", row);
        w.turnTo(32);
        QApplication::processEvents(); // the layout moves the controls left in view
        for (int row = 0; row < w.shownLabels().size(); ++row) {
            SCOPED_TRACE(row);
            for (const char* name : {"label", "ip", "mac", "gateway", "broadcast", "interval"})
                EXPECT_EQ(middle(name, row), rowY[std::size_t(row)]) << name;
        }
    }
}

TEST(RoutingTableWindow, ThePageIsANumberAndPgUpPgDnTurnIt) {
    RoutingWindow w(RoutingMode::Lan);
    EXPECT_EQ(w.shownPage(), 1);
    w.turnTo(25);
    EXPECT_EQ(w.shownLabels(), (QStringList{"97", "98", "99", "100"}));

    // From an edit being typed in: the text is kept and the page turns.
    auto* ip = w.at<QLineEdit>("ip", 3);
    ip->setFocus();
    ip->selectAll();
    QTest::keyClicks(ip, QStringLiteral("10.0.0.100"));
    w.pageKey(Qt::Key_PageDown);
    EXPECT_EQ(w.shownPage(), 26);
    EXPECT_EQ(w.shownLabels(), (QStringList{"101", "102", "103", "104"}));
    w.pageKey(Qt::Key_PageUp, 2);
    EXPECT_EQ(w.shownPage(), 24);
    w.turnTo(25);
    EXPECT_EQ(ip->text(), "10.0.0.100");
    EXPECT_EQ(w.dialog.operations().table().rows[99].ip, "10.0.0.100");
}

// Runs inside a private namespace with a small file system mounted at VTL_FULL_DISK (started by
// the case below): an old table on it, the rest filled, then File Save onto the old table.
TEST(RoutingTableWindowOnAFullDisk, DISABLED_FileSaveKeepsTheOldFile) {
    const QString disk = qEnvironmentVariable("VTL_FULL_DISK");
    ASSERT_FALSE(disk.isEmpty());
    RoutingWindow w(RoutingMode::Lan);
    const QString path = disk + QStringLiteral("/T.NET");
    const QByteArray old(2502, 'o');
    w.rig.writeFile(path, old);
    QFile fill(disk + QStringLiteral("/fill"));
    ASSERT_TRUE(fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (fill.write(QByteArray(512, '\0')) == 512) {
    }
    fill.close();
    w.dialog.setFileChoosers([path] { return path; }, [path] { return path; });

    w.press("fileSave");
    ASSERT_EQ(w.rig.sim.ui.messages.size(), 1);
    EXPECT_EQ(w.rig.sim.ui.messages[0].brief(),
              "[Error] Error In Writing To The File. File May Be Marked As Read-Only.");
    EXPECT_EQ(w.rig.sim.ui.messages[0].detail, "No space left on device");
    EXPECT_EQ(w.rig.fileBytes(path), old);
    QStringList left = QDir(disk).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{"T.NET", "fill"}));
}

TEST(RoutingTableWindow, FileSaveOnAFullDiskKeepsTheOldFile) {
    QTemporaryDir dir;
    const RunResult run =
        runProgram(QStringLiteral("unshare"),
                   {"--mount", "--map-root-user", "sh", "-c",
                    "mount -t tmpfs -o size=16k tmpfs \"$1\" && VTL_FULL_DISK=\"$1\" exec \"$2\" "
                    "--gtest_also_run_disabled_tests "
                    "--gtest_filter=RoutingTableWindowOnAFullDisk.DISABLED_FileSaveKeepsTheOldFile",
                    "sh", dir.path(), QCoreApplication::applicationFilePath()});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.out + run.err);
    EXPECT_TRUE(run.out.contains("[  PASSED  ] 1 test.")) << qPrintable(run.out);
}

} // namespace
} // namespace vtl::test
