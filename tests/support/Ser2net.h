#pragma once

// A real serial device server (Debian's ser2net) between a TCP port and a pseudo-terminal, started
// and stopped by a test.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

namespace vtl::test {

class Ser2net {
public:
    static QString program() {
        return QStandardPaths::findExecutable(
            QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    }

    // Serves `device` (whose line starts at `rate`) on a free local port, as raw TCP or with
    // telnet COM port control.
    Ser2net(const QString& device, int rate, bool rfc2217, const QString& configDir) {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost)) return;
        tcpPort_ = probe.serverPort();
        probe.close();
        const QString config =
            QDir(configDir).filePath(QStringLiteral("ser2net-%1.yaml").arg(tcpPort_));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(QStringLiteral("connection: &c\n"
                                  "  accepter: %1tcp,127.0.0.1,%2\n"
                                  "  enable: on\n"
                                  "  connector: serialdev,%3,%4n81,local\n")
                       .arg(rfc2217 ? QStringLiteral("telnet(rfc2217),") : QString())
                       .arg(tcpPort_)
                       .arg(device)
                       .arg(rate)
                       .toLatin1());
        file.close();
        process_.start(program(), {"-n", "-d", "-c", config});
        // Generous waits that end as soon as the server is up: a busy machine may be slow.
        if (!process_.waitForStarted(30000)) return;
        // Listening once the port can no longer be taken.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 30000) {
            QTcpServer taken;
            if (!taken.listen(QHostAddress::LocalHost, tcpPort_)) {
                port = QStringLiteral("%1://127.0.0.1:%2")
                           .arg(rfc2217 ? "rfc2217" : "tcp")
                           .arg(tcpPort_);
                return;
            }
            taken.close();
            QThread::msleep(20);
        }
    }
    ~Ser2net() { stop(); }
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

    QString port; // empty when the server did not come up

private:
    QProcess process_;
    quint16 tcpPort_ = 0;
};

} // namespace vtl::test
