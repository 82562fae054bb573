// vtl-cli site: one operation on every controller of a site file, lines served at once.
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/SiteDisplay.h"
#include "cli/SiteOperations.h"
#include "cli/SiteReport.h"
#include "cli/SiteRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <atomic>
#include <memory>

namespace vtl::cli {
namespace {

const QStringList Operations = {opt("identify"), opt("backup"), opt("verify"), opt("settings")};

// Log lines of a job go to its row in the monitor, shown with --verbose; others go on as before.
std::atomic<SiteMonitor*> logMonitor{nullptr};
QtMessageHandler earlierHandler = nullptr;

void routeLogLine(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    SiteMonitor* monitor = logMonitor.load();
    if (monitor && currentSiteRow() >= 0) {
        monitor->log(currentSiteRow(), qFormatLogMessage(type, context, text));
        return;
    }
    if (earlierHandler) earlierHandler(type, context, text);
}

class LogRouting {
public:
    explicit LogRouting(SiteMonitor& monitor) {
        logMonitor = &monitor;
        earlierHandler = qInstallMessageHandler(routeLogLine);
    }
    ~LogRouting() {
        qInstallMessageHandler(earlierHandler);
        logMonitor = nullptr;
    }
    LogRouting(const LogRouting&) = delete;
    LogRouting& operator=(const LogRouting&) = delete;
};

void addOptions(QCommandLineParser& parser) {
    parser.addPositionalArgument(opt("OPERATION"), opt("identify, backup, verify or settings."));
    parser.addPositionalArgument(
        opt("SITE.csv"),
        opt("The site file: name,port,framing,baud,address,code, a row a controller."));
    parser.addOptions({
        {opt("jobs"), opt("Serve at most N ports at once (default: every port at once)."),
         opt("N")},
        {opt("code"), opt("The access code for rows that leave theirs empty."), opt("CODE")},
        {opt("out"), opt("backup: the folder for the panel files NAME-YYYYMMDD-HHMM.PNL."),
         opt("DIR")},
        {opt("any-address"), opt("backup: sub panel files that may be restored at any address.")},
        {opt("in"), opt("verify: the folder holding the backups to compare with."), opt("DIR")},
        {opt("json"), opt("settings: every controller's settings as one JSON document.")},
        {opt("apply"),
         opt("settings: change on every controller the keys a template holds (what settings "
             "--json prints, or part of it) and send them."),
         opt("FILE")},
        {opt("dry-run"), opt("settings --apply: read each controller and print what would "
                             "change, without sending.")},
        {opt("report"), opt("Write the summary to FILE as JSON."), opt("FILE")},
        {opt("retries"), opt("Answer Retry this many times before giving up (default 2)."),
         opt("N"), opt("2")},
        {opt("usb"), opt("Never switch DTR (older USB adapter drivers).")},
        {opt("no-delay"), opt("No 1 ms pause before each byte in LAN framing.")},
        {{opt("v"), opt("verbose")}, opt("Show every message and log line of every controller.")},
    });
}

// Which options belong to which operation.
struct OptionUse {
    const char* option;
    QStringList operations;
    bool required;
};

std::optional<QString> optionProblem(const QCommandLineParser& parser, const QString& operation) {
    const OptionUse uses[] = {
        {"out", {opt("backup")}, true},      {"any-address", {opt("backup")}, false},
        {"in", {opt("verify")}, true},       {"json", {opt("settings")}, false},
        {"apply", {opt("settings")}, false}, {"dry-run", {opt("settings")}, false}};
    for (const OptionUse& use : uses) {
        const bool belongs = use.operations.contains(operation);
        if (parser.isSet(opt(use.option)) && !belongs)
            return QStringLiteral("--%1 is for %2 only")
                .arg(QString::fromLatin1(use.option), use.operations.join(QStringLiteral(", ")));
        if (belongs && use.required && !parser.isSet(opt(use.option)))
            return QStringLiteral("%1 needs --%2 DIR")
                .arg(operation, QString::fromLatin1(use.option));
    }
    if (parser.isSet(opt("dry-run")) && !parser.isSet(opt("apply")))
        return QStringLiteral("--dry-run needs --apply FILE");
    return std::nullopt;
}

std::optional<int> count(const QCommandLineParser& parser, const char* name, int least,
                         QString& problem) {
    if (!parser.isSet(opt(name))) return std::nullopt;
    bool ok = false;
    const int value = parser.value(opt(name)).toInt(&ok);
    if (!ok || value < least)
        problem = QStringLiteral("--%1 takes a number of %2 or more")
                      .arg(QString::fromLatin1(name))
                      .arg(least);
    return value;
}

std::unique_ptr<SiteOperation> makeOperation(const QCommandLineParser& parser,
                                             const QString& operation,
                                             const std::optional<SettingsTemplate>& settings) {
    if (operation == QLatin1String("backup"))
        return std::make_unique<BackupOperation>(QDir(parser.value(opt("out"))),
                                                 parser.isSet(opt("any-address")));
    if (operation == QLatin1String("verify"))
        return std::make_unique<VerifyOperation>(QDir(parser.value(opt("in"))));
    if (operation == QLatin1String("settings"))
        return settings
                   ? std::make_unique<SettingsOperation>(*settings, parser.isSet(opt("dry-run")))
                   : std::make_unique<SettingsOperation>();
    return std::make_unique<IdentifyOperation>();
}

// Settings go to standard output: one JSON document keyed by name (null for a controller not
// read), or a block of "key: value" lines a controller. After a template, its changes instead.
void printSettings(QTextStream& out, const QList<SiteRow>& rows, const QList<RowStatus>& status,
                   bool json, bool applied) {
    if (json) {
        const QString member = applied ? QStringLiteral("changes") : QStringLiteral("settings");
        QJsonObject document;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QJsonValue settings = status[i].outcome.report.value(member);
            document.insert(rows[i].name, settings.isObject() ? settings : QJsonValue());
        }
        out << QJsonDocument(document).toJson(QJsonDocument::Indented);
        return;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (status[i].state != RowState::Succeeded) continue;
        out << rows[i].name << ":\n";
        for (const QString& line : status[i].outcome.output)
            out << "  " << line << '\n';
    }
}

class SiteCommand {
public:
    explicit SiteCommand(CommandContext& ctx) : ctx_(ctx) {}
    int run();

private:
    int usage(const QString& problem) {
        ctx_.err << "vtl-cli site: " << problem << Qt::endl;
        return ExitUsage;
    }
    int failed(const QString& problem) {
        ctx_.err << "vtl-cli site: " << problem << Qt::endl;
        return ExitFailed;
    }
    std::optional<int> checkFolders();
    std::optional<int> readTemplate();
    std::optional<int> readSite();
    int serve();

