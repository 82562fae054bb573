#include "cli/ConnectionOptions.h"
#include "cli/Interrupt.h"

#include "cli/Commands.h"
#include "cli/SettingsOutput.h"
#include "cli/SiteFile.h"
#include "lan/LanControllerReads.h"
#include "link/LineTrace.h"
#include "panels/MainPanelOperations.h"
#include "panels/SubPanelReads.h"

#include <QFileInfo>

namespace vtl::cli {
namespace {

const QStringList BaudChoices = {
    QStringLiteral("auto"),  QStringLiteral("115200"), QStringLiteral("57600"),
    QStringLiteral("38400"), QStringLiteral("19200"),  QStringLiteral("9600"),
    QStringLiteral("4800"),  QStringLiteral("2400"),   QStringLiteral("1200")};

// The options through which a command reads or writes a file of its own, and the port: a trace
// written into a serial device would go to the controller.
const QStringList FileOptions = {QStringLiteral("in"), QStringLiteral("out"),
                                 QStringLiteral("port")};

// The file a path leads to, whether it exists yet or not: links followed, "." and ".." gone.
QString resolvedPath(const QString& path, int linksLeft = 16) {
    const QFileInfo info(path);
    if (info.exists()) return info.canonicalFilePath();
    // A link to a file not made yet leads to where that file will be made.
    if (info.isSymLink() && linksLeft > 0) return resolvedPath(info.symLinkTarget(), linksLeft - 1);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

bool sameFile(const QString& a, const QString& b) {
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity names = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity names = Qt::CaseSensitive;
#endif
    return resolvedPath(a).compare(resolvedPath(b), names) == 0;
}

// The trace file is replaced when the command starts: it must not be a file the command reads or
// writes. The option that names the same file, or nothing.
std::optional<QString> traceClash(const QCommandLineParser& parser, const QString& trace) {
    for (const QString& name : parser.optionNames())
        if (FileOptions.contains(name) && sameFile(parser.value(name), trace))
            return QStringLiteral("--") + name;
    for (const QString& argument : parser.positionalArguments())
        if (sameFile(argument, trace)) return argument;
    return std::nullopt;
}

// Said once, where a failing trace stops; the command itself goes on, and its exit status tells
// what became of the controller and its files, not of the trace.
void reportTraceFailure(UserInterface& ui, const QString& path, const QString& why) {
    const QString line =
        QStringLiteral("vtl-cli: the line trace %1 stops here: it could not be written (%2)")
            .arg(path, why);
    if (auto* terminal = dynamic_cast<TerminalUserInterface*>(&ui))
        terminal->note(line);
    else
        QTextStream(stderr) << line << Qt::endl;
}

} // namespace

void addConnectionOptions(QCommandLineParser& parser) {
    parser.addOption({opt("port"),
                      opt("The port: a device, COMn, tcp://HOST:PORT or rfc2217://HOST:PORT."),
                      opt("PORT")});
    parser.addOption({opt("lan"), opt("LAN framing (the default).")});
    parser.addOption({opt("sub-lan"), opt("Sub LAN framing: listen, then join as station 0.")});
    parser.addOption(
        {opt("baud"),
         opt("auto, 115200, 57600, 38400, 19200, 9600, 4800, 2400 or 1200 (default auto)."),
         opt("RATE"), opt("auto")});
    parser.addOption({opt("code"), opt("The access code."), opt("CODE")});
    parser.addOption({opt("usb"), opt("Never switch DTR (older USB adapter drivers).")});
    parser.addOption({opt("no-delay"), opt("No 1 ms pause before each byte in LAN framing.")});
    parser.addOption({opt("retries"),
                      opt("Answer Retry this many times before giving up (default 2)."), opt("N"),
                      opt("2")});
    parser.addOption({opt("trace"),
                      opt("Write every frame and line event to FILE as JSON Lines (see trace)."),
                      opt("FILE")});
    parser.addOption({{opt("v"), opt("verbose")}, opt("Show the link's log lines too.")});
}

std::optional<ConnectionChoice> connectionChoice(const QCommandLineParser& parser,
                                                 CommandContext& ctx) {
    ConnectionChoice choice;
    choice.command = ctx.args.first();
    auto refuse = [&](const QString& why) {
        ctx.err << "vtl-cli " << choice.command << ": " << why << Qt::endl;
        return std::nullopt;
    };
    if (!parser.isSet(opt("port")) || !parser.isSet(opt("code")))
        return refuse(opt("--port and --code are required"));
    if (parser.isSet(opt("lan")) && parser.isSet(opt("sub-lan")))
        return refuse(opt("--lan and --sub-lan exclude each other"));
    const int position = int(BaudChoices.indexOf(parser.value(opt("baud")).toLower()));
    if (position < 0)
        return refuse(QStringLiteral("--baud must be one of ") +
                      BaudChoices.join(QStringLiteral(", ")));
    bool ok = false;
    choice.retries = parser.value(opt("retries")).toInt(&ok);
    if (!ok || choice.retries < 0) return refuse(opt("--retries takes a number of 0 or more"));
    // A port that cannot be one is a mistake on the command line, not a port that failed.
    const QString port = parser.value(opt("port"));
    if (!portProblem(port).isEmpty())
        return refuse(QStringLiteral("--port takes %1, not %2").arg(PortForms, quotedValue(port)));
    // The access code box turns what is typed into capitals.
    choice.request = {parser.value(opt("code")).toUpper(), port, position,
                      parser.isSet(opt("sub-lan"))};
    choice.usb = parser.isSet(opt("usb"));
    choice.addDelay = !parser.isSet(opt("no-delay"));
    choice.tracePath = parser.value(opt("trace"));
    showLinkLog(parser.isSet(opt("verbose")));
    if (parser.isSet(opt("trace"))) {
        if (choice.tracePath.isEmpty()) return refuse(opt("--trace takes a file name"));
        if (const auto clash = traceClash(parser, choice.tracePath))
            return refuse(
                QStringLiteral("--trace %1 is the file of %2: the trace would write over it")
                    .arg(choice.tracePath, *clash));
    }
    return choice;
}

std::optional<ControllerWindow> connectController(Session& session,
                                                  const ConnectionChoice& choice) {
    // From here on the line is ours: a signal to stop waits for a safe point.
    watchForInterrupt();
    if (!choice.tracePath.isEmpty()) {
        // Lives to the end of the process, beyond the session that writes into it.
        static std::unique_ptr<LineTrace> trace;
        QString why;
        trace = LineTrace::create(choice.tracePath, session.clock, &why);
        if (!trace) {
            QTextStream(stderr) << "vtl-cli " << choice.command << ": cannot write the line trace "
                                << choice.tracePath << ": " << why << Qt::endl;
            return std::nullopt;
        }
        trace->setFailureHandler(
            [&ui = session.ui, path = choice.tracePath](const QString& failure) {
                reportTraceFailure(ui, path, failure);
            });
        session.link.setTrace(trace.get());
    }
    session.state.UsbMode = choice.usb;
    session.state.AddDelay = choice.addDelay;
    std::optional<ControllerWindow> found;
    Connect(session, choice.request, [&](ControllerWindow window) { found = window; });
    return found;
}

PanelFamily familyOf(ControllerWindow window) {
    switch (window) {
    case ControllerWindow::MainPanel:
        return PanelFamily::Main;
    case ControllerWindow::LanController:
        return PanelFamily::Lan;
    case ControllerWindow::SubPanel:
        break;
    }
    return PanelFamily::Sub;
}

// The reads the configuration window makes when it opens; false when one failed.
bool openingReads(Session& session, ControllerWindow window, MainPanelMemory& memory) {
    switch (window) {
    case ControllerWindow::MainPanel: {
        MainPanelOperations operations(session, memory);
        MainPanelView view;
        view.firmwareLine = MainPanelOperations::firmwareLine(session.state.PanelTypeCode);
        return operations.load(view);
    }
    case ControllerWindow::LanController:
        return readLanControllerSettings(session);
    case ControllerWindow::SubPanel:
        return !isKestromCompatible(session.state) ||
               readSubPanelCompatibility(session).has_value();
    }
    return false;
}

QString controllerKind(const ConnectionState& state, ControllerWindow window) {
    switch (window) {
    case ControllerWindow::MainPanel:
        return QStringLiteral("main panel");
    case ControllerWindow::LanController:
        return state.IsBrinlet ? QStringLiteral("Brinlet controller")
                               : QStringLiteral("LAN controller");
    case ControllerWindow::SubPanel:
        return QStringLiteral("sub panel");
    }
    return {};
}

} // namespace vtl::cli
