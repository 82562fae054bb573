// tcp:// and rfc2217:// transports against a scripted device server on a thread of its own, in
// real time: the bytes on the wire, the reasons of failures and how long they take.
#include "link/Rfc2217Transport.h"
#include "link/SerialLink.h"
#include "link/TcpTransport.h"
#include "tests/support/ScriptedUserInterface.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>

namespace vtl {
namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Counts the link's warnings that a request was waited for in vain: one per wait, however long
// a busy machine makes each.
class UnconfirmedWaits {
public:
    UnconfirmedWaits() : previous_(qInstallMessageHandler(&note)) { count_ = 0; }
    ~UnconfirmedWaits() { qInstallMessageHandler(previous_); }
    int count() const { return count_; }

private:
    static void note(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtWarningMsg && text.contains(QLatin1String("did not confirm request")))
            ++count_;
    }
    static inline std::atomic<int> count_{0};
    QtMessageHandler previous_;
};

// Takes sessions one after another and runs the script on each; counts them.
class ScriptedServer final : public QThread {
public:
    using Script = std::function<void(QTcpSocket&)>;
    explicit ScriptedServer(Script script) : script_(std::move(script)) {
        start();
        while (port_ == 0)
            QThread::msleep(1);
    }
    ~ScriptedServer() override {
        stop_ = true;
        wait();
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    QString name(const char* scheme) const {
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(port_);
    }
    quint16 port() const { return port_; }
    int sessions() const { return sessions_; }
    std::atomic<bool> stop_ = false;

protected:
    void run() override {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        port_ = server.serverPort();
        while (!stop_) {
            if (!server.waitForNewConnection(20)) continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            ++sessions_;
            script_(*socket);
            if (socket->state() == QAbstractSocket::ConnectedState)
                socket->waitForBytesWritten(100);
        }
    }

private:
    Script script_;
    std::atomic<quint16> port_ = 0;
    std::atomic<int> sessions_ = 0;
};

// An RFC 2217 server: accepts option 44, echoes every request as confirmed except DTR (as a
// pseudo-terminal behind ser2net), answers the rate with `lineRate` when set, and keeps every
// byte it received.
struct ComPortServer {
    std::uint32_t lineRate = 0;
    QByteArray received;
    QByteArray toSend; // data sent after the format is set
    std::atomic<bool> done = false;

