// vtl-cli: the headless front end. Messages of the protocol go to standard error as
// "[Caption] Text"; results go to standard output as "key: value" lines.
#include "cli/Commands.h"
#include "cli/SubPanelCommands.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

const char* const Usage = R"(Usage: vtl-cli COMMAND [OPTIONS]

Commands:
  ports      list the ports the connection window offers
  identify   connect to a controller and say what it is
  inspect    show the header and records of a panel file, or a routing table file
  backup     back up a controller's whole memory to a panel file
  restore    send a panel file back to a controller
  routing    read or send a controller's IP routing table (.NET or .csv file)
  settings   show a controller's settings, or change some and send them (--set)
  modbus     show a sub panel's ModBus settings, or change and write them (--set)
  bacnet     show a LAN controller's BACnet settings, or change some and send them
  clear      clear a controller's memory (--yes to confirm)
  manual     print where the user manual (or one of its pages) lies
  trace      show a line trace written with --trace as a table
  diff       compare two panel files record by record
  verify     compare a controller's memory with a panel file
  site       identify, back up, verify or read the settings of every controller of a site file
  history    list the snapshots kept before every write
  undo       send a snapshot back to its controller (--yes to confirm)

Run "vtl-cli COMMAND --help" for the options of a command, "vtl-cli --version" for the version.
Exit status: 0 done, 1 failed or refused, 2 usage error.
)";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("QTZ"));
    QCoreApplication::setApplicationName(QStringLiteral("VTL"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.size() == 1 && args.first() == QLatin1String("--version")) {
        out << "vtl-cli " << VTL_VERSION << Qt::endl;
        return vtl::cli::ExitDone;
    }
    // Quiet by default: a command's -v shows the link's log lines.
    vtl::cli::showLinkLog(false);
    if (args.isEmpty() || args.first() == QLatin1String("--help") ||
        args.first() == QLatin1String("-h")) {
        (args.isEmpty() ? err : out) << Usage;
        return args.isEmpty() ? vtl::cli::ExitUsage : vtl::cli::ExitDone;
    }
    vtl::cli::CommandContext ctx{args, out, err};
    const QString command = args.first();
    if (command == QLatin1String("ports")) return vtl::cli::runPorts(ctx);
    if (command == QLatin1String("manual")) return vtl::cli::runManual(ctx);
    if (command == QLatin1String("identify")) return vtl::cli::runIdentify(ctx);
    if (command == QLatin1String("inspect")) return vtl::cli::runInspect(ctx);
    if (command == QLatin1String("backup")) return vtl::cli::runBackup(ctx);
    if (command == QLatin1String("restore")) return vtl::cli::runRestore(ctx);
    if (command == QLatin1String("routing")) return vtl::cli::runRouting(ctx);
    if (command == QLatin1String("trace")) return vtl::cli::runTrace(ctx);
    if (command == QLatin1String("diff")) return vtl::cli::runDiff(ctx);
    if (command == QLatin1String("verify")) return vtl::cli::runVerify(ctx);
    if (command == QLatin1String("site")) return vtl::cli::runSite(ctx);
    if (command == QLatin1String("settings")) return vtl::cli::runSettings(ctx);
    if (command == QLatin1String("history")) return vtl::cli::runHistory(ctx);
    if (command == QLatin1String("undo")) return vtl::cli::runUndo(ctx);
    // Every Sub LAN connection reaches a sub panel, every LAN connection a main panel or a LAN
    // controller: the connection says which window's logic a command runs.
    const bool subLan = args.contains(QLatin1String("--sub-lan"));
    if (command == QLatin1String("clear"))
        return subLan ? vtl::cli::runSubPanelClear(ctx) : vtl::cli::runClear(ctx);
    if (command == QLatin1String("modbus")) return vtl::cli::runModbus(ctx);
    if (command == QLatin1String("bacnet")) return vtl::cli::runBacnet(ctx);
    err << "vtl-cli: unknown command \"" << command << "\"\n" << Usage;
    return vtl::cli::ExitUsage;
}