    CommandContext& ctx_;
    QCommandLineParser parser_;
    QString operation_;
    QString sitePath_;
    SiteOptions options_;
    QList<SiteRow> rows_;
    std::optional<SettingsTemplate> template_;
};

int SiteCommand::run() {
    parser_.setApplicationDescription(QStringLiteral(
        "Serves every controller of a site file: identify (the census), backup, verify or "
        "settings. Rows on one port run one after the other, different ports at once."));
    parser_.addHelpOption();
    addOptions(parser_);
    if (auto status = parseArguments(parser_, ctx_, 2, "arguments, OPERATION and SITE.csv"))
        return *status;
    operation_ = parser_.positionalArguments().at(0);
    sitePath_ = parser_.positionalArguments().at(1);
    if (!Operations.contains(operation_))
        return usage(QStringLiteral("unknown operation \"%1\" (%2)")
                         .arg(operation_, Operations.join(QStringLiteral(", "))));
    if (const auto problem = optionProblem(parser_, operation_)) return usage(*problem);
    QString problem;
    options_.jobs = count(parser_, "jobs", 1, problem).value_or(0);
    options_.retries = count(parser_, "retries", 0, problem).value_or(2);
    if (!problem.isEmpty()) return usage(problem);
    showLinkLog(parser_.isSet(opt("verbose")));
    options_.usb = parser_.isSet(opt("usb"));
    options_.addDelay = !parser_.isSet(opt("no-delay"));
    if (const auto status = checkFolders()) return *status;
    if (const auto status = readTemplate()) return *status;
    if (const auto status = readSite()) return *status;
    return serve();
}

// Every folder the run writes to or reads from is checked before anything connects.
std::optional<int> SiteCommand::checkFolders() {
    if (parser_.isSet(opt("out"))) {
        const QString out = parser_.value(opt("out"));
        if (out.isEmpty() || !QDir().mkpath(out))
            return failed(QStringLiteral("cannot make the folder \"%1\"").arg(out));
    }
    if (parser_.isSet(opt("in")) && !QFileInfo(parser_.value(opt("in"))).isDir())
        return usage(QStringLiteral("--in %1: no such folder").arg(parser_.value(opt("in"))));
    if (parser_.isSet(opt("report"))) {
        const QFileInfo report(parser_.value(opt("report")));
        if (report.fileName().isEmpty() || report.isDir() || !report.absoluteDir().exists())
            return usage(QStringLiteral("--report %1: not a file in an existing folder")
                             .arg(parser_.value(opt("report"))));
    }
    return std::nullopt;
}

// A template is checked whole before anything connects, as settings --apply checks it.
std::optional<int> SiteCommand::readTemplate() {
    if (!parser_.isSet(opt("apply"))) return std::nullopt;
    const QString path = parser_.value(opt("apply"));
    if (path.isEmpty()) return usage(QStringLiteral("--apply needs a file name"));
    QStringList describing = descriptiveKeys(SettingsCommand::Settings, false);
    describing << descriptiveKeys(SettingsCommand::Settings, true);
    const TemplateRead read = readSettingsTemplate(path, describing);
    if (!read.settings) {
        const QString why = read.problem + QStringLiteral("; nothing was started");
        return read.unreadable ? failed(why) : usage(why);
    }
    if (const QString why = siteTemplateProblem(*read.settings); !why.isEmpty())
        return usage(QStringLiteral("%1: %2; nothing was started").arg(path, why));
    template_ = read.settings;
    return std::nullopt;
}

std::optional<int> SiteCommand::readSite() {
    QFile file(sitePath_);
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("cannot read %1: %2").arg(sitePath_, file.errorString()));
    const SiteFile site = readSiteFile(file.readAll(), parser_.value(opt("code")));
    if (!site.ok()) {
        for (const QString& problem : site.problems)
            ctx_.err << "vtl-cli site: " << sitePath_ << " " << problem << '\n';
        return usage(QStringLiteral("nothing was started"));
    }
    rows_ = site.rows;
    return std::nullopt;
}

