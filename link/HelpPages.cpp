#include "link/HelpPages.h"

#include <QDir>

namespace vtl::help {

QString manualFolder(const QString& programDir) {
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral(VTL_MANUAL_FROM_PROGRAM)));
}

} // namespace vtl::help
