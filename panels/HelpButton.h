#pragma once

#include "link/HelpPages.h"

#include <QString>

class QPushButton;
class QWidget;

namespace vtl {

class UserInterface;

// F1 anywhere in `window` and the returned "&Help" button (for the window's button row) ask `ui`
// to open the window's page of the manual.
QPushButton* addHelp(QWidget& window, UserInterface& ui, const QString& page);

// F1 alone, for the small editors a window opens: they are described on that window's page.
void addHelpKey(QWidget& window, UserInterface& ui, const QString& page);

} // namespace vtl