int SiteCommand::serve() {
    const auto operation = makeOperation(parser_, operation_, template_);
    QStringList refused;
    for (const SiteRow& row : rows_)
        refused << operation->prepare(row);

    SiteMonitor monitor(rows_.size(), RealClock::instance());
    SiteRun run{operation_, sitePath_, QDateTime::currentDateTime(), {}, monitor.nowMs()};
    SiteDisplay display(ctx_.err, rows_, standardErrorIsTerminal(), parser_.isSet(opt("verbose")));
    watchForInterrupt();
    {
        LogRouting logs(monitor);
        SiteRunner runner(rows_, *operation, options_, monitor, interruptRequested);
        runner.start(refused);
        while (!runner.wait(250))
            display.refresh(monitor);
    }
    display.refresh(monitor);
    run.finished = QDateTime::currentDateTime();

    const QList<RowStatus> status = monitor.snapshot();
    const bool settings = operation_ == QLatin1String("settings");
    if (settings)
        printSettings(ctx_.out, rows_, status, parser_.isSet(opt("json")), template_.has_value());
    // Where the settings are the result, the summary goes with the messages.
    QTextStream& summary = settings ? ctx_.err : ctx_.out;
    for (const QString& line : summaryTable(rows_, status))
        summary << line << '\n';
    summary.flush();
    ctx_.out.flush();

    if (parser_.isSet(opt("report"))) {
        QString why;
        if (!writeReport(parser_.value(opt("report")), siteReport(run, rows_, status), &why))
            return failed(QStringLiteral("cannot write the report %1: %2")
                              .arg(parser_.value(opt("report")), why));
    }
    return allSucceeded(status) ? ExitDone : ExitFailed;
}

} // namespace

int runSite(CommandContext& ctx) {
    return SiteCommand(ctx).run();
}

} // namespace vtl::cli
