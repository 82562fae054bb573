#include "cli/Commands.h"

#include "link/HelpPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vtl::cli {

namespace {

// The pages of the manual, as --page takes them.
const char* const Pages = "connecting, main-panel, sub-panel, modbus-setup, lan-controller, "
                          "bacnet, routing-table, panel-files, command-line, sites, history, "
                          "device-servers, simulated-controllers or troubleshooting";

// What the manual's folder holds, for a page asked for that it does not.
QString pagesIn(const QString& folder) {
    QStringList pages = QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files);
    pages.removeAll(QString(help::Contents));
    for (QString& page : pages)
        page.chop(5);
    return pages.join(QStringLiteral(", "));
}

} // namespace

// The twin of F1: says where a page of the manual is, for a browser on this or another machine.
int runManual(CommandContext& ctx) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints where the user manual, or one page of it (a window's page is the one F1 opens "
        "there), lies on this machine."));
    parser.addHelpOption();
    const QCommandLineOption page(
        QStringLiteral("page"),
        QStringLiteral("The page: %1 (default: the contents).").arg(QLatin1String(Pages)),
        QStringLiteral("PAGE"));
    parser.addOption(page);
    if (auto status = parseArguments(parser, ctx)) return *status;

    QString name = parser.isSet(page) ? parser.value(page) : QString(help::Contents);
    if (!name.endsWith(QLatin1String(".html"))) name += QLatin1String(".html");
    const QString folder = help::manualFolder(QCoreApplication::applicationDirPath());
    const QString path = QDir(folder).filePath(name);
    // A name that leaves the manual's folder is no page of it.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        !QFileInfo(path).isFile()) {
        ctx.err << "[" << path << "] HTML Help File Not Found" << Qt::endl;
        if (parser.isSet(page) && QFileInfo(folder).isDir())
            ctx.err << "vtl-cli manual: the pages are " << pagesIn(folder) << Qt::endl;
        return ExitFailed;
    }
    ctx.out << path << Qt::endl;
    return ExitDone;
}

} // namespace vtl::cli
