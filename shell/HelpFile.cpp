#include "shell/HelpFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace vtl {

QString helpFilePath(const QString& programPath) {
    const QFileInfo program(programPath);
    if (program.suffix().compare(QLatin1String("exe"), Qt::CaseInsensitive) == 0)
        return program.dir().filePath(program.completeBaseName() + QLatin1String(".chm"));
    // Elsewhere programs have no extension, and a dot in the name is part of it.
    return programPath + QLatin1String(".chm");
}

void showHelp(UserInterface& ui, const QString& helpPath) {
    if (QFileInfo::exists(helpPath)) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(helpPath));
        return;
    }
    ui.message(QStringLiteral("HTML Help File Not Found"), helpPath, MessageButtons::Ok,
               MessageIcon::Stop);
}

} // namespace vtl
