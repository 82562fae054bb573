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

namespace {

const QCommandLineOption
    Simulate(QStringLiteral("simulate"),
             QStringLiteral("Also list the built-in simulated controllers as ports."));

void describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Configures building-automation controllers over a serial line."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(Simulate);
}

// --help and --version print and end: they need no display, so they are answered before the
// window system is opened.
bool asksOnlyForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* text : {"-h", "--help", "--help-all", "-v", "--version"})
            if (qstrcmp(argv[i], text) == 0) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("VTL"));
        QCoreApplication::setApplicationVersion(QStringLiteral(VTL_VERSION));
        QCommandLineParser parser;
        describeOptions(parser);
        parser.process(app);
        return 0;
    }
    QApplication app(argc, argv);
    vtl::setApplicationIdentity();

    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(app);

    if (parser.isSet(Simulate)) {
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
