#include "link/SerialLinePlatform.h"

#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace vtl::platform {

qint64 queuedOutput(QSerialPort& port) {
    int queued = 0;
    if (::ioctl(port.handle(), TIOCOUTQ, &queued) != 0) return -1;
    return queued;
}

QString permissionProblem(const QString& portName) {
    const QString path =
        portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    const QByteArray local = path.toLocal8Bit();
    struct stat info {};
    if (::stat(local.constData(), &info) != 0 || ::access(local.constData(), R_OK | W_OK) == 0)
        return {};
    const group* owner = ::getgrgid(info.st_gid);
    const QString groupName =
        owner ? QString::fromLocal8Bit(owner->gr_name) : QString::number(info.st_gid);
    return QStringLiteral("No permission to open %1: the user must be in the group "
                          "\"%2\" that owns the device.")
        .arg(portName, groupName);
}

} // namespace vtl::platform
