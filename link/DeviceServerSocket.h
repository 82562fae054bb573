#pragma once

#include "link/Clock.h"

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

namespace vtl {

// The one TCP session to a serial device server, held for a whole connection. A server that is
// still closing an earlier session refuses or resets a new one for a moment, so a connect is
// tried again with growing pauses for about two seconds before it counts as failed.
class DeviceServerSocket {
public:
    static constexpr int ConnectPatienceMs = 2000;

    DeviceServerSocket(QString host, quint16 port, Clock& clock);

    bool connectToServer();
    void close();
    bool isOpen() const;
    // Queues the bytes and waits (bounded) until they are handed to the system.
    bool send(const QByteArray& bytes);
    // What arrived within timeoutMs; empty when nothing did or the server closed the session.
    QByteArray receive(int timeoutMs);
    bool drain();
    // Why the session could not be made or was lost, empty while all is well.
    QString errorText() const { return error_; }
    QString address() const { return QStringLiteral("%1:%2").arg(host_).arg(port_); }
    // How many sessions this socket has opened; one per connection is the aim.
    int connects() const { return connects_; }

private:
    bool tryConnect();
    void noteLoss();

    QString host_;
    quint16 port_;
    Clock& clock_;
    QTcpSocket socket_;
    QString error_;
    int connects_ = 0;
    bool inSession_ = false; // connected and not closed by us: a loss is the server's doing
};

// "HOST:PORT" of scheme://HOST:PORT; false when the name is not of that form.
bool parseServerName(const QString& name, const QString& scheme, QString* host, quint16* port);

} // namespace vtl
