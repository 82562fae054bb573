// Feeds arbitrary bytes to the site file reader as `vtl-cli site` reads a site file, before
// anything connects. Whatever comes: every problem names a line of the file, in the file's order; a
// file with a problem gives no row to run; and every row it gives passes each check a row must pass
// (a name that is a file name and unique, a port --port takes, a rate of the list, an address for
// its framing, an accepted code, controllers on one line told apart by their addresses).
#include "cli/SiteFile.h"
#include "link/Connect.h"
#include "panels/SubPanelSettings.h"

#include <QSet>

#include <cstdlib>

namespace {

using namespace vtl;

void check(bool condition) {
    if (!condition) std::abort();
}

// The N of "line N: why", or 0 when the problem does not start so.
int lineOf(const QString& problem) {
    if (!problem.startsWith(QLatin1String("line "))) return 0;
    const qsizetype colon = problem.indexOf(QLatin1String(": "));
    return colon < 0 ? 0 : problem.mid(5, colon - 5).toInt();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The code given with --code, for the rows that leave theirs empty.
    const QString defaultCodes[] = {QString(), OrdinaryAccessCode, QStringLiteral("qov9")};
    const cli::SiteFile site = cli::readSiteFile(bytes, defaultCodes[size % 3]);

    check(site.ok() != site.rows.isEmpty());
    // Any of CR, LF or CRLF ends a line; "no controllers below the header" names the line after.
    const int lines = int(bytes.count('\n') + bytes.count('\r')) + 2;
    int last = 1;
    for (const QString& problem : site.problems) {
        const int line = lineOf(problem);
        check(line >= last && line <= lines);
        last = line;
    }

    QSet<QString> names;
    QSet<QString> controllers;
    QSet<QString> linesWithoutAddress;
    QSet<QString> linesUsed;
    int previous = 1;
    for (const cli::SiteRow& row : site.rows) {
        check(row.line > previous && row.line <= lines);
        previous = row.line;
        check(!row.name.isEmpty() && cli::fileNameProblem(row.name).isEmpty());
        check(cli::portProblem(row.port).isEmpty());
        check(row.baudPosition >= 0 && row.baudPosition <= 8);
        check(row.code == OrdinaryAccessCode || row.code == PrivilegedAccessCode);
        const int highest = row.subLan ? SubPanelMaxAddress : 125; // the main panel's box
        check(!row.address || (*row.address >= 1 && *row.address <= highest));

        check(!names.contains(row.name.toLower()));
        names.insert(row.name.toLower());
        const QString line = cli::lineKey(row.port);
        check(!linesWithoutAddress.contains(line));
        if (!row.address) {
            check(!linesUsed.contains(line));
            linesWithoutAddress.insert(line);
        } else {
            const QString controller = line + QLatin1Char('#') + QString::number(*row.address);
            check(!controllers.contains(controller));
            controllers.insert(controller);
        }
        linesUsed.insert(line);
    }
    return 0;
}
