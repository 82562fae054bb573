#include "shell/ControllerWindows.h"

#include "lan/LanControllerDialog.h"
#include "panels/MainPanelDialog.h"
#include "panels/SubPanelDialog.h"
#include "routing/RoutingTableWindow.h"
#include "shell/PanelFileActions.h"
#include "shell/QtUserInterface.h"

namespace vtl {

namespace {

void openLanControllerWindow(Session& session, QWidget* parent) {
    LanControllerDialog dialog(session, parent);
    StatusLineScope status(session.ui, statusLineOf(dialog.statusLine()));
    PanelFileActions files(session, PanelFamily::Lan, &dialog, &dialog.runner());
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
        PanelFileActions files(session, PanelFamily::Main, &dialog, &dialog.runner());
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
        PanelFileActions files(session, PanelFamily::Sub, &dialog, &dialog.runner());
        QObject::connect(&dialog, &SubPanelDialog::backupRequested, &dialog,
                         [&files] { files.backup(); });
        QObject::connect(&dialog, &SubPanelDialog::restoreRequested, &dialog,
                         [&files] { files.restore(); });
        dialog.start();
        dialog.exec();
        return;
    }
    openLanControllerWindow(session, parent);
}

} // namespace vtl
