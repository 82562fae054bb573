// vtl-screenshots: opens every window of the program against a simulated controller in this
// process and saves each as the PNG the manual shows. Run by scripts/screenshots (offscreen or
// under Xvfb); the pictures are made from the real windows, never drawn.
#include "lan/BacnetDeviceDialog.h"
#include "lan/LanControllerDialog.h"
#include "link/Clock.h"
#include "link/Connect.h"
#include "link/PipeTransport.h"
#include "panels/MainPanelDialog.h"
#include "panels/ModbusSetupDialog.h"
#include "panels/ModbusSetupOperations.h"
#include "panels/SubPanelDialog.h"
#include "panels/SubPanelOperations.h"
#include "routing/RoutingTableDialog.h"
#include "shell/AboutBox.h"
#include "shell/ApplicationIdentity.h"
#include "shell/ConnectionDialog.h"
#include "sim/DemoPorts.h"
#include "sim/SimulatedController.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>
#include <memory>

namespace {

// One connection to one simulated controller on the virtual clock: the windows' reads take no
// real time.
struct Rig {
    explicit Rig(vtl::sim::Model model, int address) : controller(options(model, address)) {}

    static vtl::sim::ControllerOptions options(vtl::sim::Model model, int address) {
        vtl::sim::ControllerOptions o;
        o.model = model;
        o.address = address;
        o.lineRate = 38400;
        return o;
    }
    // Connects as the connection window's OK does and hands the window it would open to `show`.
    bool connect(bool subLan, const std::function<void(vtl::Session&)>& show) {
        return vtl::Connect(
            session,
            {vtl::OrdinaryAccessCode, QStringLiteral("sim"), vtl::AutoDetectPosition, subLan},
            [&](vtl::ControllerWindow) { show(session); });
    }

    vtl::VirtualClock clock;
    vtl::ConnectionState state;
    vtl::TransferBuffers buffers;
    vtl::SilentUserInterface ui;
    vtl::sim::SimulatedController controller;
    vtl::Session session{state, buffers, clock, ui, [this](const QString&) {
                             return std::make_unique<vtl::PipeTransport>(controller, clock);
                         }};
};

class Shooter {
public:
    explicit Shooter(QDir out) : out_(std::move(out)) {}

    bool save(QWidget& window, const QString& name) {
        window.show();
        QApplication::processEvents();
        const QString path = out_.filePath(name + QStringLiteral(".png"));
        const bool ok = window.grab().save(path);
        QTextStream(ok ? stdout : stderr) << (ok ? "wrote " : "could not write ") << path << '\n';
        failures_ += ok ? 0 : 1;
        window.hide();
        return ok;
    }
    int failures() const { return failures_; }

private:
    QDir out_;
    int failures_ = 0;
};

void shootConnectionWindow(Shooter& shooter) {
    vtl::sim::registerDemoPorts();
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("VTL.conf")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("PanelType"), 0); // LAN: no Sub LAN warning at start
    Rig rig(vtl::sim::Model::Main, 5);
    vtl::ConnectionDialog dialog(rig.session, settings);
    shooter.save(dialog, QStringLiteral("connection-window"));
}

void shootLanWindows(Shooter& shooter) {
    Rig main(vtl::sim::Model::Main, 5);
    main.connect(false, [&](vtl::Session& s) {
        vtl::MainPanelDialog dialog(s);
        dialog.start();
        shooter.save(dialog, QStringLiteral("main-panel-window"));
        vtl::RoutingTableDialog routing(s, &dialog);
        routing.start();
        shooter.save(routing, QStringLiteral("routing-table-window"));
    });
    Rig lan(vtl::sim::Model::Lan490, 12);
    lan.connect(false, [&](vtl::Session& s) {
        vtl::LanControllerDialog dialog(s);
        dialog.offerEthernet(true);
        dialog.start();
        shooter.save(dialog, QStringLiteral("lan-controller-window"));
    });
    Rig brinlet(vtl::sim::Model::Lan602, 12);
    brinlet.connect(false, [&](vtl::Session& s) {
        vtl::LanControllerDialog dialog(s);
        dialog.offerEthernet(true);
        dialog.start();
        shooter.save(dialog, QStringLiteral("brinlet-controller-window"));
        vtl::BacnetDeviceDialog bacnet(s, &dialog);
        bacnet.start();
        shooter.save(bacnet, QStringLiteral("bacnet-window"));
    });
}

void shootSubLanWindows(Shooter& shooter) {
    // A sub panel with ModBus settings, so that its window offers ModBus Setup.
    Rig sub(vtl::sim::Model::Sub6000, 5);
    sub.connect(true, [&](vtl::Session& s) {
        vtl::SubPanelOperations operations(s);
        vtl::SubPanelDialog dialog(operations);
        dialog.start();
        shooter.save(dialog, QStringLiteral("sub-panel-window"));
        vtl::ModbusSetupOperations modbus(s);
        vtl::ModbusSetupDialog setup(modbus, &dialog);
        setup.start();
        shooter.save(setup, QStringLiteral("modbus-setup-window"));
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vtl::setApplicationIdentity();
    const QStringList args = QApplication::arguments();
    if (args.size() != 2 || args[1].startsWith(QLatin1Char('-'))) {
        QTextStream(stderr) << "Usage: vtl-screenshots FOLDER\n"
                               "Saves a picture of every window of the program into FOLDER.\n";
        return 2;
    }
    QDir out(args[1]);
    if (!out.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "vtl-screenshots: cannot make " << args[1] << '\n';
        return 1;
    }
    Shooter shooter(out);
    shootConnectionWindow(shooter);
    shootLanWindows(shooter);
    shootSubLanWindows(shooter);
    return shooter.failures() == 0 ? 0 : 1;
}
