// Runs a long series of exchanges against vtl-sim through a pseudo-terminal and compares the wall
// time with the protocol floor (the mandated pauses plus every byte at the line rate), and reports
// the CPU time the program spends per exchange.
//
//   vtl-bench-exchange [--sim PATH] [--count N]
#include "link/CommandSet.h"
#include "link/Session.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using namespace vtl;

// The processor time of this process, user and system.
double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

double byteMs(int bytes, int rate) {
    return bytes * 10.0 * 1000.0 / rate;
}

struct Scenario {
    const char* name;
    const char* model;
    int rate;
    bool subLan;
    commands::RecordAddress record;
    std::uint32_t writeLength; // 0 for a read
    std::uint32_t replyLength;
};

// Bytes and pauses the protocol itself demands for one exchange.
double floorMs(const Scenario& s) {
    const std::uint32_t n = s.writeLength ? s.writeLength : s.replyLength;
    if (s.subLan) {
        // poll frame heard, 0x01 0x01, request, fill, reply, release frame; pauses around DTR.
        const int fill = s.rate >= 4800 ? 2 : 0;
        const int bytes = 11 + 2 + 11 + (s.writeLength ? 2 + n + 2 : 0) + fill +
                          (s.writeLength ? 1 : 11 + 2 + n + 2) + 11;
        const double pauses = 5 + (5 + 100 + 5) + (s.writeLength ? ((n + 31) / 32) * 96.0 : 0);
        return pauses + byteMs(bytes, s.rate);
    }
    const int checks = int(n / 128) + (n % 128 ? 1 : 0);
    const int acks = s.writeLength ? 1 + int(n / 128) : int((n - 1) / 128);
    const int request = 15 + (s.writeLength ? 2 + int(n) + checks : 0);
    const int reply = s.writeLength ? 1 : 15 + 2 + int(n) + int((n - 1) / 128) + 2;
    return 300 + byteMs(request + reply + acks, s.rate);
}

int run(const Scenario& s, const QString& simExe, int count, QTextStream& out) {
    QProcess sim;
    sim.start(simExe,
              {"--model", s.model, "--address", "5", "--baud", QString::number(s.rate), "--pty"});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) return 1;
    const QString port = QString::fromLatin1(sim.readLine().trimmed()).mid(6);

    SilentUserInterface ui;
    ConnectionState state;
    TransferBuffers buffers;
    Session session(state, buffers, RealClock::instance(), ui);
    state.PortName = port;
    state.BaudRate = s.rate;
    state.PanelAddress = 5;
    state.LinkMode = s.subLan ? LinkModeSubLan : LinkModeLan;
    state.PollPending = s.subLan;

    int failures = 0;
    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        buffers.TransferLength = s.writeLength;
        state.ReleasePending = 1;
        const std::uint8_t command =
            s.writeLength ? commands::writeOf(s.record.command) : s.record.command;
        const std::uint8_t panel = s.subLan ? 5 : commands::DirectPanel;
        if (!session.exchange.PanelTransaction(panel, 0, command, s.record.point, s.record.table))
            ++failures;
    }
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall0)
            .count() /
        count;
    const double cpuMs = (cpuSeconds() - cpu0) * 1000.0 / count;
    sim.terminate();
    sim.waitForFinished(5000);
    const QString violations = QString::fromLocal8Bit(sim.readAllStandardError()).trimmed();

    const double floor = floorMs(s);
    out << QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 |")
               .arg(QString::fromLatin1(s.name))
               .arg(s.rate)
               .arg(wallMs, 0, 'f', 1)
               .arg(floor, 0, 'f', 1)
               .arg(wallMs / floor, 0, 'f', 2)
               .arg(cpuMs, 0, 'f', 2)
               .arg(failures)
        << Qt::endl;
    if (!violations.isEmpty()) out << "  simulator saw: " << violations << Qt::endl;
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QString simExe = QStringLiteral(VTL_SIM_EXE);
    int count = 20;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--sim")) simExe = args[i + 1];
        if (args[i] == QLatin1String("--count")) count = args[i + 1].toInt();
    }
    const Scenario scenarios[] = {
        {"LAN read, main settings (18 B)", "main", 38400, false, commands::MainPanelSettings, 0,
         18},
        {"LAN read, main settings (18 B)", "main", 115200, false, commands::MainPanelSettings, 0,
         18},
        {"LAN write, main settings (18 B)", "main", 38400, false, commands::MainPanelSettings, 18,
         0},
        {"LAN read, LAN settings (96 B)", "lan490", 19200, false, commands::Status, 0, 96},
        {"Sub LAN read, status + release", "sub4000", 38400, true, commands::Status, 0, 0},
    };
    out << "| exchange | baud | wall ms | floor ms | wall/floor | CPU ms | failed |" << Qt::endl
        << "|---|---|---|---|---|---|---|" << Qt::endl;
    int status = 0;
    for (const Scenario& s : scenarios)
        status |= run(s, simExe, count, out);
    return status;
}
