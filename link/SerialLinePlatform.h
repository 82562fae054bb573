#pragma once

#include <QSerialPort>
#include <QString>
#include <QtGlobal>

// What Qt SerialPort does not tell about a serial line, asked of the system itself. One file per
// system implements it: SerialLinePosix.cpp, SerialLineWin32.cpp.
namespace vtl::platform {

// Bytes written to the open port that the system has not yet put on the wire; -1 when it cannot
// tell. The port's native handle is the system's own kind (a descriptor, a HANDLE).
qint64 queuedOutput(QSerialPort& port);

// Why this user may not open the device, when it is a matter of rights (the group that owns it);
// empty otherwise.
QString permissionProblem(const QString& portName);

} // namespace vtl::platform
