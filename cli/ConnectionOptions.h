#pragma once

#include "cli/Commands.h"
#include "cli/TerminalUserInterface.h"
#include "link/Connect.h"
#include "panelfile/FamilyCode.h"
#include "panels/MainPanelMemory.h"

#include <QCommandLineParser>

#include <optional>

namespace vtl::cli {

// The options that say how to reach a controller, shared by every command that connects:
// --port PORT [--lan | --sub-lan] [--baud auto|RATE] --code CODE [--usb] [--no-delay] [--retries N]
// [--trace FILE] [-v]
void addConnectionOptions(QCommandLineParser& parser);

// Reads the connection options; on a usage error returns nullopt after saying why.
struct ConnectionChoice {
    QString command; // for "vtl-cli COMMAND: ..." messages
    ConnectRequest request;
    bool usb = false;
    bool addDelay = true;
    int retries = 2;
    QString tracePath; // empty: no line trace
};
std::optional<ConnectionChoice> connectionChoice(const QCommandLineParser& parser,
                                                 CommandContext& ctx);

// Runs the connect procedure as the connection window's OK would. The window that would open is
// returned instead of opened. With --trace the line trace starts first and lasts for the run;
// nullopt, after saying why, when its file cannot be written.
std::optional<ControllerWindow> connectController(Session& session, const ConnectionChoice& choice);

// The family whose backup, restore and file code fit the window's controller.
PanelFamily familyOf(ControllerWindow window);

// The reads the configuration window makes when it opens; false when one failed. A main panel's
// settings are remembered in `memory`.
bool openingReads(Session& session, ControllerWindow window,
                  MainPanelMemory& memory = MainPanelMemory::instance());

// "main panel", "LAN controller", "Brinlet controller" or "sub panel".
QString controllerKind(const ConnectionState& state, ControllerWindow window);

} // namespace vtl::cli
