#include "cli/Commands.h"

#include "link/PortRegistry.h"
#include "link/UserSettings.h"

#include <QCommandLineParser>

namespace vtl::cli {

int runPorts(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the ports the connection window offers."));
    parser.addHelpOption();
    if (auto status = parseArguments(parser, ctx)) return *status;
    for (const PortEntry& port : listPorts()) {
        ctx.out << port.name;
        const QString details = portDetails(port);
        if (!details.isEmpty()) ctx.out << '\t' << details;
        ctx.out << Qt::endl;
    }
    // The device server the connection window used last; it is typed, not found.
    if (const QString server = readDeviceServer(*openUserSettings()); !server.isEmpty())
        ctx.out << server << '\t' << "device server (remembered)" << Qt::endl;
    return ExitDone;
}

} // namespace vtl::cli
