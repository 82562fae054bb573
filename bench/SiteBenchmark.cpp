// Sixteen simulated controllers on sixteen TCP ports: each backed up alone, one after the other,
// then all at once with vtl-cli site backup --jobs 16. Compares the site's wall time with the
// slowest single backup and reports the processor time per job.
//
//   vtl-bench-site [--count N] [--singles N] [--model lan600] [--baud 38400]
#include "bench/ChildCpu.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct Sim {
    QProcess process;
    QString port;
};

struct Timed {
    bool ok = false;
    double wallS = 0;
    double cpuS = 0;
};

// Runs vtl-cli to its end; wall time and its processor time.
Timed runCli(const QString& cli, const QStringList& arguments) {
    const double cpuBefore = waitedChildrenCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QProcess process;
    process.start(cli, arguments);
    const bool finished = process.waitForFinished(-1);
    Timed t;
    t.wallS = double(wall.nsecsElapsed()) / 1e9;
    t.cpuS = waitedChildrenCpuSeconds() - cpuBefore;
    t.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!t.ok) QTextStream(stderr) << process.readAllStandardError();
    return t;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"sim", "vtl-sim", "PATH", QStringLiteral(VTL_SIM_EXE)},
                       {"cli", "vtl-cli", "PATH", QStringLiteral(VTL_CLI_EXE)},
                       {"count", "Controllers.", "N", "16"},
                       {"singles", "How many of them to back up alone first.", "N", "16"},
                       {"model", "vtl-sim model.", "MODEL", "lan600"},
                       {"baud", "Line rate.", "RATE", "38400"}});
    parser.process(app);
    QTextStream out(stdout);
    const int count = parser.value("count").toInt();
    const int singles = std::min(count, parser.value("singles").toInt());
    QTemporaryDir dir;

    std::vector<std::unique_ptr<Sim>> sims;
    for (int i = 0; i < count; ++i) {
        auto sim = std::make_unique<Sim>();
        sim->process.start(parser.value("sim"),
                           {"--model", parser.value("model"), "--address", QString::number(i + 1),
                            "--baud", parser.value("baud"), "--tcp", "0"});
        if (!sim->process.waitForReadyRead(5000)) return 1;
        sim->port = QString::fromLatin1(sim->process.readLine().trimmed()).mid(6);
        sims.push_back(std::move(sim));
    }

    double slowest = 0, singleCpu = 0;
    for (int i = 0; i < singles; ++i) {
        const Timed t =
            runCli(parser.value("cli"), {"backup", "--port", sims[std::size_t(i)]->port, "--code",
                                         "QOV", "--baud", parser.value("baud"), "--out",
                                         dir.filePath(QStringLiteral("single-%1.PNL").arg(i))});
        if (!t.ok) return 1;
        out << QStringLiteral("single %1: %2 s wall, %3 ms CPU")
                   .arg(i + 1)
                   .arg(t.wallS, 0, 'f', 1)
                   .arg(t.cpuS * 1000, 0, 'f', 0)
            << Qt::endl;
        slowest = std::max(slowest, t.wallS);
        singleCpu += t.cpuS / singles;
    }

    QFile site(dir.filePath(QStringLiteral("site.csv")));
    if (!site.open(QIODevice::WriteOnly)) return 1;
    site.write("name,port,framing,baud,address,code\n");
    for (int i = 0; i < count; ++i)
        site.write(QStringLiteral("C%1,%2,lan,%3,%1,QOV\n")
                       .arg(i + 1)
                       .arg(sims[std::size_t(i)]->port, parser.value("baud"))
                       .toUtf8());
    site.close();
    const QString report = dir.filePath(QStringLiteral("report.json"));
    const Timed all = runCli(parser.value("cli"),
                             {"site", "backup", site.fileName(), "--jobs", QString::number(count),
                              "--out", dir.filePath("site"), "--report", report});
    QFile reportFile(report);
    reportFile.open(QIODevice::ReadOnly);
    double longestRow = 0;
    for (const QJsonValue& c :
         QJsonDocument::fromJson(reportFile.readAll()).object().value("controllers").toArray())
        longestRow = std::max(longestRow, c.toObject().value("seconds").toDouble());

    const double perJobMs = all.cpuS * 1000 / count;
    out << QStringLiteral("%1 x %2 at %3 baud: slowest single backup %4 s (%5 ms CPU); "
                          "site backup --jobs %1 %6 s wall (longest row %7 s), %8 of the slowest "
                          "single; %9 ms CPU per job, %10% of a core")
               .arg(count)
               .arg(parser.value("model"), parser.value("baud"))
               .arg(slowest, 0, 'f', 1)
               .arg(singleCpu * 1000, 0, 'f', 0)
               .arg(all.wallS, 0, 'f', 1)
               .arg(longestRow, 0, 'f', 1)
               .arg(slowest > 0 ? all.wallS / slowest : 0, 0, 'f', 3)
               .arg(perJobMs, 0, 'f', 0)
               .arg(perJobMs / 1000 / all.wallS * 100, 0, 'f', 2)
        << Qt::endl;
    for (auto& sim : sims) {
        sim->process.terminate();
        sim->process.waitForFinished(5000);
    }
    return all.ok ? 0 : 1;
}
