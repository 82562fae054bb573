#include "shell/HelpFile.h"

#include <QDir>
#include <QFileInfo>

namespace vtl {

QString helpFilePath(const QString& programPath) {
    const QFileInfo program(programPath);
    if (program.suffix().compare(QLatin1String("exe"), Qt::CaseInsensitive) == 0)
        return program.dir().filePath(program.completeBaseName() + QLatin1String(".chm"));
    // Elsewhere programs have no extension, and a dot in the name is part of it.
    return programPath + QLatin1String(".chm");
}

void showHelpPage(UserInterface& ui, const HelpPlaces& places, const QString& page,
                  const std::function<bool(const QUrl&)>& open) {
    if (!places.helpFile.isEmpty() && QFileInfo::exists(places.helpFile)) {
        open(QUrl::fromLocalFile(places.helpFile));
        return;
    }
    const QString pagePath = QDir(places.manualFolder).filePath(page);
    if (QFileInfo::exists(pagePath)) {
        // With no browser set up nothing opens: say where the page is, to open it by hand.
        if (!open(QUrl::fromLocalFile(pagePath)))
            ui.message(QStringLiteral("Unable To Open Help Page."), QStringLiteral("VTL"),
                       MessageButtons::Ok, MessageIcon::Exclamation, pagePath);
        return;
    }
    ui.message(QStringLiteral("HTML Help File Not Found"), pagePath, MessageButtons::Ok,
               MessageIcon::Stop);
}

} // namespace vtl
