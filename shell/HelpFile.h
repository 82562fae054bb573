#pragma once

#include "link/UserInterface.h"

#include <QString>

namespace vtl {

// The help file sits beside the program under the program's name with the extension ".chm".
QString helpFilePath(const QString& programPath);

// Opens the help file with the system's viewer; a missing file is reported with its path.
void showHelp(UserInterface& ui, const QString& helpPath);

} // namespace vtl
