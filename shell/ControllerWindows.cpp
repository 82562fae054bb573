#include "shell/ControllerWindows.h"

#include "lan/LanControllerDialog.h"
#include "panels/MainPanelDialog.h"
#include "panels/SubPanelDialog.h"
#include "routing/RoutingTableWindow.h"
#include "shell/ControllerFoundDialog.h"
#include "shell/PanelFileActions.h"
#include "shell/QtUserInterface.h"

namespace vtl {

QString describeController(const ConnectionState& state, ControllerWindow window) {
    QStringList lines;
    switch (window) {
    case ControllerWindow::MainPanel:
        lines << QStringLiteral("Main panel found.");
        break;
    case ControllerWindow::LanController:
        lines << (state.IsBrinlet ? QStringLiteral("Brinlet controller found.")
                                  : QStringLiteral("LAN controller found."));
        break;
    case ControllerWindow::SubPanel:
        lines << QStringLiteral("Sub panel found.");
        break;
    }
    if (window != ControllerWindow::SubPanel) {
        lines << QStringLiteral("Type code : %1").arg(state.PanelTypeCode);
        lines << QStringLiteral("Firmware version : %1.%2")
                     .arg(state.PanelTypeCode / 100)
                     .arg(state.PanelTypeCode % 100, 2, 10, QLatin1Char('0'));
    }
    lines << QStringLiteral("Address : %1").arg(state.PanelAddress);
    lines << QStringLiteral("Speed : %1 Baud").arg(effectiveBaudRate(state));
    lines << QString()
          << QStringLiteral("The configuration window of this controller is not "
                            "available in this version.");
    return lines.join(QLatin1Char('\n'));
}

namespace {

void openLanControllerWindow(Session& session, QWidget* parent) {
    LanControllerDialog dialog(session, parent);
    StatusLineScope status(session.ui, statusLineOf(dialog.statusLine()));
    PanelFileActions files(session, PanelFamily::Lan, &dialog);
    QObject::connect(&dialog, &LanControllerDialog::backupRequested, &dialog,
                     [&files] { files.backup(); });
    QObject::connect(&dialog, &LanControllerDialog::restoreRequested, &dialog,
                     [&files] { files.restore(); });
    QObject::connect(&dialog, &LanControllerDialog::ethernetRequested, &dialog,
                     [&session, &dialog] { openRoutingTableWindow(session, &dialog); });
    dialog.offerEthernet(true);
    dialog.start();
    dialog.exec();
}

} // namespace

void openControllerWindow(Session& session, ControllerWindow window, QWidget* parent) {
    if (window == ControllerWindow::MainPanel) {
        MainPanelDialog dialog(session, parent);
        StatusLineScope status(session.ui, statusLineOf(dialog.statusLine()));
        PanelFileActions files(session, PanelFamily::Main, &dialog);
        QObject::connect(&dialog, &MainPanelDialog::backupRequested, &dialog,
                         [&files] { files.backup(); });
        QObject::connect(&dialog, &MainPanelDialog::restoreRequested, &dialog,
                         [&files] { files.restore(); });
        QObject::connect(&dialog, &MainPanelDialog::ethernetRequested, &dialog,
                         [&session, &dialog] { openRoutingTableWindow(session, &dialog); });
        dialog.start();
        dialog.exec();
        return;
    }
    if (window == ControllerWindow::SubPanel) {
        SubPanelOperations operations(session);
        SubPanelDialog dialog(operations, parent);
        StatusLineScope status(session.ui, statusLineOf(dialog.statusLine()));
        PanelFileActions files(session, PanelFamily::Sub, &dialog);
        QObject::connect(&dialog, &SubPanelDialog::backupRequested, &dialog,
                         [&files] { files.backup(); });
        QObject::connect(&dialog, &SubPanelDialog::restoreRequested, &dialog,
                         [&files] { files.restore(); });
        dialog.start();
        dialog.exec();
        return;
    }
    if (window == ControllerWindow::LanController) {
        openLanControllerWindow(session, parent);
        return;
    }
    ControllerFoundDialog dialog(session.state, window, parent);
    dialog.exec();
}

} // namespace vtl
