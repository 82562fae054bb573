#pragma once

// What a strict vtl-sim complained of that the program's own account of the run does not explain.
//
// On a busy machine a byte of a reply can be held up past the 110 ms read time-out: the program
// then counts a byte that never came, its block check or sum fails, and it asks, retries and goes
// on, as the protocol allows. The controller hears the retry's request where it waited for the
// acknowledgement of a reply block (or the rest of a request cut short by a pause of the PC's),
// and writes that down; so it does when the PC gave up on a write while the controller's own 0x06
// was held up (its process not scheduled) and the retry's request came where the write's data was
// due. Such a mark is allowed once for every retry the program reports; the noise it leaves (the
// rest of an abandoned frame heard as stray bytes) only beside one.
//
// On a Sub LAN a reply held up inside its preamble or header is missed whole: the program waits
// out its reply budget (up to 11 s), the controller takes the bus back from a PC silent for 5 s,
// and the release that ends the program's try comes while the controller holds the bus. That late
// release is allowed once for every retry too, and stands for a mark.
//
// Anything else is a fault, and so is a simulator that did not end with its own status.

#include "tests/support/Processes.h"

#include <QStringList>

namespace vtl::test {

inline bool containsAny(const QString& line, std::initializer_list<const char*> texts) {
    for (const char* text : texts)
        if (line.contains(QLatin1String(text))) return true;
    return false;
}

// `simErrors`: the simulator's standard error; `programErrors`: the program's, of every run
// against it.
inline QStringList unexplainedComplaints(const QString& simErrors, const QString& programErrors) {
    const int retries = int(programErrors.count(QStringLiteral("-> Retry")));
    QStringList marks;
    QStringList lateReleases;
    QStringList noise;
    QStringList unexplained;
    for (const QString& line : simErrors.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("violation: "))) continue;
        if (containsAny(line, {"where 0x06 was due", "no 0x06 after", "frame cut short: silence",
                               "without being polled", "before our 0x06 had gone out",
                               "after our 0x06 went out late"}))
            marks << line;
        else if (line.contains(QLatin1String("release frame while the PC did not hold the bus")))
            lateReleases << line;
        else if (containsAny(line,
                             {"stray byte", "broken preamble", "poll answer 0x01 followed by"}))
            noise << line;
        else
            unexplained << line;
    }
    // Each retry explains one mark and one late release.
    const auto beyondRetries = [&](const QStringList& lines, const char* what) {
        if (lines.size() > retries)
            unexplained << QStringLiteral("%1 %2, but the program retried %3 times:")
                               .arg(lines.size())
                               .arg(QLatin1String(what))
                               .arg(retries)
                        << lines;
    };
    beyondRetries(marks, "marks of a retry");
    beyondRetries(lateReleases, "releases after the bus was taken back");
    if (marks.isEmpty() && lateReleases.isEmpty()) unexplained << noise;
    if (!unexplained.isEmpty())
        unexplained << QStringLiteral("(the program retried %1 times)").arg(retries);
    return unexplained;
}

// Stops the simulator; what it complained of beyond what `programErrors` explains, or how it ended
// when that was not its own exit status (0 clean, 1 violations heard).
inline QStringList stopAndExplain(SimProcess& sim, const QString& programErrors) {
    const int status = sim.stop();
    if (status != 0 && status != 1)
        return {QStringLiteral("vtl-sim ended with status %1").arg(status), sim.errors};
    return unexplainedComplaints(sim.errors, programErrors);
}

} // namespace vtl::test
