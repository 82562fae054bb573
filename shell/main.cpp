#include "link/Clock.h"
#include "link/ConnectionState.h"
#include "link/HelpPages.h"
#include "link/Session.h"
#include "link/StopRequest.h"
#include "link/TransferBuffers.h"
#include "shell/AboutBox.h"
#include "shell/ApplicationIdentity.h"
#include "shell/ConnectionDialog.h"
#include "shell/ControllerWindows.h"
#include "shell/HelpFile.h"
#include "shell/ProgramEnd.h"
#include "shell/QtUserInterface.h"
#include "shell/RunTrace.h"
#include "shell/Settings.h"
#include "shell/SnapshotMenu.h"

#ifdef VTL_HAVE_DEMO_PORTS
#include "sim/DemoPorts.h"
#endif

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vtl::setApplicationIdentity();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures building-automation controllers over a serial line."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Also list the built-in simulated controllers as ports."));
    parser.addOption(simulate);
    parser.process(app);

    if (parser.isSet(simulate)) {
#ifdef VTL_HAVE_DEMO_PORTS
        vtl::sim::registerDemoPorts();
#else
        qWarning("This build has no simulated controllers.");
#endif
    }

    // Ctrl-C, SIGTERM and SIGHUP end the program as its Close button would, once the work on the
    // line has stopped at a safe point.
    vtl::watchForStopRequests();

    vtl::QtUserInterface ui;
    ui.setHelpPlaces({vtl::helpFilePath(QCoreApplication::applicationFilePath()),
                      vtl::help::manualFolder(QCoreApplication::applicationDirPath())});
    vtl::ProgramEnd end(ui, vtl::stopRequested);
    // The trace outlives the session: closing the port at the end writes into it.
    vtl::RunTrace runTrace(vtl::RealClock::instance());
    vtl::Session session(vtl::ConnectionState::instance(), vtl::TransferBuffers::instance(),
                         vtl::RealClock::instance(), ui);
    session.link.setTrace(runTrace.trace());
    const auto settings = vtl::openUserSettings();
    vtl::ConnectionDialog dialog(session, *settings);
    ui.setTitleWindow(&dialog);
    runTrace.addSaveAction(&dialog, ui);
    new vtl::SnapshotMenu(dialog, session);
    dialog.setWindowOpener(
        [&](vtl::ControllerWindow window) { vtl::openControllerWindow(session, window, &dialog); });
    dialog.exec();
    return 0;
}
