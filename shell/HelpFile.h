#pragma once

#include "link/UserInterface.h"

#include <QString>
#include <QUrl>

#include <functional>

namespace vtl {

// The help file sits beside the program under the program's name with the extension ".chm".
QString helpFilePath(const QString& programPath);

// What F1 opens: the compiled help file where it exists (Windows installations carry one),
// otherwise the manual's page, in both cases as a local file.
struct HelpPlaces {
    QString helpFile;
    QString manualFolder;
};

// Opens the help for a window's manual page with `open` (the system's browser or help viewer); a
// missing manual is reported with the path the page should have had, a page no browser opened
// with its path.
void showHelpPage(UserInterface& ui, const HelpPlaces& places, const QString& page,
                  const std::function<bool(const QUrl&)>& open);

} // namespace vtl
