#include "shell/ApplicationIdentity.h"

#include "shell/AboutBox.h"

#include <QApplication>

namespace vtl {

void setApplicationIdentity() {
    QApplication::setOrganizationName(QStringLiteral("QTZ"));
    QApplication::setApplicationName(QStringLiteral("VTL"));
    QApplication::setApplicationVersion(QStringLiteral(VTL_VERSION));
    // The menus and task bars take the name "Vantrel" from the desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("vtl"));
    QApplication::setWindowIcon(programIcon());
}

} // namespace vtl
