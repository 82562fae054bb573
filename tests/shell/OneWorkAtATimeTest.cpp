// An impatient technician at real windows on the real clock: Enter pressed twice or held down on
// the connection window, a double-click on Ethernet, the main panel's Close during the routing
// table's first read, About during the connect search. Each time one read, one window, no loop
// nested in another, and nothing written.
#include "link/PortRegistry.h"
#include "panels/MainPanelDialog.h"
#include "panels/WindowOperationRunner.h"
#include "routing/RoutingTableDialog.h"
#include "routing/RoutingTableWindow.h"
#include "shell/ConnectionDialog.h"
#include "shell/ControllerWindows.h"
#include "shell/Settings.h"
#include "tests/shell/RealTimeRig.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

// Every request the controller heard, as "command/point/table"; read once the line is idle.
QStringList heard(const sim::SimulatedController& controller) {
    QStringList out;
    for (const auto& f : controller.framesNoted(QStringLiteral("request"))) {
        const qsizetype at = f.bytes.indexOf(QByteArray("AAAAA12345")) + 10;
        out << QStringLiteral("%1/%2/%3")
                   .arg(quint8(f.bytes[at + 2]))
                   .arg(quint8(f.bytes[at + 3]))
                   .arg(quint8(f.bytes[at + 4]));
    }
    return out;
}

int writes(const QStringList& requests) {
    return int(std::count_if(requests.begin(), requests.end(),
                             [](const QString& r) { return r.section('/', 0, 0).toInt() >= 100; }));
}

// Watches, every 5 ms, for windows of type T coming up modally: counts them, notes what was true
// then, and closes each after `keepMs`, as a user who has seen enough.
template <typename T> struct WindowWatch {
    explicit WindowWatch(int keepMs, std::function<void()> onOpen = {}) {
        QObject::connect(&timer, &QTimer::timeout, [this, keepMs, onOpen] {
            maxLoopLevel = std::max(maxLoopLevel, QThread::currentThread()->loopLevel());
            auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!window || window == last) return;
            last = window;
            ++opened;
            if (onOpen) onOpen();
            QTimer::singleShot(keepMs, window, &QDialog::reject);
        });
        timer.start(5);
    }
    QTimer timer;
    QPointer<T> last;
    int opened = 0;
    int maxLoopLevel = 0;
};

// Runs the window's events until `over` holds (at most 30 s), then a little longer, so that
// anything still queued would show.
void waitUntil(const std::function<bool()>& over) {
    const QDeadlineTimer deadline(30000);
    while (!over() && !deadline.hasExpired())
        QTest::qWait(20);
    QTest::qWait(200);
}

void sendKey(QWindow* window, QEvent::Type type, bool autoRepeat) {
    QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), autoRepeat);
    QCoreApplication::sendEvent(window, &key);
}

// The connection window over a main panel at 38400 baud on a port of its own, LAN, fixed speed.
struct ConnectionRig {
    ConnectionRig() {
        PortRegistry::instance().clear();
        const int position = int(listPorts().size());
        PortRegistry::instance().add(
            {QStringLiteral("sim-line"), QStringLiteral("Simulated line"), {}, {}},
            [this](const QString&) { return rig.line(); });
        writeSettings(settings, {3, position, 0, 0, 0}); // 38400, LAN, no delay
        window = std::make_unique<ConnectionDialog>(rig.session, settings);
        rig.ui.setTitleWindow(window.get());
        window->setWindowOpener([this](ControllerWindow which) {
            openControllerWindow(rig.session, which, window.get());
        });
        window->show();
        QTest::keyClicks(window->accessCodeBox(), QStringLiteral("QOV"));
    }
    ~ConnectionRig() { PortRegistry::instance().clear(); }

    RealTimeRig rig{options(sim::Model::Main, 3, 38400)};
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("VTL.conf")), QSettings::IniFormat};
    std::unique_ptr<ConnectionDialog> window;
};

struct KeyStep {
    int atMs;
    QEvent::Type type;
    bool autoRepeat;
};

TEST(OneWorkAtATime, EnterPressedTwiceOrHeldDownConnectsOnce) {
    QList<KeyStep> held{{0, QEvent::KeyPress, false}};
    for (int ms = 100; ms < 2500; ms += 100)
        held.append({ms, QEvent::KeyPress, true});
    held.append({2500, QEvent::KeyRelease, false});
    const struct {
        const char* name;
        QList<KeyStep> keys;
    } cases[] = {
        {"Enter twice, 0.55 s apart",
         {{0, QEvent::KeyPress, false},
          {0, QEvent::KeyRelease, false},
          {550, QEvent::KeyPress, false},
          {550, QEvent::KeyRelease, false}}},
        {"Enter held down", held},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectionRig r;
        WindowWatch<MainPanelDialog> panels(800);
        int sent = 0;
        // The keys go where the system would send them: the window in front. Precise timers, so
        // that no repeat comes after the key is let go.
        for (const KeyStep& step : c.keys)
            QTimer::singleShot(step.atMs, Qt::PreciseTimer, [&r, &sent, step] {
                QWidget* front = QApplication::activeModalWidget();
                sendKey((front ? front : r.window.get())->windowHandle(), step.type,
                        step.autoRepeat);
                ++sent;
            });
        waitUntil([&] {
            return sent == c.keys.size() && panels.opened > 0 &&
                   !QApplication::activeModalWidget() && !WindowOperationRunner::lineBusy();
        });

        const QStringList requests = heard(r.rig.controller);
        EXPECT_EQ(requests.count(QStringLiteral("42/18/2")), 1) << requests.join(' ').toStdString();
        EXPECT_EQ(requests.count(QStringLiteral("38/49/0")), 1) << requests.join(' ').toStdString();
        EXPECT_EQ(writes(requests), 0);
        EXPECT_EQ(panels.opened, 1);
        EXPECT_LE(panels.maxLoopLevel, 1);
        EXPECT_EQ(QThread::currentThread()->loopLevel(), 0);
        EXPECT_TRUE(r.window->okButton()->isEnabled());
    }
}