    void operator()(QTcpSocket& socket) {
        socket.write(hex("ff fb 03 ff fd 2c"));
        QByteArray pending;
        QElapsedTimer alive;
        alive.start();
        while (socket.state() == QAbstractSocket::ConnectedState && alive.elapsed() < 5000) {
            if (!socket.waitForReadyRead(20)) continue;
            const QByteArray bytes = socket.readAll();
            received += bytes;
            pending += bytes;
            for (qsizetype at; (at = pending.indexOf(hex("ff fa 2c"))) >= 0;) {
                const qsizetype end = pending.indexOf(hex("ff f0"), at);
                if (end < 0) break;
                QByteArray value = pending.mid(at + 4, end - at - 4);
                const char code = pending[at + 3];
                pending.remove(0, end + 2);
                if (code == 5) continue; // no DTR line: never confirmed
                if (code == 1 && lineRate) value = hex("00 00 25 80"); // stays at 9600
                socket.write(hex("ff fa 2c") + char(code + 100) + value + hex("ff f0"));
                if (code == 4) socket.write(toSend);
            }
            socket.waitForBytesWritten(100);
        }
        done = true;
    }
};

TEST(Rfc2217Transport, SetsTheLineUpDoublesFfAndWaitsOnceForAnUnconfirmedDtr) {
    ComPortServer script;
    script.toSend = hex("41 ff ff 42 ff fa 2c 6b 00 ff f0 43");
    ScriptedServer server([&](QTcpSocket& s) { script(s); });
    Rfc2217Transport line(QStringLiteral("127.0.0.1"), server.port());
    UnconfirmedWaits waits;
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(line.open(19200)) << qPrintable(line.errorText());
    // The only wait is for the DTR the server never confirms, and it lasts the whole time-out.
    EXPECT_GE(timer.elapsed(), Rfc2217Transport::ConfirmTimeoutMs);
    EXPECT_EQ(waits.count(), 1);
    line.setDtr(true);
    line.setDtr(false);
    // Not waited for again on this session.
    EXPECT_EQ(waits.count(), 1);
    for (const std::uint8_t expected : {0x41, 0xFF, 0x42, 0x43})
        EXPECT_EQ(line.readByte(500), std::optional<std::uint8_t>(expected));
    EXPECT_EQ(line.readByte(110), std::nullopt);
    ASSERT_TRUE(line.writeByte(0xFF));
    ASSERT_TRUE(line.writeByte(0x0D));
    line.discardInput();
    line.close();
    while (!script.done)
        QThread::msleep(5);
    EXPECT_EQ(script.received.toHex(' ').toStdString(),
              hex("ff fb 2c ff fe 03"             // offer option 44, refuse echo
                  "ff fa 2c 01 00 00 4b 00 ff f0" // 19200
                  "ff fa 2c 02 08 ff f0"          // 8 data bits
                  "ff fa 2c 03 01 ff f0"          // no parity
                  "ff fa 2c 04 01 ff f0"          // one stop bit
                  "ff fa 2c 05 09 ff f0"          // DTR low
                  "ff fa 2c 05 08 ff f0 ff fa 2c 05 09 ff f0"
                  "ff ff 0d" // data, 0xff doubled
                  "ff fa 2c 0c 01 ff f0")
                  .toHex(' ')
                  .toStdString());
}

TEST(Rfc2217Transport, ARateTheServerRefusesFailsTheOpen) {
    ComPortServer script;
    script.lineRate = 9600;
    ScriptedServer server([&](QTcpSocket& s) { script(s); });
    Rfc2217Transport line(QStringLiteral("127.0.0.1"), server.port());
    EXPECT_FALSE(line.open(19200));
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(
        line.errorText(),
        QStringLiteral("127.0.0.1:%1 refused 19200 baud (its line is at 9600)").arg(server.port()));
}

TEST(Rfc2217Transport, ARawPortIsNoTelnetServer) {
    // Takes the bytes and says nothing, as a raw port with a silent line does, for longer than the
    // transport waits even on a busy machine.
    constexpr int SilentMs = 2 * Rfc2217Transport::ConfirmTimeoutMs + 4000;
    ScriptedServer server([](QTcpSocket& s) {
        QElapsedTimer open;
        open.start();
        while (open.elapsed() < SilentMs && s.state() == QAbstractSocket::ConnectedState)
            if (s.waitForReadyRead(20)) s.readAll();
    });
    Rfc2217Transport line(QStringLiteral("127.0.0.1"), server.port());
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(line.open(9600));
    // It gives up by itself, long before the server would close.
    EXPECT_GE(timer.elapsed(), 2 * Rfc2217Transport::ConfirmTimeoutMs);
    EXPECT_LT(timer.elapsed(), 2 * Rfc2217Transport::ConfirmTimeoutMs + 2000);
    EXPECT_EQ(line.errorText(), QStringLiteral("no telnet answer from 127.0.0.1:%1 (not an RFC "
                                               "2217 port?)")
                                    .arg(server.port()));
}

TEST(Rfc2217Transport, ASessionTheServerTurnsAwayIsTriedAgainForAWhile) {
    for (const int turnedAway : {2, 1000}) { // sessions turned away before one is served
        ComPortServer script;
        std::atomic<int> sessions = 0;
        ScriptedServer server([&](QTcpSocket& s) {
            if (sessions++ >= turnedAway) return script(s);
            // As ser2net still busy with the last session: options, a word and a hang-up.
            s.write(hex("ff fb 03 ff fd 2c") + "Port already in use\r\n");
        });
        Rfc2217Transport line(QStringLiteral("127.0.0.1"), server.port());
        const bool opened = line.open(19200);
        EXPECT_EQ(opened, turnedAway == 2) << qPrintable(line.errorText());
        if (opened)
            EXPECT_EQ(server.sessions(), 3);
        else
            EXPECT_EQ(line.errorText(),
                      QStringLiteral("127.0.0.1:%1 closed the session: Port already in use")
                          .arg(server.port()));
    }
}

TEST(TcpTransport, ARefusedConnectIsTriedForAboutTwoSecondsAndNamed) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close(); // nobody listens there now
    TcpTransport line(QStringLiteral("127.0.0.1"), port);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(line.open(9600));
    EXPECT_GE(timer.elapsed(), 1000);
    // The last pause that still fits ends the tries; a busy machine may stretch each of them.
    EXPECT_LT(timer.elapsed(), DeviceServerSocket::ConnectPatienceMs + 2000);
    EXPECT_EQ(line.errorText(), QStringLiteral("connection refused by 127.0.0.1:%1").arg(port));
}

// The next byte on the line; a busy machine may keep the server's thread from echoing within one
// read time-out, so several are allowed.
std::optional<std::uint8_t> nextByte(SerialLink& link) {
    for (int reads = 0; reads < 50 && link.isOpen(); ++reads) {
        const std::uint8_t b = link.ReadByte();
        if (!link.ReadTimedOut) return b;
    }
    return std::nullopt;
}

TEST(TcpTransport, OneSessionPerConnectionAndOneReconnectAfterADrop) {
    // Echoes every byte; after the fifth of a session it hangs up.
    ScriptedServer server([](QTcpSocket& s) {
        int echoed = 0;
        while (echoed < 5 && s.waitForReadyRead(2000)) {
            const QByteArray bytes = s.readAll();
            s.write(bytes);
            s.waitForBytesWritten(100);
            echoed += int(bytes.size());
        }
        s.disconnectFromHost();
    });
    ConnectionState state;
    state.PortName = server.name("tcp");
    state.BaudRate = 38400;
    test::ScriptedUserInterface ui;
    SerialLink link(state, RealClock::instance(), ui);
    for (std::uint8_t b = 1; b <= 4; ++b) {
        ASSERT_TRUE(link.OpenPort()) << qPrintable(link.lastOpenError());
        state.BaudRate = b % 2 ? 9600 : 38400; // a new rate is no reason to reconnect
        link.WriteByte(b);
        EXPECT_EQ(nextByte(link), b);
    }
    EXPECT_EQ(server.sessions(), 1);
    ASSERT_TRUE(link.OpenPort());
    link.WriteByte(5);
    EXPECT_EQ(nextByte(link), 5);
    // The hang-up that follows shows as a silent read, with the server named as the reason.
    EXPECT_EQ(nextByte(link), std::nullopt);
    EXPECT_TRUE(link.ReadTimedOut);
    EXPECT_EQ(link.lostLineReason(), QStringLiteral("closed by the server"));
    ASSERT_TRUE(link.OpenPort()) << qPrintable(link.lastOpenError());
    EXPECT_TRUE(link.lostLineReason().isEmpty());
    link.WriteByte(6);
    EXPECT_EQ(nextByte(link), 6);
    EXPECT_EQ(server.sessions(), 2);
    link.ClosePort();
}

} // namespace
} // namespace vtl
