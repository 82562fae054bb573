#include "link/SerialLinePlatform.h"

#include <windows.h>

namespace vtl::platform {

qint64 queuedOutput(QSerialPort& port) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(port.handle(), &errors, &status)) return -1;
    return qint64(status.cbOutQue);
}

QString permissionProblem(const QString&) {
    // A COM port refused on Windows is one that another program holds.
    return {};
}

} // namespace vtl::platform