TEST(OneWorkAtATime, AboutDuringTheSearchWaitsForTheSearch) {
    ConnectionRig r;
    WindowWatch<MainPanelDialog> panels(100);
    int aboutWhileBusy = 0;
    int menusWhileBusy = 0;
    // Anything that does come up is counted and put away again.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menusWhileBusy += WindowOperationRunner::lineBusy() ? 1 : 0;
            popup->close();
        }
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->windowTitle() == QLatin1String("About Vantrel")) {
            aboutWhileBusy += WindowOperationRunner::lineBusy() ? 1 : 0;
            box->reject();
        }
    });
    closer.start(20);
    bool tried = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (tried || !WindowOperationRunner::lineBusy()) return;
        tried = true;
        QWindow* handle = r.window->windowHandle();
        QTest::mouseClick(handle, Qt::RightButton, {}, QPoint(10, 10));
        auto* about = r.window->findChild<QToolButton*>();
        QTest::mouseClick(handle, Qt::LeftButton, {},
                          about->mapTo(r.window.get(), about->rect().center()));
    });
    user.start(20);
    QTimer::singleShot(0, [&] { QTest::mouseClick(r.window->okButton(), Qt::LeftButton); });
    waitUntil([&] { return panels.opened > 0 && !QApplication::activeModalWidget(); });

    EXPECT_TRUE(tried);
    EXPECT_EQ(aboutWhileBusy, 0);
    EXPECT_EQ(menusWhileBusy, 0);
    EXPECT_EQ(panels.opened, 1);
    EXPECT_EQ(heard(r.rig.controller).count(QStringLiteral("42/18/2")), 1);
}

// A main panel's window open over a controller, its Ethernet button opening the routing table
// window as the program wires it.
struct PanelRig {
    PanelRig() {
        rig.state.LinkMode = LinkModeLan;
        rig.state.PanelTypeCode = std::uint32_t(rig.controller.typeCode());
        rig.ui.setTitleWindow(&panel);
        QObject::connect(&panel, &MainPanelDialog::ethernetRequested, &panel,
                         [this] { openRoutingTableWindow(rig.session, &panel); });
        panel.start();
        panel.show();
    }
    QPoint centreOf(const char* name) {
        auto* button = panel.findChild<QPushButton*>(QString::fromLatin1(name));
        return button->mapTo(&panel, button->rect().center());
    }
    // Posted, as the system queues what the user does while the window is busy.
    void post(QEvent::Type type, QPoint at) {
        QCoreApplication::postEvent(
            panel.windowHandle(),
            new QMouseEvent(type, at, panel.mapToGlobal(at), Qt::LeftButton,
                            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                            Qt::NoModifier));
    }
    int routingReads() { return int(heard(rig.controller).count(QStringLiteral("50/0/21"))); }

    RealTimeRig rig{options(sim::Model::Main, 3, 38400)};
    MainPanelDialog panel{rig.session};
};

TEST(OneWorkAtATime, ADoubleClickOnEthernetReadsAndOpensOnce) {
    PanelRig r;
    WindowWatch<RoutingTableDialog> routing(300);
    const QPoint ethernet = r.centreOf("ethernet");
    // As the system delivers a double-click: press, release, press, double-click, release.
    for (auto type :
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
          QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
        r.post(type, ethernet);
    waitUntil([&] { return routing.opened > 0 && !QApplication::activeModalWidget(); });

    EXPECT_EQ(routing.opened, 1);
    EXPECT_EQ(r.routingReads(), 1);
    EXPECT_LE(routing.maxLoopLevel, 1);
    EXPECT_TRUE(r.panel.isVisible());
}

TEST(OneWorkAtATime, TheMainPanelStaysOpenThroughTheRoutingTablesFirstRead) {
    PanelRig r;
    bool panelOpenUnderRouting = false;
    WindowWatch<RoutingTableDialog> routing(100,
                                            [&] { panelOpenUnderRouting = r.panel.isVisible(); });
    bool tried = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (tried || !WindowOperationRunner::lineBusy()) return;
        tried = true;
        QTest::mouseClick(r.panel.windowHandle(), Qt::LeftButton, {}, r.centreOf("close"));
        QTest::keyClick(r.panel.windowHandle(), Qt::Key_Escape);
        r.panel.windowHandle()->close(); // the frame's close box
    });
    user.start(5);
    r.post(QEvent::MouseButtonPress, r.centreOf("ethernet"));
    r.post(QEvent::MouseButtonRelease, r.centreOf("ethernet"));
    waitUntil([&] { return routing.opened > 0 && !QApplication::activeModalWidget(); });

    EXPECT_TRUE(tried);
    EXPECT_EQ(routing.opened, 1);
    EXPECT_EQ(r.routingReads(), 1);
    EXPECT_TRUE(panelOpenUnderRouting);
    EXPECT_TRUE(r.panel.isVisible());
}

} // namespace
} // namespace vtl::test
